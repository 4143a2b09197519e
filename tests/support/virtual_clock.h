#pragma once
// Timers on one clock that moves only when the test moves it: every timer that comes due fires
// in turn, and what its handlers queued runs before the next, so a run of many seconds takes no
// real time.

#include "link_timer.h"

#include <QCoreApplication>
#include <QList>
#include <algorithm>
#include <memory>

class VirtualClock
{
public:
    using milliseconds = std::chrono::milliseconds;

    class Timer : public LinkTimer
    {
    public:
        explicit Timer(VirtualClock &clock) : m_clock(clock) { m_clock.m_timers.append(this); }
        ~Timer() override { m_clock.m_timers.removeOne(this); }
        void start(milliseconds interval) override
        {
            armed = true;
            due = m_clock.m_now + interval;
            order = ++m_clock.m_started;
        }
        void stop() override { armed = false; }

        bool armed = false;
        milliseconds due{};
        quint64 order = 0; // timers due at once fire in the order they were started

    private:
        friend class VirtualClock;
        VirtualClock &m_clock;
    };

    std::unique_ptr<LinkTimer> timer() { return std::make_unique<Timer>(*this); }
    milliseconds now() const { return m_now; }

    // Moves the clock to `time`, firing every timer due on the way.
    void run_until(milliseconds time)
    {
        for (;;) {
            QCoreApplication::sendPostedEvents();
            const auto next = std::min_element(m_timers.begin(), m_timers.end(), earlier);
            if (next == m_timers.end() || !(*next)->armed || (*next)->due > time)
                break;
            Timer *timer = *next;
            m_now = std::max(m_now, timer->due);
            timer->armed = false;
            emit timer->expired();
        }
        m_now = std::max(m_now, time);
    }

private:
    static bool earlier(const Timer *a, const Timer *b)
    {
        if (a->armed != b->armed)
            return a->armed;
        return a->due != b->due ? a->due < b->due : a->order < b->order;
    }

    QList<Timer *> m_timers;
    milliseconds m_now{0};
    quint64 m_started = 0;
};
