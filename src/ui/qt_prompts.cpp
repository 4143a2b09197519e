#include "qt_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

void QtPrompts::message(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_parent);
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
