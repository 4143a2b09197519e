#pragma once
// The window as a load leaves it, without a window: the forty list positions, the twenty loop
// flags, the designation boxes and the panel name box. Opening a record and reading a module
// both arrive here; gathering from here gives what the window would write or save.

#include "assignment_rules.h"
#include "config_record.h"
#include "converter_config.h"
#include "memory_map.h"
#include "slot_lists.h"

#include <optional>

struct WindowState {
    ListPositions positions{};
    ConverterConfig::Slots inl{};
    ConverterConfig::Slots outl{};
    std::array<QString, SLOT_COUNT> indesig; // the designation boxes' texts
    std::array<QString, SLOT_COUNT> outdesig;
    QString panel;

    qint16 position(int list) const { return positions[static_cast<std::size_t>(list - 1)]; }
    // A slot is active while its input module list shows a letter, not "N/A".
    bool active(int k) const;
    AssignmentSnapshot snapshot() const;
};

// The open command: lists from the codes (inputs first), designations shown for the sides that
// decode as assigned and the placeholder elsewhere, then the loop flags from the loop bytes.
// refused_list is the first List(n) that has no position for its code, where the open fails.
struct OpenedRecord {
    WindowState state;
    int refused_list = 0;
};
OpenedRecord open_record(const ConfigRecord &record);

// The read command, with `panel` typed into the emptied panel name box afterwards: lists from
// the 20 codes, every designation box back to the placeholder, the loop flags from the four
// loop bytes bit by bit.
WindowState read_into_window(const ModuleImage &image, const QString &panel);

// gather_point_codes over the state: the codes, or error_flag at the first incomplete side.
ConverterConfig gather(const WindowState &state);

// What WRITE_CONFIG would store: the gathered codes and the loop flags packed. Nothing for a
// state with an incomplete active side.
std::optional<ModuleImage> image_to_write(const WindowState &state);

// What WRITE_FILE would save: the model, the panel name box, every designation box, the
// gathered codes and the packed loop flags; or the gathering's error_flag.
struct RecordToSave {
    std::optional<ConfigRecord> record;
    qint16 error_flag = 0;
};
RecordToSave record_to_save(const WindowState &state);
