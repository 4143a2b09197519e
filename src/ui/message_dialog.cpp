#include "message_dialog.h"

#include "accessible_roles.h"

#include <QAccessible>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace
{

// Room for the window frame drawn by the desktop around the box.
constexpr int FRAME_ALLOWANCE = 32;
// Room beside the title for the title bar's buttons, as QMessageBox allows.
constexpr int TITLE_BUTTONS_ALLOWANCE = 50;
// Steps in which a message that is wider than the screen gets a smaller font.
constexpr double FONT_STEP_POINTS = 0.5;
constexpr double SMALLEST_FONT_POINTS = 6.0;

int widest_line(const QFontMetrics &metrics, const QString &text)
{
    int widest = 0;
    for (const QString &line : text.split(u'\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

} // namespace

MessageDialog::MessageDialog(const QString &title, const QString &text, QWidget *parent)
    : QDialog(parent)
{
    set_accessible_role(this, QAccessible::AlertMessage);
    setWindowTitle(title);
    setModal(true);

    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(false);
    m_text->setText(text);
    m_text->setTextInteractionFlags(Qt::TextInteractionFlags(
        style()->styleHint(QStyle::SH_MessageBox_TextInteractionFlags, nullptr, this)));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    // Some styles decorate dialog buttons with an icon; the box shows none at all.
    m_ok->setIcon(QIcon());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    // Exactly as large as its contents: the longest line sets the width.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QMargins margins = layout->contentsMargins();
        const int room = screen->availableGeometry().width() - margins.left() - margins.right() -
                         FRAME_ALLOWANCE;
        m_text->setFont(font_fitting(m_text->font(), text, room));
    }
    const int title_width = fontMetrics().horizontalAdvance(title) + TITLE_BUTTONS_ALLOWANCE;
    setMinimumWidth(title_width);
}

QFont MessageDialog::font_fitting(const QFont &font, const QString &text, int room)
{
    QFont fitting = font;
    while (widest_line(QFontMetrics(fitting), text) > room &&
           fitting.pointSizeF() - FONT_STEP_POINTS >= SMALLEST_FONT_POINTS)
        fitting.setPointSizeF(fitting.pointSizeF() - FONT_STEP_POINTS);
    return fitting;
}

void MessageDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // As a message box does: assistive technology reads an alert out as it appears.
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}
