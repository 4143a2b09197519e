#pragma once
// The ten slots as `show` prints them: one aligned row per slot, the input then the output,
// "N/A" for the sides of a switched-off slot.

#include "panel.h"

#include <QStringList>

// The panel name line, a blank line, the heading and ten rows, without trailing blanks.
QStringList slot_table(const Panel &panel);

// Rows of cells as lines, each column as wide as its widest cell, without trailing blanks.
QStringList aligned_rows(const QList<QStringList> &rows);
