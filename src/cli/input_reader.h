#pragma once
// A file given as "-": standard input read to its end on the event loop, so that Ctrl-C still
// stops a command that waits for it. Bounded like a file: at most MAX_RECORD_FILE_BYTES are
// kept, and one byte more marks the input as too large.

#include "record_file.h"

#include <QObject>
#include <QSocketNotifier>

class InputReader : public QObject
{
    Q_OBJECT

public:
    explicit InputReader(int descriptor, QObject *parent = nullptr);

signals:
    void finished(const LoadedFile &input);

private:
    void read_some();
    void end(LoadStatus status);

    int m_descriptor;
    QSocketNotifier m_notifier;
    QByteArray m_bytes;
};
