#pragma once
// The two latch-up rules as a pure function of what the window shows: list positions and loop
// toggles in, the rule that IN-k breaks out.

#include "panel.h"

#include <vector>

enum class AssignmentRule {
    None,        // IN-k may stay as it is
    OwnOutput,   // IN-k names OUT-k on the same loop: OUT-k is to be cleared
    OtherOutput, // IN-k names another slot's output on the same loop: IN-k goes back to "N/A"
};

// Every output j (ascending, k itself included) whose module, channel and loop IN-k (k = 1..10)
// names; outputs of switched-off slots other than k are left out. Empty for an input without a
// module letter or a channel.
std::vector<int> outputs_named(const Panel &panel, int k);

// Which rule IN-k (k = 1..10) breaks. The own output is looked at first and wins; inputs are
// never compared with inputs nor outputs with outputs, so shared sources and destinations pass.
AssignmentRule assignment_rule(const Panel &panel, int k);
