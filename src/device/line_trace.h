#pragma once
// The traffic log: every frame sent and every piece received, with the port and a millisecond
// timestamp, for diagnosing a module that will not answer. Off unless asked for.

#include <QLoggingCategory>
#include <QString>
#include <optional>

Q_DECLARE_LOGGING_CATEGORY(lcLine)

// Set to a file name, or to "-" for standard error, this switches the log on at start-up.
inline constexpr char TRACE_VARIABLE[] = "CONVERTER_TRACE";
inline const QString TRACE_TO_STDERR = QStringLiteral("-");

// The --trace option of the programs that talk to modules.
inline const QString TRACE_OPTION = QStringLiteral("trace");
inline const QString TRACE_VALUE = QStringLiteral("FILE");
inline const QString TRACE_HELP =
    QStringLiteral("Logs every frame sent to and received from the module, with the port and a "
                   "millisecond timestamp, to FILE (appended; - for standard error). The "
                   "CONVERTER_TRACE environment variable does the same.");

// Writes the log to `destination` (a file, appended to, or "-"); false with the reason in
// *error when the file cannot be opened. Other messages go where they went before.
bool start_line_trace(const QString &destination, QString *error);
// Why the log stopped taking lines, once it has; it takes no more after that.
std::optional<QString> line_trace_failure();
// Starts the log if TRACE_VARIABLE names a destination; false with the reason when it cannot.
bool start_line_trace_from_environment(QString *error);
