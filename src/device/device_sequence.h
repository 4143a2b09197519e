#pragma once
// What the read and the write share: the window, the port, the waits, the exchanges and the
// step-by-step failure handling, and the pieces both sequences are built from.

#include "step_guard.h"

#include <QString>

class ComPort;
class Form1;
class LinkWaits;
class ModuleExchanges;
struct ConverterConfig;

class DeviceSequence
{
public:
    DeviceSequence(Form1 &form, ComPort &port, LinkWaits &waits, ModuleExchanges &exchanges);
    virtual ~DeviceSequence() = default;

    // Runs the sequence to its end; the port is closed on every way out, including an abort.
    void run();

protected:
    // The steps between opening the status line and closing the port.
    virtual void body() = 0;
    // Cleans up after the port has been closed (every path).
    virtual void finish() {}

    // Runs an exchange routine as one step. An exchange abandoned by an error has not
    // delivered a value, so it counts as failed.
    void exchange(void (ModuleExchanges::*routine)());
    void open_port();
    bool handshake();
    // The conversation's opening: the handshake, a pacing wait, then the identity byte at 63.
    // False when the sequence must end: no answer, a module of another kind (the mismatch box
    // was shown) or an identity that was not read properly (the bad-data ending was shown).
    bool open_conversation(const QString &mismatch_text);
    void report(const QString &text, bool success);

    Form1 &m_form;
    ConverterConfig &m_config;
    ComPort &m_port;
    LinkWaits &m_waits;
    ModuleExchanges &m_exchanges;
    StepGuard m_steps;
};
