#include "station.h"

#include "any_port_link.h"
#include "panel_comparison.h"
#include "panel_loading.h"
#include "tick_timer.h"

#include <algorithm>

using namespace station;

namespace
{
// A question on a held port with a module present gets one chance: a single unanswered "A"
// means the module has gone, so that a swap cannot hide in the retries.
constexpr int PRESENCE_SENDS = 1;
} // namespace

Station::Station(AuditLog &log, QObject *parent)
    : Station(
          log, [] { return std::make_unique<AnyPortLink>(); },
          [] { return std::make_unique<TickTimer>(); }, parent)
{
}

Station::Station(AuditLog &log, LinkFactory links, TimerFactory timers, QObject *parent)
    : QObject(parent), m_log(log), m_links(std::move(links)), m_timers(std::move(timers))
{
}

Station::~Station() = default;

void Station::start(const StationSetup &setup)
{
    m_setup = setup;
    m_ports.clear();
    m_stopping = m_log_failed = m_finished = false;
    for (const PortArgument &argument : setup.ports) {
        const int index = count();
        BenchPort &port = *m_ports.emplace_back(std::make_unique<BenchPort>());
        port.port = argument;
        port.line = std::make_unique<PortSession>(m_links(), m_timers());
        port.next = m_timers();
        port.absence = m_timers();
        ModuleSession &session = port.line->session();
        session.set_hold(true);
        session.set_reply_wait(setup.reply_wait);
        connect(&session, &ModuleSession::finished, this,
                [this, index](const SessionResult &result) { run_finished(index, result); });
        connect(&session, &ModuleSession::progress, this,
                [this, index](const SessionProgress &event) { progressed(index, event); });
        connect(port.next.get(), &LinkTimer::expired, this, [this, index] { ask(index); });
        connect(port.absence.get(), &LinkTimer::expired, this,
                [this, index] { at(index).may_return = false; });
        port.next->start(milliseconds{0});
    }
}

void Station::stop()
{
    if (m_finished)
        return;
    m_stopping = true;
    for (const auto &port : m_ports) {
        port->next->stop();
        port->absence->stop();
        // A module being programmed reports here, and is logged as interrupted.
        port->line->session().abort();
    }
    finish_if_done();
}

StationTally Station::total() const
{
    StationTally total;
    for (const auto &port : m_ports) {
        total.passed += port->tally.passed;
        total.failed += port->tally.failed;
    }
    return total;
}

StationEvent Station::make_event(StationEvent::Kind kind, int index) const
{
    StationEvent event;
    event.kind = kind;
    event.port = index;
    event.time = local_time();
    return event;
}

void Station::then(int index, State state, milliseconds after)
{
    BenchPort &port = at(index);
    port.state = state;
    // Never from inside the session's own report: the next run starts from the timer.
    port.next->start(after);
}

void Station::ask(int index)
{
    BenchPort &port = at(index);
    ModuleSession &session = port.line->session();
    const QString &device = port.port.device;
    if (!taking_modules() && port.state != State::Programming) {
        port.state = State::Idle;
        finish_if_done();
        return;
    }
    switch (port.state) {
    case State::Polling:
        session.probe(device, false);
        break;
    case State::Present:
        session.probe(device, false, PRESENCE_SENDS);
        break;
    case State::Comparing:
        session.read(device);
        break;
    case State::Programming:
        session.write(device, m_setup.image);
        break;
    case State::Idle:
        break;
    }
}

void Station::progressed(int index, const SessionProgress &event)
{
    if (event.step != SessionStep::Configuration)
        return;
    BenchPort &port = at(index);
    StationEvent progress = make_event(StationEvent::Kind::Progress, index);
    progress.comparing = port.state == State::Comparing;
    progress.done = event.done;
    emit this->event(progress);
    // The module that left held exactly these bytes, as its write proved; at the first that
    // differs this is another module, and the rest need not be read.
    if (port.state == State::Comparing && port.returning && event.value &&
        *event.value != m_setup.image.bytes[static_cast<std::size_t>(event.address)]) {
        port.differs = true;
        port.line->session().abort();
    }
}

void Station::run_finished(int index, const SessionResult &result)
{
    switch (at(index).state) {
    case State::Polling:
        polled(index, result);
        break;
    case State::Comparing:
        compared(index, result);
        break;
    case State::Programming:
        programmed(index, result, true);
        break;
    case State::Present:
        checked_presence(index, result);
        break;
    case State::Idle:
        break;
    }
    finish_if_done();
}

