#include "audit_log.h"

#include "port_argument.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr mode_t NEW_FILE_MODE = 0666; // less the umask, as for any new file

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

LogStatus system_failure()
{
    return {LogProblem::System, qt_error_string(errno)};
}

LogStatus kind_problem(mode_t mode)
{
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return {LogProblem::Device, {}};
    if (!S_ISREG(mode) && !S_ISFIFO(mode))
        return {LogProblem::NotAFile, {}};
    return {};
}
} // namespace

AuditLog::~AuditLog()
{
    close();
}

void AuditLog::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

LogStatus AuditLog::open(const QString &path, const QStringList &forbidden)
{
    close();
    m_path = path;
    m_forbidden = forbidden;
    return open_path();
}

LogStatus AuditLog::open_path()
{
    // By name first, so that a file that does not exist yet is refused as well, and a device is
    // refused without being opened (opening a serial port may already change its lines).
    const QString log = resolved_path(m_path);
    for (const QString &name : std::as_const(m_forbidden))
        if (resolved_path(name) == log)
            return {LogProblem::Forbidden, name};
    struct stat before {
    };
    if (::stat(native(m_path).constData(), &before) == 0)
        if (const LogStatus problem = kind_problem(before.st_mode); !problem.ok())
            return problem;
    // Without waiting: a named pipe that nobody reads would block the open for ever.
    const int fd =
        ::open(native(m_path).constData(),
               O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, NEW_FILE_MODE);
    if (fd < 0)
        return errno == ENXIO ? LogStatus{LogProblem::NoReader, {}} : system_failure();
    struct stat opened {
    };
    ::fstat(fd, &opened);
    LogStatus problem = kind_problem(opened.st_mode);
    // A hard link to a forbidden file has another name but is the same file.
    for (const QString &name : std::as_const(m_forbidden)) {
        struct stat other {
        };
        if (::stat(native(name).constData(), &other) == 0 && other.st_dev == opened.st_dev &&
            other.st_ino == opened.st_ino)
            problem = {LogProblem::Forbidden, name};
    }
    if (!problem.ok()) {
        ::close(fd);
        return problem;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fd = fd;
    m_device = opened.st_dev;
    m_inode = opened.st_ino;
    m_regular = S_ISREG(opened.st_mode);
    // A last line without its end would swallow the next record. Read through a descriptor of
    // its own: the log's is for writing only, so that a pipe without a reader is refused.
    m_line_open = false;
    if (m_regular && opened.st_size > 0) {
        const int reader = ::open(native(m_path).constData(), O_RDONLY | O_CLOEXEC);
        char last = '\n';
        m_line_open =
            reader >= 0 && ::pread(reader, &last, 1, opened.st_size - 1) == 1 && last != '\n';
        if (reader >= 0)
            ::close(reader);
    }
    if (m_line_open)
        m_notices.append(LogNotice::NoFinalLineEnd);
    return {};
}

LogStatus AuditLog::append(const QByteArray &line)
{
    if (m_regular) {
        struct stat now {
        };
        const bool gone = ::stat(native(m_path).constData(), &now) != 0;
        if (gone || now.st_dev != m_device || now.st_ino != m_inode) {
            m_notices.append(gone ? LogNotice::Removed : LogNotice::Replaced);
            close();
            if (const LogStatus reopened = open_path(); !reopened.ok())
                return reopened;
        }
    }
    if (m_fd < 0)
        return {LogProblem::System, qt_error_string(EBADF)};
    const QByteArray whole = m_line_open ? '\n' + line : line;
    // One write, so lines from one append never interleave with another writer's.
    qsizetype written = 0;
    while (written < whole.size()) {
        const ssize_t count = ::write(m_fd, whole.constData() + written,
                                      static_cast<std::size_t>(whole.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            const LogStatus failed = system_failure();
            // Whatever part went out is a line without its end.
            m_line_open = m_line_open || written > 0;
            return failed;
        }
        written += count;
    }
    m_line_open = !whole.endsWith('\n');
    // A pipe has no disk to force the line to.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS)
        return system_failure();
    return {};
}

QList<LogNotice> AuditLog::take_notices()
{
    return std::exchange(m_notices, {});
}
