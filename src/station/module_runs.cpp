#include "module_runs.h"

#include "panel_loading.h"
#include "port_names.h"

#include <algorithm>

ModuleRuns::ModuleRuns(QObject *parent) : QObject(parent) {}

ModuleRuns::~ModuleRuns() = default;

void ModuleRuns::read(const QList<PortArgument> &ports)
{
    start(Operation::Read, ports, {});
}

void ModuleRuns::write(const QList<PortArgument> &ports, const ModuleImage &image)
{
    start(Operation::Write, ports, image);
}

void ModuleRuns::probe(const QList<PortArgument> &ports)
{
    start(Operation::Probe, ports, {});
}

void ModuleRuns::verify(const QList<PortArgument> &ports, const Panel &expected)
{
    m_expected = expected;
    start(Operation::Verify, ports, {});
}

void ModuleRuns::start(Operation operation, const QList<PortArgument> &ports,
                       const ModuleImage &image)
{
    m_operation = operation;
    m_runs.clear();
    for (const PortArgument &port : ports) {
        auto &run = *m_runs.emplace_back(std::make_unique<Run>());
        run.run.port = port;
        if (operation == Operation::Probe)
            run.run.target = link_target(port.device);
    }
    for (int index = 0; index < count(); ++index) {
        ModuleSession &session = at(index).port.session();
        connect(&session, &ModuleSession::progress, this,
                [this, index](const SessionProgress &event) { emit progress(index, event); });
        connect(&session, &ModuleSession::finished, this,
                [this, index](const SessionResult &result) { run_finished(index, result); });
        session.set_reply_wait(m_reply_wait);
        const QString &device = at(index).run.port.device;
        switch (operation) {
        case Operation::Read:
        case Operation::Verify:
            session.read(device);
            break;
        case Operation::Write:
            session.write(device, image);
            break;
        case Operation::Probe:
            session.probe(device, true);
            break;
        }
    }
    if (m_runs.empty())
        QMetaObject::invokeMethod(this, &ModuleRuns::finished, Qt::QueuedConnection);
}

void ModuleRuns::abort()
{
    for (const auto &run : m_runs)
        run->port.session().abort();
}

bool ModuleRuns::running() const
{
    return std::any_of(m_runs.begin(), m_runs.end(), [](const auto &run) { return !run->ended; });
}

PortRuns ModuleRuns::runs(bool interrupted) const
{
    PortRuns runs{{}, interrupted};
    for (const auto &run : m_runs)
        runs.ports.append(run->run);
    return runs;
}

void ModuleRuns::run_finished(int index, const SessionResult &result)
{
    Run &run = at(index);
    run.run.result = result;
    run.ended = true;
    if (m_operation == Operation::Verify && result.succeeded())
        run.run.differences = panel_differences(m_expected, read_panel(result.image));
    emit ended(index);
    if (!running())
        emit finished();
}
