#include "record_file.h"

#include "file_texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <optional>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr mode_t PERMISSION_BITS = 0777;
constexpr qint64 READ_CHUNK = 64 * 1024;
const QString TEMPORARY_SUFFIX = QStringLiteral(".XXXXXX");

FileKind kind_of(mode_t mode)
{
    if (S_ISREG(mode))
        return FileKind::Regular;
    if (S_ISDIR(mode))
        return FileKind::Folder;
    if (S_ISFIFO(mode))
        return FileKind::Pipe;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return FileKind::Device;
    if (S_ISSOCK(mode))
        return FileKind::Socket;
    return FileKind::Other;
}

LoadedFile refused(LoadStatus status, FileKind kind = FileKind::Regular)
{
    return {status, kind, {}};
}

// The system itself refuses to read a folder, as it always did here; a pipe or a device could
// be read but might wait for ever, so it is refused before it is opened.
LoadedFile not_a_file(FileKind kind)
{
    return refused(kind == FileKind::Folder ? LoadStatus::AccessDenied : LoadStatus::NotAFile,
                   kind);
}

QString system_error()
{
    return qt_error_string(errno);
}

// The new file takes the old one's owner where that is allowed (only root may give a file
// away; others can at most keep its group), then its permission bits, since a change of owner
// may clear some of them.
bool take_owner_and_mode(int fd, const struct stat &old, QString *reason)
{
    const uid_t owner = ::geteuid() == 0 ? old.st_uid : static_cast<uid_t>(-1);
    // Refused when we are not in the old group: the file stays in ours, its mode still follows.
    [[maybe_unused]] const bool owner_kept = ::fchown(fd, owner, old.st_gid) == 0;
    if (::fchmod(fd, old.st_mode & PERMISSION_BITS) != 0) {
        *reason = system_error();
        return false;
    }
    return true;
}

// Plain system calls on the descriptor: nothing buffered or sticky from a failed attempt can
// leak into the next one.
bool write_all(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written =
            ::pwrite(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done), done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// At most `limit` bytes from the start of the file, read a chunk at a time so that a small
// file takes little memory; nothing when reading fails.
std::optional<QByteArray> read_start(int fd, qint64 limit)
{
    QByteArray bytes;
    while (bytes.size() < limit) {
        const qsizetype at = bytes.size();
        bytes.resize(std::min(limit, at + READ_CHUNK));
        const ssize_t got =
            ::pread(fd, bytes.data() + at, static_cast<size_t>(bytes.size() - at), at);
        bytes.truncate(at + std::max<ssize_t>(got, 0));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
    }
    return bytes;
}

// Puts `bytes` over the start of the file, cuts it to their length, forces it to the disk and
// reads it back.
bool rewrite(int fd, const QByteArray &bytes, QString *reason)
{
    if (!write_all(fd, bytes) || ::ftruncate(fd, bytes.size()) != 0 || ::fsync(fd) != 0) {
        *reason = system_error();
        return false;
    }
    const std::optional<QByteArray> written = read_start(fd, bytes.size() + 1);
    if (!written) {
        *reason = system_error();
        return false;
    }
    if (*written != bytes) {
        *reason = files::READ_BACK_DIFFERS;
        return false;
    }
    return true;
}

// A copy of `bytes`, named after `path`, in the user's data folder or else the temporary
// folder, so it survives the program; empty when none could be made, with the folders tried.
QString keep_copy(const QString &path, const QByteArray &bytes, QStringList *tried)
{
    QStringList folders;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (!data.isEmpty())
        folders << QDir(data).filePath(files::BACKUP_FOLDER);
    folders << QDir::tempPath();
    for (const QString &folder : folders) {
        *tried << QDir::toNativeSeparators(folder);
        if (!QDir().mkpath(folder))
            continue;
        QTemporaryFile copy(QDir(folder).filePath(QFileInfo(path).fileName() + TEMPORARY_SUFFIX));
        if (!copy.open() || copy.write(bytes) != bytes.size() || !copy.flush() ||
            ::fsync(copy.handle()) != 0)
            continue;
        copy.setAutoRemove(false);
        return copy.fileName();
    }
    return {};
}

// For a writable file whose folder takes no new files: the old content is copied elsewhere
// first, the file is rewritten, and on any failure the old content is written back; only when
// that fails too does the copy stay, for the operator to recover.
SaveResult save_in_place(const QString &path, const QByteArray &bytes)
{
    // Opened without truncation: the old content stays until the new one goes over it.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {SaveStatus::NotWritten, system_error(), {}};
    const auto close_file = qScopeGuard([fd] { ::close(fd); });
    const std::optional<QByteArray> old = read_start(fd, files::MAX_RECORD_FILE_BYTES + 1);
    if (!old)
        return {SaveStatus::NotWritten, system_error(), {}};
    if (old->size() > files::MAX_RECORD_FILE_BYTES)
        return {SaveStatus::NotWritten, files::SAVE_OLD_TOO_LARGE, {}};
    QStringList tried;
    const QString copy = keep_copy(path, *old, &tried);
    if (copy.isEmpty())
        return {SaveStatus::NotWritten, files::SAVE_NO_COPY.arg(tried.join(u'\n')), {}};

    QString reason;
    if (rewrite(fd, bytes, &reason)) {
        QFile::remove(copy);
        return {};
    }
    QString restore_failure;
    if (rewrite(fd, *old, &restore_failure)) {
        QFile::remove(copy);
        return {SaveStatus::NotWritten, reason, {}};
    }
    return {SaveStatus::CopyKept, reason, copy};
}

} // namespace

