#include "station_report.h"

#include "cli_texts.h"
#include "json_report.h"
#include "memory_map.h"

#include <QJsonDocument>

using namespace cli;

namespace
{

constexpr QChar BELL = u'\a';
const QString WAITING = QStringLiteral("programming %1 on %2; plug in the modules, Ctrl-C ends");
const QString FOUND = QStringLiteral("%1: module found, programming");
const QString FOUND_COMPARING = QStringLiteral("%1: module found, comparing it with %2");
const QString BACK = QStringLiteral("%1: the same module is back, already programmed");
const QString REMOVED = QStringLiteral("%1: module removed, waiting for the next");
const QString NO_DEVICE = QStringLiteral("%1: no such device; waiting");
const QString TROUBLE = QStringLiteral("%1: %2; waiting");
const QString OPENS_AGAIN = QStringLiteral("%1: the port opens again; waiting for a module");
const QString RESULT = QStringLiteral("%1 %2 %3: %4 (%5)");
const QString PASS = QStringLiteral("PASS");
const QString FAIL = QStringLiteral("FAIL");
const QString NOT_LOGGED = QStringLiteral("NOT LOGGED");
const QString NOT_LOGGED_DETAIL = QStringLiteral("%1; %2");
const QString ALREADY_HELD = QStringLiteral("already holds %1, nothing written");
const QString COUNTS = QStringLiteral("%1: %2 passed, %3 failed; all ports: %4 passed, %5 failed");
const QString CLOCK = QStringLiteral("HH:mm:ss");
const QString PROGRESS = QStringLiteral("%1: %2/%3");
const QString PROGRESS_GAP = QStringLiteral("  ");
const QString LOG_REMOVED =
    QStringLiteral("--log %1: the log was removed; a new one goes on at its path");
const QString LOG_REPLACED =
    QStringLiteral("--log %1: another file took the log's path; the records go on in it");
const QString LOG_LINE_FAILED =
    QStringLiteral("--log %1: a line could not be written (%2); no new module is taken");
const QString EVENT_SUMMARY = QStringLiteral("summary");
const QString KEY_COMPARING = QStringLiteral("comparing");
} // namespace

StationReport::StationReport(const Station &station, const QString &file, const QString &log,
                             const Options &options, std::function<void(const QString &)> print,
                             QTextStream &out, QTextStream &err)
    : m_station(station), m_file(file), m_log(log), m_options(options), m_print(std::move(print)),
      m_out(out), m_err(err)
{
}

QString StationReport::port_name(int index) const
{
    return m_station.port(index).label;
}

void StationReport::started()
{
    if (m_options.quiet || m_options.json)
        return;
    QStringList names;
    for (int index = 0; index < m_station.count(); ++index)
        names << port_name(index);
    line(WAITING.arg(m_file, names.join(NAME_LIST_SEPARATOR)));
}

void StationReport::show(const StationEvent &event)
{
    using Kind = StationEvent::Kind;
    if (event.kind == Kind::Log) {
        const QString path = m_log;
        if (event.notice)
            notice(*event.notice == LogNotice::NoFinalLineEnd ? LOG_LINE_END.arg(path)
                   : *event.notice == LogNotice::Removed      ? LOG_REMOVED.arg(path)
                                                              : LOG_REPLACED.arg(path));
        else
            notice(LOG_LINE_FAILED.arg(path, event.log.reason));
        return;
    }
    const QString name = port_name(event.port);
    switch (event.kind) {
    case Kind::Found:
        m_progress.insert(event.port, 0);
        json({}, event);
        if (!m_options.quiet && !m_options.json)
            line(event.comparing ? FOUND_COMPARING.arg(name, m_file) : FOUND.arg(name));
        break;
    case Kind::Progress:
        m_progress.insert(event.port, event.done);
        draw_progress();
        break;
    case Kind::Programmed: {
        m_progress.remove(event.port);
        QJsonObject record = record_json(*event.record);
        record.insert(log_key::LOGGED, event.log.ok());
        if (!event.log.ok())
            record.insert(log_key::LOG_ERROR, event.log.reason);
        json(record, event);
        // A bell on a terminal calls the person at the bench to a failed module.
        const bool bell = !event.record->passed && m_options.terminal && !m_options.json;
        const QString text = result_line(event) + (bell ? QString(BELL) : QString());
        if (m_options.json)
            error(text);
        else
            line(text);
        break;
    }
    case Kind::Back:
    case Kind::Removed:
        m_progress.remove(event.port);
        json({}, event);
        if (!m_options.quiet && !m_options.json)
            line((event.kind == Kind::Back ? BACK : REMOVED).arg(name));
        break;
    case Kind::Port: {
        json(port_event_json(event.time, m_station.port(event.port), event.fault, event.reason),
             event);
        const QString text = port_line(event);
        if (!text.isEmpty() && !m_options.json)
            line(text);
        break;
    }
    case Kind::Log:
        break;
    }
}

