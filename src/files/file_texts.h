#pragma once
// Fixed texts and measures of the configuration files and their two commands, each defined once.

#include "gathering.h"

#include <QString>
#include <QtGlobal>

namespace files
{

// The model field every configuration file starts with.
inline const QString MODEL_ID = QStringLiteral("00-00574-000");
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

inline const QString &INPUTS_INCOMPLETE = ::INCOMPLETE_INPUT_TEXT;
inline const QString &OUTPUTS_INCOMPLETE = ::INCOMPLETE_OUTPUT_TEXT;
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

inline const QString READ_BACK_DIFFERS =
    QStringLiteral("ITS CONTENT DIFFERS FROM WHAT WAS WRITTEN.");

// A record written by this program is well under this; the reader never loads more.
constexpr qint64 MAX_RECORD_FILE_BYTES = 4 * 1024 * 1024;

} // namespace files
