#include "qt_prompts.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>

void QtPrompts::message(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_parent);
    // The texts are laid out line by line; let the box grow to the longest line instead of
    // wrapping lines in the middle.
    if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
        label->setWordWrap(false);
    // Some styles decorate dialog buttons with an icon; the box shows none at all.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
}

QString QtPrompts::open_file_name(const QString &title, const QString &filter,
                                  const QString &file_name)
{
    return QFileDialog::getOpenFileName(m_parent, title, file_name, filter);
}

QString QtPrompts::save_file_name(const QString &title, const QString &filter,
                                  const QString &file_name)
{
    return QFileDialog::getSaveFileName(m_parent, title, file_name, filter);
}
