#include "check_assignments.h"

#include "assignment_rules.h"
#include "converter_config.h"
#include "point_code.h"
#include "validation_texts.h"

namespace
{
AssignmentSnapshot read_snapshot(const AssignmentView &view)
{
    AssignmentSnapshot snapshot;
    for (int n = 1; n <= LIST_COUNT; ++n)
        snapshot.positions[static_cast<std::size_t>(n - 1)] = view.list_position(n);
    for (int n = 1; n <= TOGGLE_COUNT; ++n)
        snapshot.pressed[static_cast<std::size_t>(n - 1)] = view.toggle_pressed(n);
    return snapshot;
}
} // namespace

void check_assignments(AssignmentView &view)
{
    if (view.is_busy())
        return;

    for (int k = 1; k <= SLOT_COUNT; ++k) {
        // Read afresh for every input: an earlier block, or a run nested inside it, may have
        // undone a choice already, and that conflict must not be reported twice.
        switch (assignment_rule(read_snapshot(view), k)) {
        case AssignmentRule::None:
            break;
        case AssignmentRule::OwnOutput:
            // The output is cleared before the box, so the person sees what was undone.
            view.set_list_position(output_module_list(k), NO_SELECTION);
            view.set_list_position(output_channel_list(k), NO_SELECTION);
            show_channel_assignment_error(view);
            break;
        case AssignmentRule::OtherOutput:
            // The input still shows the refused choice while the box is open.
            show_duplicate_error(view);
            view.set_list_position(input_module_list(k), NA_POSITION);
            view.set_list_position(input_channel_list(k), NO_SELECTION);
            break;
        }
    }
}

void show_channel_assignment_error(AssignmentView &view)
{
    view.show_message(validation::CHANNEL_ASSIGNMENT_ERROR_TITLE,
                      validation::CHANNEL_ASSIGNMENT_ERROR_TEXT);
}

void show_duplicate_error(AssignmentView &view)
{
    view.show_message(validation::DUPLICATE_ERROR_TITLE, validation::DUPLICATE_ERROR_TEXT);
}
