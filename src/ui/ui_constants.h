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

inline const QColor LIGHT_GREY{192, 192, 192};
inline const QColor YELLOW{255, 255, 0};
inline const QColor LIGHT_CYAN{192, 255, 255};
inline const QColor GREEN{0, 255, 0};
inline const QColor RED{255, 0, 0};

constexpr int PANEL_NAME_BOX = 2; // Text(2)
constexpr int TWIPS_PER_INCH = 1440;

} // namespace ui
