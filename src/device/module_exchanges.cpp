#include "module_exchanges.h"

#include "com_port.h"
#include "device_constants.h"
#include "device_error.h"
#include "form1.h"
#include "frames.h"
#include "link_waits.h"
#include "step_guard.h"
#include "ui_constants.h"

#include <algorithm>
#include <limits>

using namespace device;

ModuleExchanges::ModuleExchanges(Form1 &form, ComPort &port, LinkWaits &waits)
    : m_form(form), m_config(form.config()), m_port(port), m_waits(waits)
{
}

void ModuleExchanges::send_fresh(const QByteArray &frame)
{
    m_port.discard_input();
    m_port.Output(frame);
}

qint16 ModuleExchanges::value_of(const QByteArray &reply) const
{
    const std::optional<qint16> value = reply_value(reply);
    if (!value)
        throw DeviceError(VALUE_OVERFLOW);
    return *value;
}

bool ModuleExchanges::attention_handshake(StepGuard &steps)
{
    int attempt = 1;
    bool first_send = true;
    for (;;) {
        // Only the first send starts afresh: an acknowledgement that straggles in after one
        // wait still counts for the next.
        steps.run([&] {
            if (first_send)
                m_port.discard_input();
            m_port.Output(attention_frame());
        });
        first_send = false;
        steps.run([&] { m_waits.reply_wait(); });
        ++attempt;
        bool again = false;
        // A failed poll abandons this test, which ends the repeats.
        steps.run(
            [&] { again = m_port.InBufferCount() < REPLY_LENGTH && attempt <= ATTENTION_SENDS; });
        if (!again)
            break;
    }
    QByteArray taken;
    steps.run([&] { taken = m_port.Input(); });
    return is_acknowledgement(taken) && m_config.timer_flag == 0;
}

void ModuleExchanges::write_and_verify()
{
    send_fresh(store_frame(m_config.address_l, m_config.data_l));
    m_waits.restart_timer();
    m_config.error_flag = 0;
    m_waits.reply_wait();
    if (!is_acknowledgement(m_port.Input())) {
        m_config.error_flag = 1;
        return;
    }

    send_fresh(read_frame(m_config.address_l));
    m_waits.reply_wait();
    const QByteArray reply = m_port.Input();
    if (reply.size() < SHORTEST_VALUE_REPLY) {
        m_config.error_flag = 1;
        m_form.set_status_text(COMMUNICATIONS_CORRUPTED);
        return;
    }
    m_config.A = value_of(reply);
    if (m_config.A == m_config.data_l) {
        m_form.set_status_background(ui::YELLOW);
        m_form.set_status_text(COMMUNICATIONS_OK);
    } else {
        m_config.error_flag = 1;
        m_form.set_status_text(DATA_FAILED_TO_VERIFY);
    }
}

void ModuleExchanges::read_point_code()
{
    read_value(POINT_CODE_LIMIT);
}

void ModuleExchanges::read_loop_byte()
{
    read_value(LOOP_BYTE_LIMIT);
}

void ModuleExchanges::read_value(qint16 limit)
{
    m_form.show_status_line();
    m_config.error_flag = 0;
    send_fresh(read_frame(m_config.address_l));
    m_waits.restart_timer();
    m_config.error_flag = 0;
    m_waits.reply_wait();
    const QByteArray reply = m_port.Input();
    m_config.temp1 =
        static_cast<qint16>(std::min<qsizetype>(reply.size(), std::numeric_limits<qint16>::max()));
    if (m_config.temp1 < SHORTEST_VALUE_REPLY) {
        m_config.error_flag = 1;
        m_form.set_status_text(COMMUNICATIONS_CORRUPTED);
        return;
    }
    m_config.A = value_of(reply);
    if (m_config.A > limit || m_config.A < 0) {
        m_config.error_flag = 1;
        m_form.set_status_text(DATA_OUT_OF_RANGE);
    } else {
        m_form.set_status_text(COMMUNICATIONS_OK);
    }
}
