#include "check_assignments.h"

void check_assignments(AssignmentView &view)
{
    if (view.is_busy())
        return;
}