void Station::polled(int index, const SessionResult &result)
{
    if (result.outcome == SessionOutcome::Aborted)
        return;
    BenchPort &port = at(index);
    if (result.outcome == SessionOutcome::PortFailure) {
        set_trouble(index, result.fault, result.reason);
        then(index, State::Polling, POLL_PAUSE);
        return;
    }
    // The port opened: whatever kept it from doing so is over.
    set_trouble(index, PortFault::None, {});
    if (!result.succeeded() || !taking_modules()) {
        then(index, State::Polling, POLL_PAUSE);
        return;
    }
    port.returning = port.may_return;
    port.may_return = false;
    port.absence->stop();
    const bool compare = port.returning || m_setup.verify_first;
    StationEvent found = make_event(StationEvent::Kind::Found, index);
    found.comparing = compare;
    emit event(found);
    then(index, compare ? State::Comparing : State::Programming, milliseconds{0});
}

void Station::compared(int index, const SessionResult &result)
{
    BenchPort &port = at(index);
    if (std::exchange(port.differs, false)) {
        then(index, State::Programming, milliseconds{0});
        return;
    }
    switch (result.outcome) {
    case SessionOutcome::Success:
        break;
    case SessionOutcome::Aborted:
        return;
    case SessionOutcome::NoAnswer:
    case SessionOutcome::PortFailure:
        // Gone again before it could be read.
        emit event(make_event(StationEvent::Kind::Removed, index));
        then(index, State::Polling, POLL_PAUSE);
        return;
    case SessionOutcome::WrongModule:
    case SessionOutcome::BadData:
        // Not a module that holds the file; programming it reports what is wrong with it.
        then(index, State::Programming, milliseconds{0});
        return;
    }
    if (!panel_differences(m_setup.expected, read_panel(result.image)).isEmpty()) {
        then(index, State::Programming, milliseconds{0});
        return;
    }
    if (port.returning)
        emit event(make_event(StationEvent::Kind::Back, index));
    else
        programmed(index, result, false);
    then(index, State::Present, PRESENCE_PAUSE);
}

void Station::programmed(int index, const SessionResult &result, bool written)
{
    BenchPort &port = at(index);
    StationEvent done = make_event(StationEvent::Kind::Programmed, index);
    ModuleRecord record =
        module_record(port.port, result, m_setup.file, m_setup.sha256, m_setup.image);
    record.written = written;
    ++(record.passed ? port.tally.passed : port.tally.failed);
    done.record = record;
    // The log first: a module shown as done must be in it.
    write_log(log_line(record_json(record)), &done);
    emit event(done);
    if (!m_stopping)
        then(index, State::Present, PRESENCE_PAUSE);
}

void Station::checked_presence(int index, const SessionResult &result)
{
    if (result.outcome == SessionOutcome::Aborted)
        return;
    if (result.succeeded()) {
        then(index, State::Present, PRESENCE_PAUSE);
        return;
    }
    BenchPort &port = at(index);
    emit event(make_event(StationEvent::Kind::Removed, index));
    port.may_return = true;
    port.absence->start(RETURN_WINDOW);
    then(index, State::Polling, POLL_PAUSE);
}

void Station::set_trouble(int index, PortFault fault, const QString &reason)
{
    BenchPort &port = at(index);
    if (port.fault == fault && port.reason == reason)
        return;
    const bool log = is_trouble(fault) || is_trouble(port.fault);
    StationEvent trouble = make_event(StationEvent::Kind::Port, index);
    trouble.before = port.fault;
    port.fault = fault;
    port.reason = reason;
    trouble.fault = fault;
    trouble.reason = reason;
    if (log && !m_log_failed) {
        StationEvent failed = make_event(StationEvent::Kind::Log, -1);
        if (!write_log(log_line(port_event_json(trouble.time, port.port, fault, reason)), &failed))
            emit event(failed);
    }
    emit event(trouble);
}

bool Station::write_log(const QByteArray &line, StationEvent *event)
{
    event->log = m_log.append(line);
    for (LogNotice notice : m_log.take_notices()) {
        StationEvent said = make_event(StationEvent::Kind::Log, -1);
        said.notice = notice;
        emit this->event(said);
    }
    if (event->log.ok())
        return true;
    // No module is taken from now on; those being programmed finish.
    m_log_failed = true;
    return false;
}

void Station::finish_if_done()
{
    if (m_finished || taking_modules())
        return;
    const bool busy = std::any_of(m_ports.begin(), m_ports.end(), [this](const auto &port) {
        return port->line->session().running() ||
               (!m_stopping && port->state == State::Programming);
    });
    if (busy)
        return;
    m_finished = true;
    for (const auto &port : m_ports) {
        port->next->stop();
        port->absence->stop();
        port->line->session().abort();
        port->line->session().release();
    }
    emit finished();
}
