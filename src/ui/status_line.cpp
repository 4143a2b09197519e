#include "status_line.h"

#include "accessible_roles.h"
#include "window_fonts.h"

#include <QAccessible>
#include <QLabel>

namespace
{

inline const QString ACCESSIBLE_NAME = QStringLiteral("Status");
constexpr double FONT_POINTS = 8.25;

} // namespace

StatusLine::StatusLine(QWidget *parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setAccessibleName(ACCESSIBLE_NAME);
    setFont(design_font(ui::ARIAL_FAMILY, FONT_POINTS, false));
    QTextOption centred(Qt::AlignHCenter);
    centred.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document()->setDefaultTextOption(centred);

    m_announcer = new QWidget(parent);
    set_accessible_role(m_announcer, QAccessible::Notification);
    m_announcer->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_announcer->stackUnder(this);
    m_spoken = new QLabel(m_announcer);
    m_spoken->setFont(font());
    QPalette unseen = m_spoken->palette();
    unseen.setColor(QPalette::WindowText, Qt::transparent);
    m_spoken->setPalette(unseen);

    m_announcement.setSingleShot(true);
    connect(&m_announcement, &QTimer::timeout, this, &StatusLine::announce);
}

void StatusLine::set_text(const QString &text)
{
    const bool announced = text != toPlainText() && isVisible();
    setPlainText(text);
    if (announced)
        m_announcement.start();
}

void StatusLine::announce()
{
    if (!isVisible())
        return;
    m_spoken->setText(toPlainText());
    QAccessibleEvent event(m_announcer, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&event);
}

void StatusLine::showEvent(QShowEvent *event)
{
    QTextEdit::showEvent(event);
    m_announcement.start();
}

void StatusLine::hideEvent(QHideEvent *event)
{
    QTextEdit::hideEvent(event);
    // Nothing is left to be read where nothing is shown.
    m_announcement.stop();
    m_spoken->clear();
}

void StatusLine::moveEvent(QMoveEvent *event)
{
    QTextEdit::moveEvent(event);
    m_announcer->setGeometry(geometry());
}

void StatusLine::resizeEvent(QResizeEvent *event)
{
    QTextEdit::resizeEvent(event);
    m_announcer->setGeometry(geometry());
    m_spoken->resize(size());
}
