#pragma once
// Timer1 and the two timed waits every exchange rests on. Both keep the window's events flowing
// and sleep in the event loop between events, so a wait costs no processor time.

#include "converter_config.h"

#include <QObject>
#include <QTimer>

class ComPort;

class LinkWaits : public QObject
{
    Q_OBJECT

public:
    // Ticks set timer_flag in `config`; the reply wait counts what `port` has received.
    LinkWaits(ConverterConfig &config, ComPort &port, QObject *parent = nullptr);

    // Runs until the next tick of Timer1.
    void timer_wait();
    // Runs until 5 characters are waiting or a tick has come. An error of the port ends it by
    // propagating out.
    void reply_wait();
    // Restarts Timer1 at the full interval and clears timer_flag, as every wait begins.
    void restart_timer();

    // From now on every wait throws SequenceAborted at its next turn, until cleared.
    void abort() { m_aborted = true; }
    void clear_abort() { m_aborted = false; }
    bool aborted() const { return m_aborted; }

    QTimer &Timer1() { return m_timer1; }

private:
    template <typename Done> void wait_until(Done done);

    ConverterConfig &m_config;
    ComPort &m_port;
    QTimer m_timer1;
    bool m_aborted = false;
};
