#pragma once
// The port failure handling of a device sequence: a step that raises a DeviceError is abandoned,
// the status line turns red with the port failure text, and the sequence goes on.

#include "device_error.h"

#include <utility>

class Form1;

class StepGuard
{
public:
    explicit StepGuard(Form1 &form) : m_form(form) {}

    // Runs one step; false when it was abandoned. SequenceAborted passes through.
    template <typename Step> bool run(Step &&step)
    {
        try {
            std::forward<Step>(step)();
            return true;
        } catch (const DeviceError &) {
            report_failure();
            return false;
        }
    }

    bool any_failed() const { return m_failures > 0; }

private:
    void report_failure();

    Form1 &m_form;
    int m_failures = 0;
};
