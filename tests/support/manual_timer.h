#pragma once
// A LinkTimer that expires only when the test says so.

#include "link_timer.h"

class ManualTimer : public LinkTimer
{
    Q_OBJECT

public:
    using LinkTimer::LinkTimer;

    void start(std::chrono::milliseconds interval) override
    {
        m_armed = true;
        m_interval = interval;
    }
    void stop() override { m_armed = false; }

    bool armed() const { return m_armed; }
    // What the last start() asked for.
    std::chrono::milliseconds interval() const { return m_interval; }
    // Expires now, if it was started and not stopped since.
    void fire()
    {
        if (!m_armed)
            return;
        m_armed = false;
        emit expired();
    }

private:
    bool m_armed = false;
    std::chrono::milliseconds m_interval{};
};
