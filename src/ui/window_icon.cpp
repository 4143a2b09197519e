#include "window_icon.h"

#include <QPainter>
#include <QPixmap>

namespace
{
constexpr int ICON_SIZE = 40;
}

QIcon make_window_icon()
{
    // Two columns of ports joined by arrows: ten inputs routed to ten outputs.
    QPixmap pixmap(ICON_SIZE, ICON_SIZE);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(192, 192, 192));
    p.drawRoundedRect(QRectF(1, 1, 38, 38), 4, 4);
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 3; ++row) {
        const int y = 8 + row * 10;
        p.setBrush(QColor(255, 255, 0));
        p.drawRect(5, y, 8, 6);
        p.setBrush(QColor(192, 255, 255));
        p.drawRect(27, y, 8, 6);
        p.setPen(QPen(Qt::black, 1.5));
        p.drawLine(QPointF(14, y + 3), QPointF(25, y + 3));
        p.drawLine(QPointF(22, y), QPointF(25, y + 3));
        p.drawLine(QPointF(22, y + 6), QPointF(25, y + 3));
        p.setPen(Qt::NoPen);
    }
    return QIcon(pixmap);
}
