#include "assignment_rules.h"

#include "converter_config.h"
#include "point_code.h"

#include <algorithm>

namespace
{
// Input module lists start with "N/A", so the same letter sits one position lower in an
// output module list.
constexpr int INPUT_TO_OUTPUT_MODULE = 1;

bool is_switched_off(const AssignmentSnapshot &snapshot, int k)
{
    return snapshot.list_position(input_module_list(k)) == NA_POSITION;
}
} // namespace

std::vector<int> outputs_named(const AssignmentSnapshot &snapshot, int k)
{
    const int module = snapshot.list_position(input_module_list(k)) - INPUT_TO_OUTPUT_MODULE;
    const qint16 channel = snapshot.list_position(input_channel_list(k));
    const bool loop = snapshot.toggle_pressed(input_toggle(k));

    // An input without a channel, or without a module letter, names no point at all. Without
    // the second test an "N/A" input would match an output with no module selected.
    std::vector<int> named;
    if (channel == NO_SELECTION || module < 0)
        return named;

    for (int j = 1; j <= SLOT_COUNT; ++j) {
        // A switched-off slot's output is hidden and never reaches the module (it is written
        // as "not assigned"), so whatever its lists still hold cannot latch anything up.
        if (j != k && is_switched_off(snapshot, j))
            continue;
        if (module == snapshot.list_position(output_module_list(j)) &&
            channel == snapshot.list_position(output_channel_list(j)) &&
            loop == snapshot.toggle_pressed(output_toggle(j)))
            named.push_back(j);
    }
    return named;
}

AssignmentRule assignment_rule(const AssignmentSnapshot &snapshot, int k)
{
    // The own output is looked at first and wins.
    const std::vector<int> named = outputs_named(snapshot, k);
    if (std::find(named.begin(), named.end(), k) != named.end())
        return AssignmentRule::OwnOutput;
    return named.empty() ? AssignmentRule::None : AssignmentRule::OtherOutput;
}
