#include "record_file.h"

#include "file_texts.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

LoadedFile load_record_file(const QString &path)
{
    LoadedFile result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.status = LoadStatus::NotFound;
        return result;
    }
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        result.status = LoadStatus::AccessDenied;
        return result;
    }
    // One byte more than the limit tells a file at the limit from a longer one; a bounded read
    // also keeps endless devices from filling the memory.
    result.bytes = file.read(files::MAX_RECORD_FILE_BYTES + 1);
    if (file.error() != QFileDevice::NoError)
        result.status = LoadStatus::ReadError;
    else if (result.bytes.size() > files::MAX_RECORD_FILE_BYTES)
        result.status = LoadStatus::TooLarge;
    result.bytes.truncate(files::MAX_RECORD_FILE_BYTES);
    return result;
}

SaveResult save_record_file(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {SaveStatus::NotWritten, file.errorString()};
    // commit() alone can report success after a failed write (a file size limit, a full disk)
    // and put a truncated file in place, so each step is checked before it.
    if (file.write(bytes) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {SaveStatus::NotWritten, reason};
    }
    if (!file.commit())
        return {SaveStatus::NotWritten, file.errorString()};

    QFile check(path);
    if (!check.open(QIODevice::ReadOnly))
        return {SaveStatus::Damaged, check.errorString()};
    const QByteArray written = check.read(bytes.size() + 1);
    if (check.error() != QFileDevice::NoError)
        return {SaveStatus::Damaged, check.errorString()};
    if (written != bytes)
        return {SaveStatus::Damaged, files::READ_BACK_DIFFERS};
    return {};
}
