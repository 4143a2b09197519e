#pragma once
// Reading a configuration file's bytes, and saving them so that a failure never leaves a
// damaged or half-written file in place of the old one.

#include <QByteArray>
#include <QString>
#include <optional>

enum class LoadStatus {
    Ok,
    NotFound,     // no such file
    AccessDenied, // the system refuses to read it (rights, a folder)
    NotAFile,     // a pipe, a device or a socket: refused without being opened for reading
    ReadError,    // opened, but reading failed
    TooLarge,     // longer than any record this program writes; only the start was read
    TimedOut,     // the look-up or the read did not end within the time limit
};

// What the path names, as far as the look-up got.
enum class FileKind { Regular, Folder, Pipe, Device, Socket, Other };

// What is at `path`: nothing when there is nothing, or the look-up fails.
std::optional<FileKind> file_kind(const QString &path);

struct LoadedFile {
    LoadStatus status = LoadStatus::Ok;
    FileKind kind = FileKind::Regular;
    QByteArray bytes; // at most MAX_RECORD_FILE_BYTES
};
// Reads at most MAX_RECORD_FILE_BYTES of a regular file. It may block as long as the file's
// disk does (a hung network mount), so the window calls it through RecordFileLoader.
LoadedFile load_record_file(const QString &path);

enum class SaveStatus {
    Ok,
    NotWritten, // nothing replaced: the old file, if any, is as it was (or was put back so)
    Damaged,    // the new file is in place but does not read back as written
    CopyKept,   // written in place, failed, and could not be put back: `copy` holds the old bytes
};

struct SaveResult {
    SaveStatus status = SaveStatus::Ok;
    QString reason; // the system's words, for the operator
    QString copy;   // with CopyKept: the file that holds the earlier content
};
// Writes `bytes` to a temporary file beside `path`, checks every step, gives it the old file's
// mode (and owner, where allowed), renames it over `path` and reads it back. When the folder
// takes no new files but the file itself is writable, it is rewritten in place instead, with a
// copy of its old content kept elsewhere until the new content reads back.
SaveResult save_record_file(const QString &path, const QByteArray &bytes);

// What would keep save_record_file from saving at `path`, judged without touching it: something
// other than an ordinary file there, or a folder that takes no new file while the file itself
// cannot be rewritten in place. Empty when the save can be tried.
QString save_obstacle(const QString &path);
