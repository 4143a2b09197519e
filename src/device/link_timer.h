#pragma once
// The one single-shot timer a run waits on: a real timer in the program, a hand-driven one under
// the fuzzer.

#include <QObject>
#include <chrono>

class LinkTimer : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // (Re)starts the timer; expired() follows once, after `interval`, unless stopped first.
    virtual void start(std::chrono::milliseconds interval) = 0;
    virtual void stop() = 0;

signals:
    void expired();
};
