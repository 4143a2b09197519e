#pragma once
// What a module holds differently from a file, as the window would show the two: the module
// read into the window against the file opened in it, slot by slot. Designations, the panel
// name, the lists and loops of a switched-off slot and the bits of a loop byte that belong to no
// slot are not shown, so they are not compared.

#include "panel.h"

#include <QList>
#include <optional>

struct PanelDifference {
    enum class Kind { Point, Loop };
    Kind kind = Kind::Point;
    bool output = false;
    int slot = 0;
    qint16 address = 0; // the module address the difference is in
    // Point: each side's module and channel positions, nothing for "N/A" (the slot switched
    // off, or nothing selected). Loop: each side's data_b.
    std::optional<PanelSide> file, module;

    bool operator==(const PanelDifference &) const = default;
};

QList<PanelDifference> panel_differences(const Panel &file, const Panel &module);
