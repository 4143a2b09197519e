#pragma once
// Prompts for tests: records every box and dialog, answers dialogs from a queue, and can run a
// check while a box is "shown", so a test sees the window as the person would at that moment.

#include "prompts.h"

#include <QList>
#include <QStringList>
#include <functional>

class RecordingPrompts : public Prompts
{
public:
    struct Message {
        QString title;
        QString text;
    };
    struct FileRequest {
        bool save = false;
        QString title;
        QString filter;
        QString file_name;
    };

    QList<Message> messages;
    QList<FileRequest> file_requests;
    // Answers for the next file dialogs, in order; an empty string (or an empty queue) cancels.
    QStringList file_answers;
    // Runs while a message box is shown, before it is closed with OK.
    std::function<void(const Message &)> on_message;

    void message(const QString &title, const QString &text) override;
    QString open_file_name(const QString &title, const QString &filter,
                           const QString &file_name) override;
    QString save_file_name(const QString &title, const QString &filter,
                           const QString &file_name) override;

private:
    QString answer(bool save, const QString &title, const QString &filter,
                   const QString &file_name);
};
