#include "station.h"

namespace
{
// How often a port is asked whether a module is there: from the start of one poll to the next.
constexpr std::chrono::milliseconds POLL_INTERVAL{1000};
} // namespace

Station::Station(QObject *parent) : QObject(parent) {}

Station::~Station() = default;

void Station::start(const QList<PortArgument> &ports, const ModuleImage &image,
                    std::chrono::milliseconds reply_wait)
{
    m_ports.clear();
    m_image = image;
    m_stopped = false;
    for (const PortArgument &argument : ports) {
        const int index = count();
        auto &port = *m_ports.emplace_back(std::make_unique<BenchPort>());
        port.port = argument;
        port.session.set_reply_wait(reply_wait);
        port.next.setSingleShot(true);
        connect(&port.next, &QTimer::timeout, this, [this, index] { act(index); });
        connect(&port.session, &ModuleSession::finished, this,
                [this, index](const SessionResult &result) { session_finished(index, result); });
        port.next.start(0);
    }
}

void Station::stop()
{
    m_stopped = true;
    for (const auto &port : m_ports) {
        port->next.stop();
        port->session.abort();
    }
}

void Station::act(int index)
{
    BenchPort &port = at(index);
    if (port.state == State::Programming) {
        // A write refuses an image with a value beyond a byte; it fails as the write command's.
        if (!port.session.write(port.port.device, m_image)) {
            SessionResult refused;
            refused.kind = SessionKind::Write;
            refused.outcome = SessionOutcome::BadData;
            session_finished(index, refused);
        }
        return;
    }
    port.since_poll.start();
    port.session.probe(port.port.device, false);
}

void Station::session_finished(int index, const SessionResult &result)
{
    BenchPort &port = at(index);
    if (port.state == State::Programming) {
        port.state = State::Occupied;
        port.since_poll.start(); // the module is there: asked again a poll interval later
        emit programmed(index, result);
    } else if (result.succeeded() && port.state == State::Empty && !m_stopped) {
        port.state = State::Programming;
        emit found(index);
        // Not from inside the session's own report.
        port.next.start(0);
        return;
    } else if (!result.succeeded() && port.state == State::Occupied && !m_stopped) {
        port.state = State::Empty;
        emit removed(index);
    }
    if (!m_stopped)
        schedule_poll(port);
}

void Station::schedule_poll(BenchPort &port)
{
    const std::chrono::milliseconds spent{port.since_poll.isValid() ? port.since_poll.elapsed()
                                                                    : 0};
    port.next.start(std::max(POLL_INTERVAL - spent, std::chrono::milliseconds{0}));
}
