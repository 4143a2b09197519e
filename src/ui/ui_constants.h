#pragma once
// Fixed texts, colours and measures of the main window, each defined once.

#include "configuration_texts.h"

#include <QColor>
#include <QString>

namespace ui
{

inline const QString WINDOW_CAPTION = QStringLiteral("QMB DATA CONVERTER CONFIGURATION PROGRAM");
// The text the designation boxes are built with; the start-up replaces it before it is seen.
inline const QString DESIGNATION_AS_BUILT = QStringLiteral("DESIGNATION ");
inline const QString LOOP_CAPTION = QStringLiteral("LOOP");
inline const QString EQUALS_CAPTION = QStringLiteral("=");
inline const QString INPUT_HEADING = QStringLiteral("DATA-A or DATA-B INPUT CHANNEL");
inline const QString OUTPUT_HEADING = QStringLiteral("      DATA-A        OUTPUT CHANNEL");
inline const QString PANEL_NAME_CAPTION = QStringLiteral("DATA CONVERTER NAME");
inline const QString PANEL_NAME_TIP = QStringLiteral("ENTER IDENTITY FOR FILE NAME");
inline const QString MENU_COM_SETTINGS = QStringLiteral("COM SETTINGS");

inline const QString READ_FILE_CAPTION = QStringLiteral("OPEN CONFIGURATION FILE");
inline const QString READ_FILE_TIP = QStringLiteral("LEFT CLICK TO OPEN CONFIG FILE");
inline const QString WRITE_FILE_CAPTION = QStringLiteral("SAVE CONFIGURATION FILE");
inline const QString WRITE_FILE_TIP = QStringLiteral("LEFT CLICK TO SAVE CONFIG FILE");
inline const QString READ_CONFIG_CAPTION =
    QStringLiteral("READ CONFIGURATION FROM DATA CONVERTER MODULE");
inline const QString READ_CONFIG_TIP = QStringLiteral("LEFT CLICK TO READ CONFIG IN SWITCH PANEL");
inline const QString WRITE_CONFIG_CAPTION =
    QStringLiteral("WRITE CONFIGURATION TO DATA CONVERTER MODULE");
inline const QString WRITE_CONFIG_TIP = QStringLiteral("LEFT CLICK TO SAVE CONFIG IN SWITCH PANEL");

// Tool tips of the slot controls; %1 is "IN-k" or "OUT-k".
inline const QString MODULE_TIP = QStringLiteral("%1 MODULE ASSIGNMENT");
inline const QString CHANNEL_TIP = QStringLiteral("%1 CHANNEL ASSIGNMENT");
inline const QString DESIGNATION_TIP = QStringLiteral("ENTER %1 FUNCTION");
inline const QString LOOP_TIP = QStringLiteral("CLICK TO CHANGE %1 LOOP");

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

// The file dialogs and the boxes of the open and save commands.
inline const QString FILE_FILTER = QStringLiteral("OMNILATTICE CONFIGURATION FILES (*.olc)");
inline const QString OPEN_TITLE = QStringLiteral("READ CONFIGURATION FILE");
inline const QString SAVE_TITLE = QStringLiteral("WRITE CONFIGURATION FILE");
inline const QString MISMATCH_TEXT =
    QStringLiteral("AN ERROR HAS OCCURRED READING THE FILE BECAUSE THE FILE\n"
                   "WAS NOT CREATED FOR THE 00-00574-000\n"
                   "-------------THE FILE READ OPERATION IS BEING ABANDONED!--------------");
// Refusals of texts the record cannot carry; %1 names the box, %2 the character.
inline const QString UNWRITABLE_TITLE = QStringLiteral("TEXT CANNOT BE SAVED");
inline const QString DOUBLE_QUOTE_TEXT =
    QStringLiteral("THE %1 CONTAINS A DOUBLE QUOTE (\").\n"
                   "A CONFIGURATION FILE CANNOT HOLD IT: PLEASE REMOVE IT AND SAVE AGAIN.");
inline const QString NOT_IN_CODE_PAGE_TEXT =
    QStringLiteral("THE %1 CONTAINS THE CHARACTER %2,\n"
                   "WHICH A CONFIGURATION FILE CANNOT HOLD: PLEASE REPLACE IT AND SAVE AGAIN.");
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

inline const QColor LIGHT_GREY{192, 192, 192};
inline const QColor YELLOW{255, 255, 0};
inline const QColor LIGHT_CYAN{192, 255, 255};
inline const QColor GREEN{0, 255, 0};
inline const QColor RED{255, 0, 0};

constexpr int PANEL_NAME_BOX = 2; // Text(2)
constexpr int TWIPS_PER_INCH = 1440;

} // namespace ui
