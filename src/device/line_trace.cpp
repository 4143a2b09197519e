#include "line_trace.h"

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QTextStream>
#include <cstdio>
#include <memory>

Q_LOGGING_CATEGORY(lcLine, "converter.line", QtWarningMsg)

namespace
{

const QString TIME_FORMAT = QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz");
const QString TRACE_RULE = QStringLiteral("converter.line.info=true");

// The handler runs on whichever thread logs; one lock keeps the lines whole.
QMutex trace_mutex;
std::unique_ptr<QFile> trace_file;
QtMessageHandler previous_handler = nullptr;

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
    trace_file->write(line);
    trace_file->flush();
}

} // namespace

bool start_line_trace(const QString &destination, QString *error)
{
    auto file = std::make_unique<QFile>();
    const bool opened = destination == TRACE_TO_STDERR
                            ? file->open(stderr, QIODevice::WriteOnly)
                            : (file->setFileName(destination),
                               file->open(QIODevice::WriteOnly | QIODevice::Append));
    if (!opened) {
        *error = QStringLiteral("%1: %2").arg(destination, file->errorString());
        return false;
    }
    {
        const QMutexLocker lock(&trace_mutex);
        trace_file = std::move(file);
    }
    const QtMessageHandler replaced = qInstallMessageHandler(trace_handler);
    if (replaced != trace_handler)
        previous_handler = replaced;
    QLoggingCategory::setFilterRules(TRACE_RULE);
    return true;
}

bool start_line_trace_from_environment(QString *error)
{
    const QString destination = qEnvironmentVariable(TRACE_VARIABLE);
    return destination.isEmpty() || start_line_trace(destination, error);
}
