#include "device_sequence.h"

#include "com_port.h"
#include "device_constants.h"
#include "form1.h"
#include "link_waits.h"
#include "module_exchanges.h"
#include "prompts.h"
#include "ui_constants.h"

using namespace device;

DeviceSequence::DeviceSequence(Form1 &form, ComPort &port, LinkWaits &waits,
                               ModuleExchanges &exchanges)
    : m_form(form), m_config(form.config()), m_port(port), m_waits(waits), m_exchanges(exchanges),
      m_steps(form)
{
}

void DeviceSequence::run()
{
    try {
        body();
    } catch (const SequenceAborted &) {
        // The window is closing: nothing more to show, only the port to release.
    }
    m_steps.run([this] { m_port.setPortOpen(false); });
    finish();
}

void DeviceSequence::exchange(void (ModuleExchanges::*routine)())
{
    // Captures the object, not `this`: GCC 12 mixes up `this` and a captured member pointer.
    if (!m_steps.run([&exchanges = m_exchanges, routine] { (exchanges.*routine)(); }))
        m_config.error_flag = 1;
}

void DeviceSequence::open_port()
{
    m_steps.run([this] {
        m_port.setSettings(LINE_SETTINGS);
        m_port.setPortOpen(true);
    });
}

bool DeviceSequence::handshake()
{
    if (m_exchanges.attention_handshake(m_steps))
        return true;
    report(FAILED_TO_RESPOND, false);
    return false;
}

bool DeviceSequence::open_conversation(const QString &mismatch_text)
{
    if (!handshake())
        return false;
    m_waits.timer_wait();
    m_config.address_l = IDENTITY_ADDRESS;
    exchange(&ModuleExchanges::read_point_code);
    if (m_config.A != IDENTITY_CODE) {
        m_form.prompts().message(MISMATCH_TITLE, mismatch_text);
        return false;
    }
    // An identity that was not read properly proves nothing about the module's kind.
    if (m_config.error_flag == 1) {
        report(BAD_DATA, false);
        return false;
    }
    return true;
}

void DeviceSequence::report(const QString &text, bool success)
{
    m_form.show_status(text, success ? ui::GREEN : ui::RED);
}
