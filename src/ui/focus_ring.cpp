#include "focus_ring.h"

#include <QEvent>
#include <QPainter>

namespace
{

constexpr int RING_WIDTH = 2; // pixels

} // namespace

FocusRing::FocusRing(QWidget *owner) : QWidget(owner)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(owner->rect());
    setVisible(owner->hasFocus());
    owner->installEventFilter(this);
}

bool FocusRing::eventFilter(QObject *watched, QEvent *event)
{
    auto *owner = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        setVisible(owner->hasFocus());
        // Over the owner's own children (a list's viewport and scroll bar).
        raise();
        break;
    case QEvent::Resize:
        setGeometry(owner->rect());
        break;
    default:
        break;
    }
    return false;
}

void FocusRing::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The owner's text colour: the frame is as plain as its text on any background or theme.
    const QColor colour = parentWidget()->palette().color(QPalette::WindowText);
    for (int inset = 0; inset < RING_WIDTH; ++inset) {
        painter.setPen(colour);
        painter.drawRect(rect().adjusted(inset, inset, -inset - 1, -inset - 1));
    }
}
