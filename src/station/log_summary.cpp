#include "log_summary.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

using namespace log_key;

namespace
{
// The outcomes a record may carry, by their key.
constexpr SessionOutcome OUTCOMES[] = {SessionOutcome::Success,     SessionOutcome::NoAnswer,
                                       SessionOutcome::PortFailure, SessionOutcome::WrongModule,
                                       SessionOutcome::BadData,     SessionOutcome::Aborted};

void count(LogSummary::Count &count, bool passed)
{
    ++(passed ? count.passed : count.failed);
}
} // namespace

std::optional<ModuleRecord> record_from_json(const QJsonObject &object)
{
    const QString result = object.value(RESULT).toString();
    const QDateTime time = QDateTime::fromString(object.value(TIME).toString(), Qt::ISODateWithMs);
    const QString outcome = object.value(OUTCOME).toString();
    const auto known = std::find_if(std::begin(OUTCOMES), std::end(OUTCOMES),
                                    [&](SessionOutcome o) { return outcome_key(o) == outcome; });
    if ((result != PASS && result != FAIL) || !time.isValid() || known == std::end(OUTCOMES) ||
        !object.value(PORT).isString() || !object.value(SHA256).isString())
        return std::nullopt;
    ModuleRecord record;
    record.time = time;
    record.port = object.value(PORT).toString();
    record.device = object.value(DEVICE).toString();
    if (object.value(ADAPTER_SERIAL).isString())
        record.adapter_serial = object.value(ADAPTER_SERIAL).toString();
    record.file = object.value(FILE_PATH).toString();
    record.sha256 = QByteArray::fromHex(object.value(SHA256).toString().toLatin1());
    record.passed = result == PASS;
    record.outcome = *known;
    record.bytes_verified = object.value(BYTES_VERIFIED).toInt();
    if (object.value(IDENTITY).isDouble())
        record.identity = static_cast<qint16>(object.value(IDENTITY).toInt());
    record.detail = object.value(DETAIL).toString();
    record.written = object.value(WRITTEN).toBool(true);
    return record;
}

LogSummarizer::LogSummarizer(std::optional<QDateTime> since, std::optional<int> keep)
    : m_since(std::move(since)), m_keep(keep)
{
}

void LogSummarizer::add_line(const QString &log, int number, QByteArrayView line)
{
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray());
    const QJsonObject object = document.object();
    if (object.value(EVENT).toString() == PORT_EVENT)
        return;
    if (const auto record = record_from_json(object))
        add(*record, log, number);
    else
        m_summary.bad_lines.append({log, number});
}

void LogSummarizer::add(const ModuleRecord &record, const QString &log, int number)
{
    if (m_since && record.time < *m_since)
        return;
    LogSummary &s = m_summary;
    count(s.count, record.passed);
    if (!s.first || record.time < *s.first)
        s.first = record.time;
    if (!s.last || record.time > *s.last)
        s.last = record.time;
    auto port = std::find_if(s.ports.begin(), s.ports.end(),
                             [&](const LogSummary::Port &p) { return p.port == record.port; });
    if (port == s.ports.end())
        port = s.ports.insert(s.ports.end(), {record.port, {}});
    count(port->count, record.passed);
    auto file = std::find_if(s.files.begin(), s.files.end(),
                             [&](const LogSummary::File &f) { return f.sha256 == record.sha256; });
    if (file == s.files.end())
        file = s.files.insert(s.files.end(), {record.sha256, record.file, {}});
    file->file = record.file;
    count(file->count, record.passed);
    if (!record.passed)
        s.failures.append({record, log, number});
    if (m_keep && s.failures.size() > *m_keep)
        s.failures.removeFirst();
}
