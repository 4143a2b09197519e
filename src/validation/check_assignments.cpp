#include "check_assignments.h"

#include "validation_texts.h"

namespace
{
// The lists and toggles the rules look at, as the view shows them now.
Panel read_snapshot(const AssignmentView &view)
{
    Panel snapshot;
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        PanelSlot &slot = snapshot.slot(k);
        slot.input.module = view.list_position(input_module_list(k));
        slot.input.channel = view.list_position(input_channel_list(k));
        slot.input.data_b = view.toggle_pressed(input_toggle(k));
        slot.output.module = view.list_position(output_module_list(k));
        slot.output.channel = view.list_position(output_channel_list(k));
        slot.output.data_b = view.toggle_pressed(output_toggle(k));
    }
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
        const Panel snapshot = read_snapshot(view);
        const AssignmentRule rule = assignment_rule(snapshot, k);
        if (rule != AssignmentRule::None)
            view.rule_broken(k, rule, outputs_named(snapshot, k));
        switch (rule) {
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
