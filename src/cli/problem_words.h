#pragma once
// The words of what a file check and a comparison found: the window's title or status text for
// each problem, and one sentence naming the slot and the point; sides and points as the window
// shows them.

#include "panel_comparison.h"
#include "record_check.h"

#include <QString>

// The window's words for it: the box's title or the status line's text.
QString problem_message(const RecordProblem &problem);
// "IN-1 names its own OUT-1 (C/4 DATA-A)", "field 8 (the point code of IN-3) holds ...".
QString problem_detail(const RecordProblem &problem);
// "IN-1: file B/3, module C/4", "OUT-2 loop: file DATA-A, module DATA-B".
QString difference_text(const PanelDifference &difference);
// A point as a difference names it: "B/3", or "N/A"; a loop: "DATA-A".
QString difference_value(const PanelDifference &difference, bool module);

// "IN-3", "OUT-7".
QString input_name(int k);
QString output_name(int k);
QString loop_name(bool data_b);
// What a side's lists show ("B", "3"; "-" for nothing selected).
QString module_text(const PanelSide &side, bool output);
QString channel_text(const PanelSide &side);
