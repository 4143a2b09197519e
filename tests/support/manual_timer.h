#pragma once
// A LinkTimer that expires only when the test says so.

#include "link_timer.h"

#include <utility>

class ManualTimer : public LinkTimer
{
public:
    using LinkTimer::LinkTimer;

    void start(std::chrono::milliseconds wait) override { armed = true, interval = wait; }
    void stop() override { armed = false; }
    // Expires now, if it was started and not stopped since.
    void fire()
    {
        if (std::exchange(armed, false))
            emit expired();
    }

    bool armed = false;
    std::chrono::milliseconds interval{}; // what the last start() asked for
};
