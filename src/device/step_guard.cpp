#include "step_guard.h"

#include "device_constants.h"
#include "form1.h"
#include "ui_constants.h"

void StepGuard::report_failure()
{
    ++m_failures;
    m_form.show_status(device::INCORRECT_PORT_SETTINGS, ui::RED);
}
