#include "window_fonts.h"

#include <QFontDatabase>

namespace
{

void insert_stand_ins()
{
    const QStringList installed = QFontDatabase::families();
    QStringList stand_ins;
    for (const QString &family : ui::METRIC_COMPATIBLE_FAMILIES) {
        if (installed.contains(family, Qt::CaseInsensitive))
            stand_ins.append(family);
    }
    if (stand_ins.isEmpty())
        return; // nothing better than Qt's own fallback
    // An alias in the desktop's font configuration is not an installed family: it may point at
    // a face of other widths, so only a really installed designed family is kept.
    for (const QString &family : {ui::WINDOW_FAMILY, ui::ARIAL_FAMILY}) {
        if (!installed.contains(family, Qt::CaseInsensitive))
            QFont::insertSubstitutions(family, stand_ins);
    }
}

} // namespace

void resolve_window_fonts()
{
    static const bool resolved = [] {
        insert_stand_ins();
        return true;
    }();
    Q_UNUSED(resolved);
}

QFont design_font(const QString &family, double points, bool bold)
{
    resolve_window_fonts();
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
