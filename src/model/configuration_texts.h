#pragma once
// Texts and measures of a configuration that the window and the command-line companion share,
// each defined once.

#include <QString>

// The model field every configuration file starts with.
inline const QString MODEL_ID = QStringLiteral("00-00574-000");
// What a designation box holds for a side that has never been named, or was switched off.
inline const QString DESIGNATION_PLACEHOLDER = QStringLiteral("DESIGNATION");
// How many characters the panel name box lets the operator type.
constexpr int PANEL_NAME_MAX_LENGTH = 12;
// Names of the two sides of slot k; %1 is k.
inline const QString INPUT_NAME = QStringLiteral("IN-%1");
inline const QString OUTPUT_NAME = QStringLiteral("OUT-%1");

// What writing to a module or saving a file reports for an active side left incomplete.
inline const QString INCOMPLETE_INPUT_TEXT =
    QStringLiteral("DATA MUST BE ENTERED (CLICKED) FOR ALL ACTIVE INPUTS BEFORE WRITING DATA");
inline const QString INCOMPLETE_OUTPUT_TEXT =
    QStringLiteral("DATA MUST BE ENTERED (CLICKED) FOR ALL ACTIVE OUTPUTS BEFORE WRITING DATA");

// The title of the box that refuses a file, which the command line names its findings by too.
inline const QString MISMATCH_TITLE = QStringLiteral("FILE/MODEL MIS-MATCH");
// What a save without a panel name is told.
inline const QString PANEL_NAME_MISSING =
    QStringLiteral("Name must be entered in PANEL NAME field");
