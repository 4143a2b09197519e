#pragma once
// What the benchmarks that run the programs as processes share: a process's processor time and
// resident memory as the system counts them, a wait that keeps the event loop turning, and the
// file they program.

#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <functional>
#include <unistd.h>

namespace bench
{

// IN-1 B/3 on DATA-B to OUT-1 C/2, IN-2 A/1 to OUT-2 C/3.
inline const QByteArray RECORD =
    "\"00-00574-000\",\"BENCH\",\"DESIGNATION\",12,\"DESIGNATION\",0,\"DESIGNATION\",160,"
    "\"DESIGNATION\",160,\"DESIGNATION\",160,\"DESIGNATION\",160,\"DESIGNATION\",160,"
    "\"DESIGNATION\",160,\"DESIGNATION\",160,\"DESIGNATION\",160,\"DESIGNATION\",21,"
    "\"DESIGNATION\",22,\"DESIGNATION\",160,\"DESIGNATION\",160,\"DESIGNATION\",160,"
    "\"DESIGNATION\",160,\"DESIGNATION\",160,\"DESIGNATION\",160,\"DESIGNATION\",160,"
    "\"DESIGNATION\",160,1,0,0,0\r\n";

// utime + stime of a process, in seconds.
inline double cpu_seconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // Fields after the command's closing parenthesis: state is the 3rd field, utime the 14th.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    constexpr int UTIME = 14 - 3, STIME = 15 - 3;
    return static_cast<double>(fields.value(UTIME).toLongLong() +
                               fields.value(STIME).toLongLong()) /
           static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// The resident memory of a process, in KiB.
inline qint64 resident_kib(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Runs the event loop until `done` holds, looking every `turn_ms`; false after the timeout.
inline bool wait_for(const std::function<bool()> &done, int timeout_ms, int turn_ms = 10)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout_ms)
            return false;
        QEventLoop loop;
        QTimer::singleShot(turn_ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // namespace bench
