#include "tick_timer.h"

TickTimer::TickTimer(QObject *parent) : LinkTimer(parent)
{
    // The coarse default may fire up to 5 % early; the waits are timed by this period.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &LinkTimer::expired);
}

void TickTimer::start(std::chrono::milliseconds interval)
{
    m_timer.start(interval);
}

void TickTimer::stop()
{
    m_timer.stop();
}
