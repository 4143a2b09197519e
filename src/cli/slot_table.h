#pragma once
// The ten slots as `show` prints them: one aligned row per slot, the input then the output,
// "N/A" for the sides of a switched-off slot.

#include "window_state.h"

#include <QStringList>

// One side as the window shows it.
struct SideView {
    bool active = false; // false: the slot is switched off
    QString module;      // the list's item, "-" when nothing is selected
    QString channel;
    bool data_b = false;
    QString designation;
};
SideView input_view(const WindowState &state, int k);
SideView output_view(const WindowState &state, int k);

// The panel name line, a blank line, the heading and ten rows, without trailing blanks.
QStringList slot_table(const WindowState &state);
