#pragma once
// What the window shows of a read or a write: the status line texts and the wrong-module box,
// each defined once.

#include <QString>

namespace ui
{

// Status line, one text per exchange.
inline const QString COMMUNICATIONS_OK = QStringLiteral("COMMUNICATIONS OK");
inline const QString DATA_FAILED_TO_VERIFY = QStringLiteral("DATA FAILED TO VERIFY");
inline const QString COMMUNICATIONS_CORRUPTED = QStringLiteral("COMMUNICATIONS CORRUPTED");
inline const QString DATA_OUT_OF_RANGE = QStringLiteral("ERROR - DATA OUT OF RANGE");

// Status line, at the start and the end of a run.
inline const QString STARTING_READ =
    QStringLiteral("STARTING COMMUNICATIONS TO READ DATA CONVERTER CONFIGURATION");
inline const QString STARTING_WRITE =
    QStringLiteral("STARTING COMMUNICATIONS TO WRITE DATA CONVERTER CONFIGURATION");
inline const QString INCORRECT_PORT_SETTINGS =
    QStringLiteral("COMMUNICATIONS FAILURE-INCORRECT COM PORT SETTINGS");
inline const QString FAILED_TO_RESPOND =
    QStringLiteral("COMMUNICATIONS FAILURE DATA CONVERTER FAILED TO RESPOND");
inline const QString BAD_DATA = QStringLiteral("COMMUNICATIONS FAILURE-BAD DATA CONVERTER DATA");
inline const QString READ_SUCCESSFUL = QStringLiteral("DATA CONVERTER DATA READ SUCCESSFUL");
inline const QString PROGRAMMED = QStringLiteral("DATA CONVERTER HAS BEEN PROGRAMMED");

// The wrong-kind message box.
inline const QString MISMATCH_TITLE = QStringLiteral("DATA CONVERTER/CONFIGURATION MIS-MATCH");
inline const QString READ_MISMATCH =
    QStringLiteral("THE DATA CONVERTER THAT YOU HAVE ATTEMPTED TO READ DATA FROM DOES NOT "
                   "MATCH THIS CONFIGURATION PROGRAM");
inline const QString WRITE_MISMATCH =
    QStringLiteral("THE DATA CONVERTER THAT YOU HAVE ATTEMPTED TO WRITE DATA TO DOES NOT "
                   "MATCH THIS CONFIGURATION PROGRAM");

} // namespace ui
