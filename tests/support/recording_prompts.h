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
        QString title, text;
    };
    struct FileRequest {
        bool save = false;
        QString file_name; // the name the dialog proposed
    };

    QList<Message> messages;
    QList<FileRequest> file_requests;
    // Answers for the next file dialogs, in order; an empty string (or an empty queue) cancels.
    QStringList file_answers;
    // Runs while a message box is shown, before it is closed with OK.
    std::function<void(const Message &)> on_message;

    void message(const QString &title, const QString &text) override
    {
        messages.append({title, text});
        if (on_message)
            on_message(messages.last());
    }
    QString open_file_name(const QString &, const QString &, const QString &name) override
    {
        return answer(false, name);
    }
    QString save_file_name(const QString &, const QString &, const QString &name) override
    {
        return answer(true, name);
    }

private:
    QString answer(bool save, const QString &file_name)
    {
        file_requests.append({save, file_name});
        return file_answers.isEmpty() ? QString() : file_answers.takeFirst();
    }
};
