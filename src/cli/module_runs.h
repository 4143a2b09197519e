#pragma once
// One module session per port, all running at once in this thread: each on its own serial port
// and timer, each reporting its exchanges, and one signal when the last has ended.

#include "any_port_link.h"
#include "device_constants.h"
#include "module_session.h"
#include "port_argument.h"
#include "tick_timer.h"

#include <QObject>
#include <memory>
#include <optional>
#include <vector>

class ModuleRuns : public QObject
{
    Q_OBJECT

public:
    explicit ModuleRuns(QObject *parent = nullptr);
    ~ModuleRuns() override;

    // Starts a read, or a write of `image`, on every port. finished() follows once all have
    // ended, never from inside these calls.
    void read(const QList<PortArgument> &ports);
    void write(const QList<PortArgument> &ports, const ModuleImage &image);
    // The handshake and the identity on every port: which of them has a module.
    void probe(const QList<PortArgument> &ports);
    // How long each session waits for a reply, from the next start on (checked by the caller).
    void set_reply_wait(std::chrono::milliseconds wait) { m_reply_wait = wait; }
    // Ends every run at once: ports closed, each result Aborted (or the outcome it had reached).
    void abort();

    bool running() const;
    int count() const { return static_cast<int>(m_runs.size()); }
    const PortArgument &port(int index) const { return run(index).port; }
    // Set once the run on that port has ended.
    const std::optional<SessionResult> &result(int index) const { return run(index).result; }

signals:
    void progress(int index, const SessionProgress &event);
    // The run on one port has ended; result(index) holds how.
    void ended(int index);
    // Every run has ended.
    void finished();

private:
    struct Run {
        PortArgument port;
        AnyPortLink link;
        TickTimer timer;
        ModuleSession session{link, timer};
        std::optional<SessionResult> result;
    };

    void start(SessionKind kind, const QList<PortArgument> &ports, const ModuleImage &image);
    void run_finished(int index, const SessionResult &result);
    const Run &run(int index) const { return *m_runs[static_cast<std::size_t>(index)]; }

    std::vector<std::unique_ptr<Run>> m_runs;
    std::chrono::milliseconds m_reply_wait = device::REPLY_WAIT_DEFAULT;
};
