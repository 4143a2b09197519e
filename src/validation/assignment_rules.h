#pragma once
// The two latch-up rules as a pure function of what the window shows: positions and toggle
// states in, the rule that IN-k breaks out.

#include "slot_lists.h"

#include <array>
#include <vector>

// The forty list selections and twenty loop toggle states the rules look at.
struct AssignmentSnapshot {
    ListPositions positions{};                // [n - 1] for List(n); -1 where nothing is selected
    std::array<bool, TOGGLE_COUNT> pressed{}; // [n - 1] for ToggleButton(n)

    qint16 list_position(int n) const { return positions[static_cast<std::size_t>(n - 1)]; }
    bool toggle_pressed(int n) const { return pressed[static_cast<std::size_t>(n - 1)]; }
};

enum class AssignmentRule {
    None,        // IN-k may stay as it is
    OwnOutput,   // IN-k names OUT-k on the same loop: OUT-k is to be cleared
    OtherOutput, // IN-k names another slot's output on the same loop: IN-k goes back to "N/A"
};

// Every output j (ascending, k itself included) whose module, channel and loop IN-k (k = 1..10)
// names; outputs of switched-off slots other than k are left out. Empty for an input without a
// module letter or a channel.
std::vector<int> outputs_named(const AssignmentSnapshot &snapshot, int k);

// Which rule IN-k (k = 1..10) breaks. The own output is looked at first and wins; inputs are
// never compared with inputs nor outputs with outputs, so shared sources and destinations pass.
AssignmentRule assignment_rule(const AssignmentSnapshot &snapshot, int k);
