#pragma once
// The panel as the window shows it: per slot the list positions, loop and designation of both
// sides, and the panel name. The window's commands and the command line both compute on it.

#include "configuration_texts.h"
#include "slot_lists.h"

#include <QString>
#include <array>

// One side of a slot: what its module and channel lists select, whether its loop toggle is
// pressed (DATA-B) and what its designation box holds.
struct PanelSide {
    qint16 module = NO_SELECTION; // an input module list holds "N/A" at 0, then "A".."P"
    qint16 channel = NO_SELECTION;
    bool data_b = false;
    QString designation = DESIGNATION_PLACEHOLDER;

    bool operator==(const PanelSide &) const = default;
};

struct PanelSlot {
    PanelSide input{NA_POSITION};
    PanelSide output;

    // A slot is switched on while its input module list shows a letter, not "N/A".
    bool active() const { return input.module != NA_POSITION; }
    bool operator==(const PanelSlot &) const = default;
};

class Panel
{
public:
    // The window as it starts: every slot "N/A", nothing else selected, every loop DATA-A.
    Panel() = default;

    PanelSlot &slot(int k) { return m_slots[static_cast<std::size_t>(k - 1)]; }
    const PanelSlot &slot(int k) const { return m_slots[static_cast<std::size_t>(k - 1)]; }
    QString name;

    // By the window's numbers: the position List(n) selects, whether ToggleButton(n) is pressed.
    qint16 position(int n) const;
    bool pressed(int n) const;
    ListPositions positions() const;

    // Selects a position of List(n) as the window does, with what its reaction does to the
    // values: a change to "N/A" in an input module list switches the slot off (its other lists
    // cleared, both designations back to the placeholder, both loops DATA-A). False, and
    // nothing changes, for a position the list does not have.
    bool select(int n, qint16 position);
    void press(int n, bool pressed);

    bool operator==(const Panel &) const = default;

private:
    qint16 &position_of(int n);
    std::array<PanelSlot, SLOT_COUNT> m_slots{};
};
