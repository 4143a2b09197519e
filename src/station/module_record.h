#pragma once
// The bench's log: one JSON object a line. A line for every module programmed (by the station or
// a write with a log), and a line for each change of a port's trouble. The one place the log's
// fields are named, for the station, a write and whatever reads the log back.

#include "port_argument.h"
#include "session_result.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <optional>

// One module the bench is done with.
struct ModuleRecord {
    QDateTime time; // when it was done, local time with its offset from UTC
    QString port;   // as given
    QString device; // what was opened
    std::optional<QString> adapter_serial;
    QString file;      // as given
    QByteArray sha256; // of the file's bytes
    bool passed = false;
    SessionOutcome outcome = SessionOutcome::Aborted;
    int bytes_verified = 0;
    std::optional<qint16> identity;
    QString detail;      // a failure: the words of its result
    bool written = true; // false: the module already held the file and nothing was stored
};

// The record of a write's end on `port`, stamped now; `image` is what the write stored.
ModuleRecord module_record(const PortArgument &port, const SessionResult &result,
                           const QString &file, const QByteArray &sha256, const ModuleImage &image);

// Now, as local time with its offset from UTC written out.
QDateTime local_time();
// ISO 8601 with milliseconds and the offset always as digits: "2026-12-07T10:54:58.623+00:00".
QString iso_time(const QDateTime &time);
// The outcome's key in the log and in JSON: "success", "no_answer", ...
QString outcome_key(SessionOutcome outcome);
// A port's trouble: "missing", "in_use", "unreachable", "lost", "other"; empty for none.
QString fault_key(PortFault fault);

QJsonObject record_json(const ModuleRecord &record);
// A change of a port's trouble: {event: "port", time, port, device, fault, reason}.
QJsonObject port_event_json(const QDateTime &time, const PortArgument &port, PortFault fault,
                            const QString &reason);
// The object as one line of the log, line end included.
QByteArray log_line(const QJsonObject &object);

namespace log_key
{
inline const QString EVENT = QStringLiteral("event");
inline const QString TIME = QStringLiteral("time");
inline const QString PORT = QStringLiteral("port");
inline const QString DEVICE = QStringLiteral("device");
inline const QString ADAPTER_SERIAL = QStringLiteral("adapter_serial");
inline const QString FILE_PATH = QStringLiteral("file");
inline const QString SHA256 = QStringLiteral("sha256");
inline const QString RESULT = QStringLiteral("result");
inline const QString OUTCOME = QStringLiteral("outcome");
inline const QString BYTES_VERIFIED = QStringLiteral("bytes_verified");
inline const QString IDENTITY = QStringLiteral("identity");
inline const QString DETAIL = QStringLiteral("detail");
inline const QString WRITTEN = QStringLiteral("written");
inline const QString FAULT = QStringLiteral("fault");
inline const QString REASON = QStringLiteral("reason");
inline const QString PASS = QStringLiteral("pass");
inline const QString FAIL = QStringLiteral("fail");
inline const QString PORT_EVENT = QStringLiteral("port");
// How the station's events are named where they are shown as JSON (the command line's events,
// the board), and what they add to a record.
inline const QString FOUND_EVENT = QStringLiteral("found");
inline const QString PROGRAMMED_EVENT = QStringLiteral("programmed");
inline const QString BACK_EVENT = QStringLiteral("back");
inline const QString REMOVED_EVENT = QStringLiteral("removed");
inline const QString LOGGED = QStringLiteral("logged");
inline const QString LOG_ERROR = QStringLiteral("log_error");
} // namespace log_key
