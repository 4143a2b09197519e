#pragma once
// The programming bench: on each port on its own, wait until a module answers, program and
// verify it, log it, then keep asking it on the port held open until it leaves; the next module
// there is programmed in turn. A module that leaves and answers again within a short while is
// read first and written only when it does not hold the file. All ports in this thread.

#include "audit_log.h"
#include "device_constants.h"
#include "module_record.h"
#include "panel.h"
#include "port_session.h"

#include <QDateTime>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace station
{
using std::chrono::milliseconds;
// How long an empty port rests between two questions; a silent one is asked six times in each.
constexpr milliseconds POLL_PAUSE{600};
// How long a port with a module rests between two questions; with the question itself, a module
// present is asked about every 0.3 s, so one pulled and another pushed in is always seen.
constexpr milliseconds PRESENCE_PAUSE{200};
// A module that answers again within this time after it stopped may be the same one.
constexpr milliseconds RETURN_WINDOW{5000};
} // namespace station

struct StationSetup {
    QList<PortArgument> ports;
    QString file;      // as given, for the log
    QByteArray sha256; // of the file's bytes
    Panel expected;    // the window once the file is open: a module that shows the same holds it
    ModuleImage image; // what is stored
    std::chrono::milliseconds reply_wait = device::REPLY_WAIT_DEFAULT;
    bool verify_first = false; // every module found is read and compared before it is written
};

// A port's trouble worth showing and logging as such; a missing device is only waited for, as an
// empty port is.
constexpr bool is_trouble(PortFault fault)
{
    return fault != PortFault::None && fault != PortFault::Missing;
}

struct StationTally {
    int passed = 0;
    int failed = 0;
};

// Something that happened on the bench, in the order it happened.
struct StationEvent {
    enum class Kind {
        Found,      // a module answered on an empty port: it is compared or programmed next
        Progress,   // `done` bytes read (comparing) or verified (programming) so far
        Programmed, // a module is done: `record`, and `log`, how writing it to the log went
        Back,       // the module that left is back and holds the file: not written, not counted
        Removed,    // the module stopped answering
        Port,       // the port's trouble changed: `fault` and `reason`; PortFault::None: cleared
        Log,        // the log itself: `notice`, or `log` when a line could not be written
    };
    Kind kind = Kind::Found;
    int port = -1; // which port; -1 for the log's own events
    QDateTime time;
    bool comparing = false; // Found, Progress: the module is read and compared first
    int done = 0;           // Progress
    std::optional<ModuleRecord> record;
    LogStatus log;
    PortFault fault = PortFault::None;
    PortFault before = PortFault::None; // Port: the trouble this one replaces
    QString reason;
    std::optional<LogNotice> notice;
};

class Station : public QObject
{
    Q_OBJECT

public:
    // What each port runs on; the program's are the real line and timers.
    using LinkFactory = std::function<std::unique_ptr<SerialLink>()>;
    using TimerFactory = std::function<std::unique_ptr<LinkTimer>()>;

    explicit Station(AuditLog &log, QObject *parent = nullptr);
    Station(AuditLog &log, LinkFactory links, TimerFactory timers, QObject *parent = nullptr);
    ~Station() override;

    // Starts every port; the log is open.
    void start(const StationSetup &setup);
    // Ends every port at once, each closed: a module being programmed is reported and logged as
    // interrupted. finished() follows before this returns.
    void stop();

    const StationSetup &setup() const { return m_setup; }
    int count() const { return static_cast<int>(m_ports.size()); }
    const PortArgument &port(int index) const { return at(index).port; }
    StationTally tally(int index) const { return at(index).tally; }
    StationTally total() const;
    // A line did not reach the log: no new module was taken since, and the station finished
    // once the modules being programmed were done.
    bool log_failed() const { return m_log_failed; }

signals:
    void event(const StationEvent &event);
    // Stopped, or done after the log failed: no port is in use any more.
    void finished();

private:
    enum class State {
        Polling,     // waiting for a module to answer
        Comparing,   // reading it to see whether it already holds the file
        Programming, // writing and verifying it
        Present,     // asking it now and then until it leaves
        Idle,        // takes no more modules
    };
    struct BenchPort {
        PortArgument port;
        std::unique_ptr<PortSession> line;
        std::unique_ptr<LinkTimer> next;    // the next question, or the next run
        std::unique_ptr<LinkTimer> absence; // running while the module that left may come back
        State state = State::Polling;
        bool may_return = false; // a module left less than the return window ago
        bool returning = false;  // the module being compared may be the one that left
        bool differs = false;    // it is not: a byte read differs from what was written
        PortFault fault = PortFault::None;
        QString reason;
        StationTally tally;
    };

    BenchPort &at(int index) { return *m_ports[static_cast<std::size_t>(index)]; }
    const BenchPort &at(int index) const { return *m_ports[static_cast<std::size_t>(index)]; }
    StationEvent make_event(StationEvent::Kind kind, int index) const;
    void ask(int index);
    void progressed(int index, const SessionProgress &event);
    void run_finished(int index, const SessionResult &result);
    void polled(int index, const SessionResult &result);
    void compared(int index, const SessionResult &result);
    void programmed(int index, const SessionResult &result, bool written);
    void checked_presence(int index, const SessionResult &result);
    void set_trouble(int index, PortFault fault, const QString &reason);
    bool write_log(const QByteArray &line, StationEvent *event);
    void then(int index, State state, std::chrono::milliseconds after);
    bool taking_modules() const { return !m_stopping && !m_log_failed; }
    void finish_if_done();

    AuditLog &m_log;
    LinkFactory m_links;
    TimerFactory m_timers;
    StationSetup m_setup;
    std::vector<std::unique_ptr<BenchPort>> m_ports;
    bool m_stopping = false;
    bool m_log_failed = false;
    bool m_finished = false;
};
