#include "audit_log.h"

#include "cli_texts.h"

#include <QFile>
#include <QJsonDocument>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace
{
constexpr mode_t NEW_FILE_MODE = 0666; // less the umask, as for any new file
} // namespace

AuditLog::~AuditLog()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool AuditLog::open(const QString &path, QString *error)
{
    // Without waiting: a named pipe that nobody reads would block the open for ever.
    m_fd = ::open(QFile::encodeName(path).constData(),
                  O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, NEW_FILE_MODE);
    if (m_fd < 0) {
        *error = errno == ENXIO ? cli::NO_READER : qt_error_string(errno);
        return false;
    }
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    return true;
}

bool AuditLog::append(const QJsonObject &entry, QString *error)
{
    const QByteArray line = QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n';
    // One write, so lines from one append never interleave with another writer's.
    qsizetype written = 0;
    while (written < line.size()) {
        const ssize_t count = ::write(m_fd, line.constData() + written,
                                      static_cast<std::size_t>(line.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            *error = qt_error_string(errno);
            return false;
        }
        written += count;
    }
    // A pipe or a terminal has no disk to force the line to.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) {
        *error = qt_error_string(errno);
        return false;
    }
    return true;
}
