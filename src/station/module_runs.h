#pragma once
// One module session per port, all running at once in this thread: a read, a write, a probe or
// a comparison with a file on every port, each reporting its exchanges, and one signal when the
// last has ended.

#include "device_constants.h"
#include "port_run.h"
#include "port_session.h"

#include <QObject>
#include <memory>
#include <vector>

class ModuleRuns : public QObject
{
    Q_OBJECT

public:
    explicit ModuleRuns(QObject *parent = nullptr);
    ~ModuleRuns() override;

    // Each starts its run on every port; finished() follows once all have ended, never from
    // inside these calls.
    void read(const QList<PortArgument> &ports);
    void write(const QList<PortArgument> &ports, const ModuleImage &image);
    // The handshake and the identity on every port: which of them has a module, and where each
    // name leads.
    void probe(const QList<PortArgument> &ports);
    // Reads every module and compares it, as the window would show it, with `expected`.
    void verify(const QList<PortArgument> &ports, const Panel &expected);
    // How long each session waits for a reply, from the next start on (checked by the caller).
    void set_reply_wait(std::chrono::milliseconds wait) { m_reply_wait = wait; }
    // Ends every run at once: ports closed, each result Aborted (or the outcome it had reached).
    void abort();

    bool running() const;
    int count() const { return static_cast<int>(m_runs.size()); }
    // Once the run on that port has ended, how; before, the port alone.
    const PortRun &run(int index) const { return at(index).run; }
    // Every port's run, in the order the ports were given.
    PortRuns runs(bool interrupted) const;

signals:
    void progress(int index, const SessionProgress &event);
    // The run on one port has ended; run(index) holds how.
    void ended(int index);
    // Every run has ended.
    void finished();

private:
    enum class Operation { Read, Write, Probe, Verify };
    struct Run {
        PortRun run;
        PortSession port;
        bool ended = false;
    };

    void start(Operation operation, const QList<PortArgument> &ports, const ModuleImage &image);
    void run_finished(int index, const SessionResult &result);
    Run &at(int index) { return *m_runs[static_cast<std::size_t>(index)]; }
    const Run &at(int index) const { return *m_runs[static_cast<std::size_t>(index)]; }

    std::vector<std::unique_ptr<Run>> m_runs;
    Operation m_operation = Operation::Read;
    Panel m_expected;
    std::chrono::milliseconds m_reply_wait = device::REPLY_WAIT_DEFAULT;
};
