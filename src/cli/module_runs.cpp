#include "module_runs.h"

#include <algorithm>

ModuleRuns::ModuleRuns(QObject *parent) : QObject(parent) {}

ModuleRuns::~ModuleRuns() = default;

void ModuleRuns::read(const QList<PortArgument> &ports)
{
    start(SessionKind::Read, ports, {});
}

void ModuleRuns::write(const QList<PortArgument> &ports, const ModuleImage &image)
{
    start(SessionKind::Write, ports, image);
}

void ModuleRuns::probe(const QList<PortArgument> &ports)
{
    start(SessionKind::Probe, ports, {});
}

void ModuleRuns::start(SessionKind kind, const QList<PortArgument> &ports, const ModuleImage &image)
{
    m_runs.clear();
    for (const PortArgument &port : ports) {
        auto run = std::make_unique<Run>();
        run->port = port;
        m_runs.push_back(std::move(run));
    }
    for (int index = 0; index < count(); ++index) {
        Run &run = *m_runs[static_cast<std::size_t>(index)];
        connect(&run.session, &ModuleSession::progress, this,
                [this, index](const SessionProgress &event) { emit progress(index, event); });
        connect(&run.session, &ModuleSession::finished, this,
                [this, index](const SessionResult &result) { run_finished(index, result); });
        run.session.set_reply_wait(m_reply_wait);
        bool started = false;
        switch (kind) {
        case SessionKind::Read:
            started = run.session.read(run.port.device);
            break;
        case SessionKind::Write:
            started = run.session.write(run.port.device, image);
            break;
        case SessionKind::Probe:
            started = run.session.probe(run.port.device, true);
            break;
        }
        // A write refuses an image with a value beyond a byte; it is the same for every port.
        if (!started) {
            SessionResult refused;
            refused.kind = kind;
            refused.outcome = SessionOutcome::BadData;
            run.result = refused;
        }
    }
    if (!running())
        QMetaObject::invokeMethod(this, &ModuleRuns::finished, Qt::QueuedConnection);
}

void ModuleRuns::abort()
{
    for (const auto &run : m_runs)
        run->session.abort();
}

bool ModuleRuns::running() const
{
    return std::any_of(m_runs.begin(), m_runs.end(),
                       [](const auto &run) { return !run->result.has_value(); });
}

void ModuleRuns::run_finished(int index, const SessionResult &result)
{
    m_runs[static_cast<std::size_t>(index)]->result = result;
    emit ended(index);
    if (!running())
        emit finished();
}
