#pragma once
// Reading a configuration file's bytes, and saving them so that a failure never leaves a
// damaged or half-written file in place of the old one.

#include <QByteArray>
#include <QString>

enum class LoadStatus {
    Ok,
    NotFound,     // no such file
    AccessDenied, // the file exists but cannot be opened for reading (rights, a folder)
    ReadError,    // opened, but reading failed
    TooLarge,     // longer than any record this program writes; only the start was read
};

struct LoadedFile {
    LoadStatus status = LoadStatus::Ok;
    QByteArray bytes; // at most MAX_RECORD_FILE_BYTES
};
LoadedFile load_record_file(const QString &path);

enum class SaveStatus {
    Ok,
    NotWritten, // nothing replaced: the old file, if any, is as it was
    Damaged,    // the new file is in place but does not read back as written
};

struct SaveResult {
    SaveStatus status = SaveStatus::Ok;
    QString reason; // the system's words, for the operator
};
// Writes `bytes` to a temporary file beside `path`, checks every step, renames it over `path`
// and reads it back.
SaveResult save_record_file(const QString &path, const QByteArray &bytes);
