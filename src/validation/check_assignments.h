#pragma once
// The check run after every edit: an input may not name an output of this same module.

#include "assignment_view.h"

void check_assignments(AssignmentView &view);
