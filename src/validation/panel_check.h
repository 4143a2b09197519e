#pragma once
// The check the window runs after an open, on a panel value: the same routine as in the window,
// with the list reactions' effect on the values, recording every box it would show.

#include "assignment_rules.h"
#include "panel_loading.h"

#include <QList>
#include <vector>

// One refusal, in the order the window shows its boxes.
struct RuleFinding {
    int slot = 0;
    AssignmentRule rule = AssignmentRule::None;
    std::vector<int> outputs; // every output IN-slot named on its loop
    PanelSide input;          // IN-slot as it was when refused
};

struct CheckedPanel {
    Panel panel; // after every refused choice was undone
    QList<RuleFinding> findings;
};
CheckedPanel check_panel(const Panel &panel);

// Opening a record as the window does: the load and, when every list took its position, the
// check on what it left.
struct OpenedRecord {
    RecordLoad load;
    CheckedPanel checked;
};
OpenedRecord open_record(const ConfigRecord &record);
