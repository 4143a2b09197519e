#include "qt_prompts.h"

#include "message_dialog.h"

#include <QFileDialog>

void QtPrompts::message(const QString &title, const QString &text)
{
    MessageDialog box(title, text, m_parent);
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
