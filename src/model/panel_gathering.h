#pragma once
// What the two commands that write a configuration take from the window: the point codes
// gathered from the lists, the image a write stores and the record a save writes. Both refuse
// a panel with an active side left incomplete.

#include "module_image.h"
#include "panel.h"
#include "record_fields.h"

#include <QList>
#include <optional>

// An active side without a module or a channel selected.
struct IncompleteSide {
    int slot = 0;
    bool output = false;
    bool module_missing = false;
    bool channel_missing = false;
    bool operator==(const IncompleteSide &) const = default;
};

// Every incomplete active side, inputs first, in the order gathering looks at them: the first
// is the one a write or a save reports.
QList<IncompleteSide> incomplete_sides(const Panel &panel);

// The point codes of the twenty sides: module item value plus channel item value, 160 for
// both sides of a switched-off slot, whatever its output lists show.
struct PointCodes {
    SlotValues in{};
    SlotValues out{};
};
// Nothing when a side is incomplete.
std::optional<PointCodes> gather_point_codes(const Panel &panel);

// The 24 bytes a write stores: the gathered codes, then the loop bytes packed from the loops.
std::optional<ModuleImage> image_to_write(const Panel &panel);

// The record a save writes: the model, the panel name, every designation as its box holds it,
// the gathered codes and the packed loop bytes.
std::optional<ConfigRecord> record_to_save(const Panel &panel);
