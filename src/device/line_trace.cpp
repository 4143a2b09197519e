#include "line_trace.h"

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QTextStream>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcLine, "converter.line", QtWarningMsg)

namespace
{

const QString TIME_FORMAT = QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz");
const QString TRACE_RULE = QStringLiteral("converter.line.info=true");
const QString OPEN_ERROR = QStringLiteral("%1: %2");
const QString NO_READER = QStringLiteral("a named pipe that no program is reading");
constexpr mode_t NEW_FILE_MODE = 0666; // less the umask, as for any new file

// The handler runs on whichever thread logs; one lock keeps the lines whole.
QMutex trace_mutex;
std::unique_ptr<QFile> trace_file;
QtMessageHandler previous_handler = nullptr;
QString trace_failure; // why the log stopped taking lines; empty while it takes them

void trace_handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, lcLine().categoryName()) != 0) {
        if (previous_handler)
            previous_handler(type, context, message);
        return;
    }
    const QByteArray line =
        (QDateTime::currentDateTime().toString(TIME_FORMAT) + u' ' + message + u'\n').toUtf8();
    const QMutexLocker lock(&trace_mutex);
    if (!trace_file)
        return;
    // A log that stops taking lines (a full disk, a reader gone) is given up, and the reason kept
    // for the program to report once.
    if (trace_file->write(line) != line.size() || !trace_file->flush()) {
        trace_failure = trace_file->errorString();
        trace_file.reset();
    }
}

// Opened without waiting: a named pipe that nobody reads would block the open, and the program
// with it, for ever. Once open, it is written to like any file.
int open_for_appending(const QString &destination, QString *error)
{
    const int fd =
        ::open(QFile::encodeName(destination).constData(),
               O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, NEW_FILE_MODE);
    if (fd < 0) {
        *error = OPEN_ERROR.arg(destination, errno == ENXIO ? NO_READER : qt_error_string(errno));
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

} // namespace

bool start_line_trace(const QString &destination, QString *error)
{
    auto file = std::make_unique<QFile>();
    if (destination == TRACE_TO_STDERR) {
        if (!file->open(stderr, QIODevice::WriteOnly)) {
            *error = OPEN_ERROR.arg(destination, file->errorString());
            return false;
        }
    } else {
        const int fd = open_for_appending(destination, error);
        if (fd < 0)
            return false;
        if (!file->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            *error = OPEN_ERROR.arg(destination, file->errorString());
            return false;
        }
    }
    {
        const QMutexLocker lock(&trace_mutex);
        trace_file = std::move(file);
        trace_failure.clear();
    }
    const QtMessageHandler replaced = qInstallMessageHandler(trace_handler);
    if (replaced != trace_handler)
        previous_handler = replaced;
    QLoggingCategory::setFilterRules(TRACE_RULE);
    return true;
}

std::optional<QString> line_trace_failure()
{
    const QMutexLocker lock(&trace_mutex);
    return trace_failure.isEmpty() ? std::nullopt : std::optional(trace_failure);
}

bool start_line_trace_from_environment(QString *error)
{
    const QString destination = qEnvironmentVariable(TRACE_VARIABLE);
    return destination.isEmpty() || start_line_trace(destination, error);
}
