#pragma once
// Fixed texts and measures of the configuration files and their two commands, each defined once.

#include "configuration_texts.h"

#include <QString>
#include <QtGlobal>
#include <chrono>

namespace files
{

inline const QString FILE_EXTENSION = QStringLiteral(".olc");
inline const QString FILE_FILTER = QStringLiteral("OMNILATTICE CONFIGURATION FILES (*.olc)");
inline const QString OPEN_TITLE = QStringLiteral("READ CONFIGURATION FILE");
inline const QString SAVE_TITLE = QStringLiteral("WRITE CONFIGURATION FILE");
// Text is stored in this single-byte code page on every platform.
inline constexpr char CODE_PAGE[] = "windows-1252";

inline const QString MISMATCH_TITLE = QStringLiteral("FILE/MODEL MIS-MATCH");
inline const QString MISMATCH_TEXT =
    QStringLiteral("AN ERROR HAS OCCURRED READING THE FILE BECAUSE THE FILE\n"
                   "WAS NOT CREATED FOR THE 00-00574-000\n"
                   "-------------THE FILE READ OPERATION IS BEING ABANDONED!--------------");

inline const QString PANEL_NAME_MISSING =
    QStringLiteral("Name must be entered in PANEL NAME field");

// Refusals of texts the record cannot carry; %1 names the box, %2 the character.
inline const QString UNWRITABLE_TITLE = QStringLiteral("TEXT CANNOT BE SAVED");
inline const QString DOUBLE_QUOTE_TEXT =
    QStringLiteral("THE %1 CONTAINS A DOUBLE QUOTE (\").\n"
                   "A CONFIGURATION FILE CANNOT HOLD IT: PLEASE REMOVE IT AND SAVE AGAIN.");
inline const QString NOT_IN_CODE_PAGE_TEXT =
    QStringLiteral("THE %1 CONTAINS THE CHARACTER %2,\n"
                   "WHICH A CONFIGURATION FILE CANNOT HOLD: PLEASE REPLACE IT AND SAVE AGAIN.");
// %1 is the character's code point in hex, %2 the character itself.
inline const QString CHARACTER_NAME = QStringLiteral("U+%1 (%2)");
inline const QString PANEL_NAME_FIELD = QStringLiteral("PANEL NAME");
inline const QString INPUT_DESIGNATION_FIELD = QStringLiteral("IN-%1 DESIGNATION");
inline const QString OUTPUT_DESIGNATION_FIELD = QStringLiteral("OUT-%1 DESIGNATION");

// A save that did not leave the new record on disk; %1 is the file, %2 the system's reason.
inline const QString SAVE_FAILED_TITLE = QStringLiteral("FILE WRITE FAILURE");
inline const QString SAVE_FAILED_KEPT_TEXT =
    QStringLiteral("THE CONFIGURATION FILE COULD NOT BE WRITTEN:\n%1\n%2\n"
                   "ANY EARLIER FILE OF THAT NAME HAS BEEN LEFT AS IT WAS.");
inline const QString SAVE_FAILED_CHECK_TEXT =
    QStringLiteral("THE CONFIGURATION FILE WAS WRITTEN BUT DOES NOT READ BACK THE SAME:\n%1\n%2\n"
                   "SAVE THE CONFIGURATION AGAIN, PREFERABLY TO ANOTHER DISK.");
// A file written in place (its folder takes no new files) that could not be put back either;
// %3 is the copy of its earlier content.
inline const QString SAVE_FAILED_COPY_TEXT = QStringLiteral(
    "THE CONFIGURATION FILE COULD NOT BE WRITTEN AND MAY NOW BE INCOMPLETE:\n%1\n%2\n"
    "ITS EARLIER CONTENT HAS BEEN KEPT IN:\n%3");

inline const QString READ_BACK_DIFFERS =
    QStringLiteral("ITS CONTENT DIFFERS FROM WHAT WAS WRITTEN.");
inline const QString SAVE_NOT_A_FILE =
    QStringLiteral("IT IS NOT AN ORDINARY FILE (A FOLDER, A DEVICE OR A PIPE).");
inline const QString SAVE_OLD_TOO_LARGE =
    QStringLiteral("ITS FOLDER TAKES NO NEW FILES, AND THE FILE IS TOO LARGE TO KEEP A COPY OF.");
inline const QString SAVE_NO_COPY =
    QStringLiteral("ITS FOLDER TAKES NO NEW FILES, AND NO COPY OF THE FILE COULD BE MADE IN:\n%1");

// An open that was refused or gave up before reading a record; %1 is the path.
inline const QString OPEN_FAILED_TITLE = QStringLiteral("FILE READ FAILURE");
// %2 is what the path is instead of a file.
inline const QString OPEN_NOT_A_FILE_TEXT =
    QStringLiteral("%1\nIS %2, NOT A FILE ON A DISK.\n"
                   "ONLY A CONFIGURATION FILE CAN BE OPENED; NOTHING HAS BEEN READ.");
inline const QString PIPE_KIND = QStringLiteral("A NAMED PIPE (FIFO)");
inline const QString DEVICE_KIND = QStringLiteral("A DEVICE");
inline const QString SOCKET_KIND = QStringLiteral("A SOCKET");
inline const QString OTHER_KIND = QStringLiteral("A SPECIAL FILE");
// %2 is the time limit in seconds.
inline const QString OPEN_TIMED_OUT_TEXT =
    QStringLiteral("%1\nCOULD NOT BE READ WITHIN %2 SECONDS: ITS DISK OR NETWORK SHARE DOES NOT "
                   "ANSWER.\nTHE FILE READ OPERATION IS BEING ABANDONED; THE WINDOW IS UNCHANGED.");

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