std::optional<FileKind> file_kind(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return kind_of(info.st_mode);
}

LoadedFile load_record_file(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0)
        return refused(errno == ENOENT || errno == ENOTDIR ? LoadStatus::NotFound
                                                           : LoadStatus::AccessDenied);
    if (!S_ISREG(info.st_mode))
        return not_a_file(kind_of(info.st_mode));
    // Should the path have become a pipe since the look-up, this open does not wait for a
    // writer, and the second look-up refuses it.
    const int fd = ::open(name.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refused(errno == ENOENT ? LoadStatus::NotFound : LoadStatus::AccessDenied);
    const auto close_file = qScopeGuard([fd] { ::close(fd); });
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return not_a_file(kind_of(info.st_mode));

    // One byte more than the limit tells a file at the limit from a longer one.
    const std::optional<QByteArray> bytes = read_start(fd, files::MAX_RECORD_FILE_BYTES + 1);
    if (!bytes)
        return refused(LoadStatus::ReadError);
    LoadedFile result;
    result.bytes = bytes->first(std::min(bytes->size(), files::MAX_RECORD_FILE_BYTES));
    if (bytes->size() > files::MAX_RECORD_FILE_BYTES)
        result.status = LoadStatus::TooLarge;
    return result;
}

SaveResult save_record_file(const QString &path, const QByteArray &bytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat old = {};
    const bool replaces = ::stat(name.constData(), &old) == 0;
    // Renaming over a device or a pipe would replace it, and writing into one may block.
    if (replaces && !S_ISREG(old.st_mode))
        return {SaveStatus::NotWritten, files::SAVE_NOT_A_FILE, {}};

    QSaveFile file(path);
    // Unbuffered, so a short write is seen at once and its retry fails with the system's reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // No temporary file can be made beside it, but the file itself may still be writable.
        if (replaces && ::access(name.constData(), W_OK) == 0)
            return save_in_place(path, bytes);
        return {SaveStatus::NotWritten, file.errorString(), {}};
    }
    // commit() alone can report success after a failed write (a file size limit, a full disk)
    // and put a truncated file in place, so each step is checked before it.
    QString reason;
    qint64 done = 0;
    for (qint64 written = 0; done < bytes.size(); done += written)
        if ((written = file.write(bytes.constData() + done, bytes.size() - done)) <= 0)
            break;
    if (done != bytes.size() || file.error() != QFileDevice::NoError)
        reason = file.errorString();
    else if (replaces)
        take_owner_and_mode(file.handle(), old, &reason);
    if (!reason.isEmpty()) {
        file.cancelWriting();
        return {SaveStatus::NotWritten, reason, {}};
    }
    if (!file.commit())
        return {SaveStatus::NotWritten, file.errorString(), {}};

    QFile check(path);
    if (!check.open(QIODevice::ReadOnly))
        return {SaveStatus::Damaged, check.errorString(), {}};
    const QByteArray written = check.read(bytes.size() + 1);
    if (check.error() != QFileDevice::NoError)
        return {SaveStatus::Damaged, check.errorString(), {}};
    if (written != bytes)
        return {SaveStatus::Damaged, files::READ_BACK_DIFFERS, {}};
    return {};
}

QString save_obstacle(const QString &path)
{
    const std::optional<FileKind> kind = file_kind(path);
    if (kind && *kind != FileKind::Regular)
        return files::SAVE_NOT_A_FILE;
    // As the save goes: a new file beside the old one, or else the old one rewritten in place.
    const QFileInfo info(path);
    QTemporaryFile probe(info.absoluteDir().filePath(info.fileName() + TEMPORARY_SUFFIX));
    if (probe.open() || (kind && ::access(QFile::encodeName(path).constData(), W_OK) == 0))
        return {};
    return probe.errorString();
}
