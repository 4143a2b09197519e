#pragma once
// The line to one module as a run uses it: open at the fixed settings, send, count and take what
// came back, throw away what is stale. A serial port or a network port in the program, a script
// under the fuzzer.

#include "session_result.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class SerialLink : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Opens `device` at 9600 baud, 8N1; false with the reason in error_string() when it cannot.
    virtual bool open(const QString &device) = 0;
    // Closing a closed link is no error.
    virtual void close() = 0;
    virtual bool is_open() const = 0;
    // Frames may go out. A serial port is ready as soon as it is open; a network port first
    // connects (and agrees on the line), then emits became_ready(), or lost() if it cannot.
    virtual bool ready() const { return is_open(); }
    // Sends every byte in order; false with the reason in error_string() when the line refuses.
    virtual bool send(const QByteArray &bytes) = 0;
    // Characters received and not yet taken.
    virtual qsizetype available() const = 0;
    // Takes every character received so far.
    virtual QByteArray take() = 0;
    // Throws away what has been received and not taken.
    virtual void discard() = 0;
    virtual QString error_string() const = 0;
    // The kind of the last failure that error_string() words.
    virtual PortFault fault() const { return PortFault::Other; }

signals:
    void became_ready();
    // New characters are waiting.
    void received();
    // The line went away while open (far end closed, adapter pulled), or a network port could not
    // be reached or would not agree on the line; nothing more will come.
    void lost(const QString &reason);
};
