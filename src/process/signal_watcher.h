#pragma once
// Turns POSIX signals into a Qt signal: the handler only writes a byte to a pipe.

#include <QObject>
#include <QSocketNotifier>
#include <initializer_list>

namespace process
{

// One instance per process: the handler reaches the pipe through a static descriptor.
class SignalWatcher : public QObject
{
    Q_OBJECT
public:
    explicit SignalWatcher(std::initializer_list<int> signal_numbers, QObject *parent = nullptr);
    ~SignalWatcher() override;

signals:
    void caught(int signal_number);

private:
    void read_pipe();

    QList<int> m_signals;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace process
