#include "assignment_rules.h"

#include <algorithm>

namespace
{
// Input module lists start with "N/A", so the same letter sits one position lower in an
// output module list.
constexpr int INPUT_TO_OUTPUT_MODULE = 1;
} // namespace

std::vector<int> outputs_named(const Panel &panel, int k)
{
    const PanelSide &input = panel.slot(k).input;
    const int module = input.module - INPUT_TO_OUTPUT_MODULE;

    // An input without a channel, or without a module letter, names no point at all. Without
    // the second test an "N/A" input would match an output with no module selected.
    std::vector<int> named;
    if (input.channel == NO_SELECTION || module < 0)
        return named;

    for (int j = 1; j <= SLOT_COUNT; ++j) {
        // A switched-off slot's output is hidden and never reaches the module (it is written
        // as "not assigned"), so whatever its lists still hold cannot latch anything up.
        if (j != k && !panel.slot(j).active())
            continue;
        const PanelSide &output = panel.slot(j).output;
        if (module == output.module && input.channel == output.channel &&
            input.data_b == output.data_b)
            named.push_back(j);
    }
    return named;
}

AssignmentRule assignment_rule(const Panel &panel, int k)
{
    // The own output is looked at first and wins.
    const std::vector<int> named = outputs_named(panel, k);
    if (std::find(named.begin(), named.end(), k) != named.end())
        return AssignmentRule::OwnOutput;
    return named.empty() ? AssignmentRule::None : AssignmentRule::OtherOutput;
}
