#pragma once
// The fonts the windows were designed in, and their metric-compatible stand-ins where the
// designed family is not installed (as on most Linux desktops).

#include <QFont>
#include <QString>
#include <QStringList>

namespace ui
{

inline const QString WINDOW_FAMILY = QStringLiteral("MS Sans Serif");
inline const QString ARIAL_FAMILY = QStringLiteral("Arial");
// The windows' own font size, and the settings window's (its font was the form default).
constexpr double WINDOW_FONT_POINTS = 8.25;
// Same advance widths and line heights as Arial, so every caption breaks where it was designed
// to. The first one installed is used.
inline const QStringList METRIC_COMPATIBLE_FAMILIES{QStringLiteral("Liberation Sans"),
                                                    QStringLiteral("Arimo")};

} // namespace ui

// Tells Qt to draw each designed family that is missing in the first metric-compatible family
// that is installed. Done in the program itself, so the window looks the same whatever the
// desktop's font configuration says. Safe to call more than once.
void resolve_window_fonts();

// A font of a designed family, with the family resolved as above.
QFont design_font(const QString &family, double points, bool bold);
