#pragma once
// What a module holds differently from what the window would write: point by point, loop by
// loop, and bits of the loop bytes that belong to no slot.

#include "memory_map.h"

#include <QList>
#include <QString>

struct ImageDifference {
    enum class Kind { Point, Loop, UnusedBits };
    Kind kind = Kind::Point;
    bool input = true;
    int slot = 0;       // Point and Loop: 1..10
    qint16 address = 0; // the module address the difference is in
    QString file;       // "B/3", "N/A", "DATA-A"; UnusedBits: the byte in decimal
    QString module;
    QString text() const; // one line naming the side and both values
};

QList<ImageDifference> image_differences(const ModuleImage &file, const ModuleImage &module);

// "B/3" for a point code, "N/A" for 160 and above.
QString code_text(qint16 code);
