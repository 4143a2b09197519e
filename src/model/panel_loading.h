#pragma once
// What the two loads leave in the window: opening a record and reading a module. Both set the
// lists side by side, inputs before outputs and each module list before its channel list, as
// the window does, so a slot switched off early in the load cannot lose what is set later.

#include "module_image.h"
#include "panel.h"
#include "point_code.h"
#include "record_fields.h"

// Where a side's two lists go for a point code: an input module list takes the decoded module
// position, an output module list, which has no "N/A", one less.
struct SidePositions {
    qint16 module;
    qint16 channel;
};
SidePositions side_positions(qint16 code, bool output);

// Opening a record, up to the check the window runs afterwards: the panel name, the lists from
// the codes with each side's designation (or the placeholder), then the loops from the loop
// bytes bit by bit. A code that a list has no position for stops the load after that side:
// refused_list names the list, and the loops are not set.
struct RecordLoad {
    Panel panel;
    int refused_list = 0; // 0: every list took its position
    // Whether the open shows a side's designation box: where the side's code decodes as
    // assigned. Every other side shows the placeholder, hidden.
    bool shown(int k, bool output) const { return m_shown[index(k, output)]; }
    void set_shown(int k, bool output, bool shown) { m_shown[index(k, output)] = shown; }

private:
    static std::size_t index(int k, bool output)
    {
        return static_cast<std::size_t>(k - 1 + (output ? SLOT_COUNT : 0));
    }
    std::array<bool, 2 * SLOT_COUNT> m_shown{};
};
RecordLoad load_record(const ConfigRecord &record);

// A complete read of a module, with `name` typed into the panel name box afterwards: the lists
// from the 20 codes, every designation back to the placeholder, the loops from the four loop
// bytes bit by bit. Bits that belong to no slot are not kept.
Panel read_panel(const ModuleImage &image, const QString &name = {});
