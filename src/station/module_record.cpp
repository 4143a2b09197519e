#include "module_record.h"

#include "session_words.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QSerialPortInfo>

using namespace log_key;

namespace
{

const QString UTC_MARK = QStringLiteral("Z");
const QString UTC_OFFSET = QStringLiteral("+00:00");

const QString KEY_SUCCESS = QStringLiteral("success");
const QString KEY_NO_ANSWER = QStringLiteral("no_answer");
const QString KEY_PORT_FAILURE = QStringLiteral("port_failure");
const QString KEY_WRONG_MODULE = QStringLiteral("wrong_module");
const QString KEY_BAD_DATA = QStringLiteral("bad_data");
const QString KEY_INTERRUPTED = QStringLiteral("interrupted");

const QString FAULT_MISSING = QStringLiteral("missing");
const QString FAULT_IN_USE = QStringLiteral("in_use");
const QString FAULT_UNREACHABLE = QStringLiteral("unreachable");
const QString FAULT_LOST = QStringLiteral("lost");
const QString FAULT_OTHER = QStringLiteral("other");

// The USB serial number of the adapter behind a serial device, when the system knows one.
std::optional<QString> adapter_serial(const QString &device)
{
    if (port_address(device).scheme != PortScheme::Serial)
        return std::nullopt;
    const QString target = QFileInfo(device).canonicalFilePath();
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        if (info.systemLocation() == target && !info.serialNumber().isEmpty())
            return info.serialNumber();
    return std::nullopt;
}

QJsonValue text_or_null(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

} // namespace

QDateTime local_time()
{
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc());
}

QString iso_time(const QDateTime &time)
{
    QString text = time.toString(Qt::ISODateWithMs);
    if (text.endsWith(UTC_MARK))
        text.replace(text.size() - 1, 1, UTC_OFFSET);
    return text;
}

QString outcome_key(SessionOutcome outcome)
{
    switch (outcome) {
    case SessionOutcome::Success:
        return KEY_SUCCESS;
    case SessionOutcome::NoAnswer:
        return KEY_NO_ANSWER;
    case SessionOutcome::PortFailure:
        return KEY_PORT_FAILURE;
    case SessionOutcome::WrongModule:
        return KEY_WRONG_MODULE;
    case SessionOutcome::BadData:
        return KEY_BAD_DATA;
    case SessionOutcome::Aborted:
        break;
    }
    return KEY_INTERRUPTED;
}

QString fault_key(PortFault fault)
{
    switch (fault) {
    case PortFault::None:
        return {};
    case PortFault::Missing:
        return FAULT_MISSING;
    case PortFault::InUse:
        return FAULT_IN_USE;
    case PortFault::Unreachable:
        return FAULT_UNREACHABLE;
    case PortFault::Lost:
        return FAULT_LOST;
    case PortFault::Other:
        break;
    }
    return FAULT_OTHER;
}

ModuleRecord module_record(const PortArgument &port, const SessionResult &result,
                           const QString &file, const QByteArray &sha256, const ModuleImage &image)
{
    ModuleRecord record;
    record.time = local_time();
    record.port = port.label;
    record.device = port.device;
    record.adapter_serial = adapter_serial(port.device);
    record.file = file;
    record.sha256 = sha256;
    record.passed = result.succeeded();
    record.outcome = result.outcome;
    record.bytes_verified = result.done;
    record.identity = result.identity;
    if (!result.succeeded())
        record.detail = failure_text(result, image);
    return record;
}

QJsonObject record_json(const ModuleRecord &record)
{
    QJsonObject json{
        {TIME, iso_time(record.time)},
        {PORT, record.port},
        {DEVICE, record.device},
        {ADAPTER_SERIAL, text_or_null(record.adapter_serial)},
        {FILE_PATH, record.file},
        {SHA256, QString::fromLatin1(record.sha256.toHex())},
        {RESULT, record.passed ? PASS : FAIL},
        {OUTCOME, outcome_key(record.outcome)},
        {BYTES_VERIFIED, record.bytes_verified},
        {IDENTITY, record.identity ? QJsonValue(*record.identity) : QJsonValue(QJsonValue::Null)},
        {WRITTEN, record.written}};
    if (!record.passed)
        json.insert(DETAIL, record.detail);
    return json;
}

QJsonObject port_event_json(const QDateTime &time, const PortArgument &port, PortFault fault,
                            const QString &reason)
{
    const QString key = fault_key(fault);
    return QJsonObject{{EVENT, PORT_EVENT},
                       {TIME, iso_time(time)},
                       {PORT, port.label},
                       {DEVICE, port.device},
                       {FAULT, key.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(key)},
                       {REASON, reason}};
}

QByteArray log_line(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}
