#include "link_waits.h"

#include "com_port.h"
#include "device_constants.h"
#include "device_error.h"

#include <QCoreApplication>

using namespace device;

LinkWaits::LinkWaits(ConverterConfig &config, ComPort &port, QObject *parent)
    : QObject(parent), m_config(config), m_port(port)
{
    // The coarse default may fire up to 5 % early; the waits are timed by this period.
    m_timer1.setTimerType(Qt::PreciseTimer);
    m_timer1.setInterval(TIMER_INTERVAL);
    connect(&m_timer1, &QTimer::timeout, this, [this] { m_config.timer_flag = 1; });
}

void LinkWaits::restart_timer()
{
    m_timer1.setInterval(TIMER_INTERVAL);
    m_config.timer_flag = 0;
    m_timer1.start();
}

template <typename Done> void LinkWaits::wait_until(Done done)
{
    // One turn over whatever is pending, then sleep until the next event (a received byte,
    // the tick, the operator) and look again.
    QCoreApplication::processEvents();
    for (;;) {
        if (m_aborted)
            throw SequenceAborted();
        if (done())
            return;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void LinkWaits::timer_wait()
{
    restart_timer();
    wait_until([this] { return m_config.timer_flag == 1; });
}

void LinkWaits::reply_wait()
{
    restart_timer();
    wait_until(
        [this] { return m_port.InBufferCount() >= REPLY_LENGTH || m_config.timer_flag == 1; });
}
