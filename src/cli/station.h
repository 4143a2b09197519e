#pragma once
// The programming bench: on each port on its own, wait until a module answers (the handshake
// alone, about once a second; a missing device waits too), program and verify it, then wait until
// it stops answering (unplugged) before the next module there. All ports in this thread.

#include "any_port_link.h"
#include "module_session.h"
#include "port_argument.h"
#include "tick_timer.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <vector>

class Station : public QObject
{
    Q_OBJECT

public:
    explicit Station(QObject *parent = nullptr);
    ~Station() override;

    void start(const QList<PortArgument> &ports, const ModuleImage &image,
               std::chrono::milliseconds reply_wait);
    // Ends every port at once: ports closed, and a module being programmed reported through
    // programmed() as Aborted, before this returns.
    void stop();

    int count() const { return static_cast<int>(m_ports.size()); }
    const PortArgument &port(int index) const { return at(index).port; }

signals:
    // A module answered on that port; its programming starts.
    void found(int index);
    void programmed(int index, const SessionResult &result);
    // The module programmed last no longer answers.
    void removed(int index);

private:
    enum class State {
        Empty,       // polling for a module
        Programming, // writing and verifying it
        Occupied,    // polling until it has gone
    };
    struct BenchPort {
        PortArgument port;
        AnyPortLink link;
        TickTimer tick;
        ModuleSession session{link, tick};
        QTimer next; // the next poll, or the start of programming
        QElapsedTimer since_poll;
        State state = State::Empty;
    };

    void act(int index);
    void session_finished(int index, const SessionResult &result);
    void schedule_poll(BenchPort &port);
    BenchPort &at(int index) { return *m_ports[static_cast<std::size_t>(index)]; }
    const BenchPort &at(int index) const { return *m_ports[static_cast<std::size_t>(index)]; }

    std::vector<std::unique_ptr<BenchPort>> m_ports;
    ModuleImage m_image;
    bool m_stopped = false;
};
