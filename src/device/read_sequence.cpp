#include "read_sequence.h"

#include "com_port.h"
#include "device_constants.h"
#include "form1.h"
#include "link_waits.h"
#include "memory_map.h"
#include "module_exchanges.h"
#include "slot_lists.h"
#include "ui_constants.h"

#include <QLineEdit>

using namespace device;

void ReadSequence::body()
{
    m_config.busy = TRUE16;
    m_form.show_status(STARTING_READ, ui::YELLOW);
    m_steps.run([this] { m_form.Text(2)->setText(QString()); });
    open_port();
    if (!open_conversation(READ_MISMATCH))
        return;

    for (const MemoryCell &cell : memory_map()) {
        m_waits.timer_wait();
        m_config.address_l = cell.address;
        if (cell.content == CellContent::LoopByte) {
            exchange(&ModuleExchanges::read_loop_byte);
            m_config.*cell.loop_byte = m_config.A;
        } else {
            exchange(&ModuleExchanges::read_point_code);
            const bool input = cell.content == CellContent::InputPointCode;
            m_steps.run([&] {
                const bool taken = input ? m_form.load_input_slot(cell.slot, m_config.A)
                                         : m_form.load_output_slot(cell.slot, m_config.A);
                if (!taken)
                    throw DeviceError(LIST_REFUSED);
            });
            m_steps.run([&] {
                QLineEdit *box = m_form.Text(input ? input_designation_box(cell.slot)
                                                   : output_designation_box(cell.slot));
                box->setText(ui::DESIGNATION);
                box->hide();
            });
        }
        if (m_config.error_flag == 1) {
            report(BAD_DATA, false);
            return;
        }
    }

    m_waits.timer_wait();
    m_steps.run([this] { m_form.apply_loop_bytes(); });
    report(READ_SUCCESSFUL, true);
}

void ReadSequence::finish()
{
    m_config.busy = FALSE16;
}
