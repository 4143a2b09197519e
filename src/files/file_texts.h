#pragma once
// Fixed texts and measures of configuration files and their safe reading and writing, each
// defined once.

#include "configuration_texts.h"

#include <QString>
#include <QtGlobal>
#include <chrono>

namespace files
{

inline const QString FILE_EXTENSION = QStringLiteral(".olc");
// Text is stored in this single-byte code page on every platform.
inline constexpr char CODE_PAGE[] = "windows-1252";

// %1 is the character's code point in hex, %2 the character itself.
inline const QString CHARACTER_NAME = QStringLiteral("U+%1 (%2)");

inline const QString READ_BACK_DIFFERS =
    QStringLiteral("ITS CONTENT DIFFERS FROM WHAT WAS WRITTEN.");
inline const QString SAVE_NOT_A_FILE =
    QStringLiteral("IT IS NOT AN ORDINARY FILE (A FOLDER, A DEVICE OR A PIPE).");
inline const QString SAVE_OLD_TOO_LARGE =
    QStringLiteral("ITS FOLDER TAKES NO NEW FILES, AND THE FILE IS TOO LARGE TO KEEP A COPY OF.");
inline const QString SAVE_NO_COPY =
    QStringLiteral("ITS FOLDER TAKES NO NEW FILES, AND NO COPY OF THE FILE COULD BE MADE IN:\n%1");

// A record written by this program is well under this; the reader never loads more.
constexpr qint64 MAX_RECORD_FILE_BYTES = 4 * 1024 * 1024;

// A file that loads within this is opened inside the click, as always; a slower one is waited
// for with the window usable, up to the time limit.
constexpr std::chrono::milliseconds OPEN_QUICK_WAIT{50};
constexpr std::chrono::milliseconds OPEN_TIME_LIMIT{5000};

// Where a file written in place keeps a copy of its earlier content while it is rewritten,
// below the user's data folder; the temporary folder when that cannot be used.
inline const QString BACKUP_FOLDER = QStringLiteral("backups");

} // namespace files
