#pragma once
// The texts and numbers that several of converter-cli's files share, each defined once; a text
// one file uses lives in that file. Where the window has words for a finding, the command line
// uses them (validation_texts.h, configuration_texts.h, file_texts.h).

#include <QString>

namespace cli
{
inline const QString PROGRAM_NAME = QStringLiteral("converter-cli");
constexpr int HEX = 16;
inline const QString LOG_NOT_WRITTEN =
    QStringLiteral("--log %1: a module's line could not be written: %2");
inline const QString LOG_LINE_END =
    QStringLiteral("--log %1: its last line had no line end; the next record starts on a new line");
inline const QString ERROR_LINE = QStringLiteral("%1: %2");
inline const QString FILE_UNREADABLE = QStringLiteral("%1: %2");
inline const QString NAME_LIST_SEPARATOR = QStringLiteral(", ");
inline const QString NOT_ASSIGNED_MARK = QStringLiteral("N/A");
inline const QString CLEAR_LINE = QStringLiteral("\r\x1b[2K");
inline const QString PROGRAMMED = QStringLiteral("programmed, all %1 bytes read back the same");
constexpr int USB_ID_DIGITS = 4;
} // namespace cli
