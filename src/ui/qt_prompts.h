#pragma once
// Prompts shown with a real modal box and QFileDialog.

#include "prompts.h"

class QWidget;

class QtPrompts : public Prompts
{
public:
    explicit QtPrompts(QWidget *parent = nullptr) : m_parent(parent) {}
    void set_parent(QWidget *parent) { m_parent = parent; }

    void message(const QString &title, const QString &text) override;
    QString open_file_name(const QString &title, const QString &filter,
                           const QString &file_name) override;
    QString save_file_name(const QString &title, const QString &filter,
                           const QString &file_name) override;

private:
    QWidget *m_parent = nullptr;
};
