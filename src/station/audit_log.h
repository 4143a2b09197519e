#pragma once
// The bench's record of programmed modules: lines appended, each on the disk before the module's
// result is shown, so a crash or a pulled plug loses no module. A log is a regular file or a named
// pipe that a program reads; it is never the configuration file, a port or another device.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <sys/types.h>

// Why a log cannot be used, or a line did not reach it.
enum class LogProblem {
    None,
    Forbidden, // one of the files it must not be (the configuration file, a port): see reason
    Device,    // a character or block device: a terminal, a serial port, a disk
    NotAFile,  // a folder, a socket or anything else that is not a file or a named pipe
    NoReader,  // a named pipe that no program reads
    System,    // the system refused: see LogStatus::reason
};

struct LogStatus {
    LogProblem problem = LogProblem::None;
    QString reason; // System: the system's words; Forbidden: that file's name as given
    bool ok() const { return problem == LogProblem::None; }
};

// What the log did beyond appending, to be said once each.
enum class LogNotice {
    NoFinalLineEnd, // the file's last line had no line end: the next line starts on a new one
    Removed,        // the file was removed meanwhile: a new one was started at the path
    Replaced,       // another file took its path meanwhile: writing went on in that one
};

class AuditLog
{
public:
    AuditLog() = default;
    AuditLog(const AuditLog &) = delete;
    AuditLog &operator=(const AuditLog &) = delete;
    ~AuditLog();

    // Opens `path` for appending, creating it. Refused: any of `forbidden` (the same file by
    // whatever name, even before it exists), a device, anything but a regular file or a named
    // pipe, and a named pipe that no program reads (rather than waiting for one).
    LogStatus open(const QString &path, const QStringList &forbidden = {});
    bool is_open() const { return m_fd >= 0; }
    const QString &path() const { return m_path; }
    // Writes the line whole, then forces it to the disk. A file replaced or removed meanwhile is
    // followed to its path first.
    LogStatus append(const QByteArray &line);
    // What happened since the last call.
    QList<LogNotice> take_notices();

private:
    LogStatus open_path();
    void close();

    QString m_path;
    QStringList m_forbidden;
    int m_fd = -1;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    bool m_regular = false;
    bool m_line_open = false; // the file's last line has no line end yet
    QList<LogNotice> m_notices;
};
