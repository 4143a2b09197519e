#pragma once
// The check run after every edit: an input may not name an output of this same module.

#include "assignment_view.h"

// Checks IN-1 .. IN-10 in turn against the outputs shown in the view and undoes each refused
// choice through the view's own reactions, which may run this check again, nested. Does
// nothing while the view is busy loading.
void check_assignments(AssignmentView &view);

// The two refusal messages; each returns when the person has closed the box.
void show_channel_assignment_error(AssignmentView &view);
void show_duplicate_error(AssignmentView &view);
