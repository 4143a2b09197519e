#include "write_sequence.h"

#include "device_constants.h"
#include "form1.h"
#include "gathering.h"
#include "link_waits.h"
#include "module_exchanges.h"
#include "ui_constants.h"

using namespace device;

void WriteSequence::body()
{
    m_form.show_status(STARTING_WRITE, ui::YELLOW);
    m_config.error_flag = 0;
    m_steps.run([this] {
        m_form.gather_point_codes();
        // Taken now, so that toggles pressed while the write runs cannot mix two
        // configurations in the module.
        m_image = memory_image(m_config);
    });
    open_port();
    if (m_config.error_flag == INCOMPLETE_INPUT) {
        report(INPUTS_NOT_ENTERED, false);
        return;
    }
    if (m_config.error_flag == INCOMPLETE_OUTPUT) {
        report(OUTPUTS_NOT_ENTERED, false);
        return;
    }
    if (!open_conversation(WRITE_MISMATCH))
        return;

    for (const MemoryCell &cell : memory_map()) {
        m_waits.timer_wait();
        m_config.address_l = cell.address;
        m_config.data_l = m_image[cell.address];
        exchange(&ModuleExchanges::write_and_verify);
        if (m_config.error_flag == 1) {
            report(BAD_DATA, false);
            return;
        }
    }

    m_waits.timer_wait();
    report(PROGRAMMED, true);
}