QString StationReport::port_line(const StationEvent &event) const
{
    const QString name = port_name(event.port);
    switch (event.fault) {
    case PortFault::None:
        // After a missing device, the module found next says it all.
        return is_trouble(event.before) ? OPENS_AGAIN.arg(name) : QString();
    case PortFault::Missing:
        return NO_DEVICE.arg(name);
    case PortFault::InUse:
    case PortFault::Unreachable:
    case PortFault::Lost:
    case PortFault::Other:
        break;
    }
    return TROUBLE.arg(name, event.reason);
}

QString StationReport::result_line(const StationEvent &event) const
{
    const ModuleRecord &record = *event.record;
    QString text = record.passed ? (record.written ? PROGRAMMED.arg(CONFIGURATION_BYTES)
                                                   : ALREADY_HELD.arg(m_file))
                                 : record.detail;
    QString verdict = record.passed ? PASS : FAIL;
    if (!event.log.ok()) {
        verdict = NOT_LOGGED;
        text = NOT_LOGGED_DETAIL.arg(text, LOG_NOT_WRITTEN.arg(m_log, event.log.reason));
    }
    const StationTally port = m_station.tally(event.port);
    const StationTally all = m_station.total();
    const QString counts = COUNTS.arg(port_name(event.port))
                               .arg(port.passed)
                               .arg(port.failed)
                               .arg(all.passed)
                               .arg(all.failed);
    return RESULT.arg(event.time.toString(CLOCK), verdict, port_name(event.port), text, counts);
}

void StationReport::json(QJsonObject object, const StationEvent &event)
{
    if (!m_options.json)
        return;
    using Kind = StationEvent::Kind;
    if (event.kind != Kind::Port) {
        const QString name = event.kind == Kind::Found        ? log_key::FOUND_EVENT
                             : event.kind == Kind::Programmed ? log_key::PROGRAMMED_EVENT
                             : event.kind == Kind::Back       ? log_key::BACK_EVENT
                                                              : log_key::REMOVED_EVENT;
        object.insert(log_key::EVENT, name);
        object.insert(log_key::TIME, iso_time(event.time));
        object.insert(log_key::PORT, port_name(event.port));
        object.insert(log_key::DEVICE, m_station.port(event.port).device);
        if (event.kind == Kind::Found)
            object.insert(KEY_COMPARING, event.comparing);
    }
    line(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

void StationReport::ending(bool interrupted)
{
    clear_progress();
    // The terminal echoed ^C where the cursor was.
    if (interrupted && m_options.terminal && !m_options.json)
        m_print(QString());
}

QString StationReport::summary_json(QJsonObject document) const
{
    document.insert(log_key::EVENT, EVENT_SUMMARY);
    const StationTally all = m_station.total();
    document.insert(json_key::PASSED, all.passed);
    document.insert(json_key::FAILED, all.failed);
    return QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Compact)) + u'\n';
}

void StationReport::line(const QString &text)
{
    clear_progress();
    m_print(text);
    draw_progress();
}

void StationReport::notice(const QString &text)
{
    error(ERROR_LINE.arg(PROGRAM_NAME, text));
}

void StationReport::error(const QString &text)
{
    clear_progress();
    m_err << text << Qt::endl;
    draw_progress();
}

void StationReport::draw_progress()
{
    if (!m_options.terminal || m_options.json || m_progress.isEmpty())
        return;
    QStringList parts;
    for (int index = 0; index < m_station.count(); ++index)
        if (m_progress.contains(index))
            parts << PROGRESS.arg(port_name(index))
                         .arg(m_progress.value(index))
                         .arg(CONFIGURATION_BYTES);
    QString text = parts.join(PROGRESS_GAP);
    const int columns = m_options.columns ? m_options.columns() : 0;
    // One column short of the width, so that the cursor never wraps to a new line.
    if (columns > 1 && text.size() >= columns)
        text.truncate(columns - 1);
    m_out << CLEAR_LINE << text;
    m_out.flush();
    m_drawn = true;
}

void StationReport::clear_progress()
{
    if (!m_drawn)
        return;
    m_out << CLEAR_LINE;
    m_out.flush();
    m_drawn = false;
}
