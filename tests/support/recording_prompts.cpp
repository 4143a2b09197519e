#include "recording_prompts.h"

void RecordingPrompts::message(const QString &title, const QString &text)
{
    messages.append({title, text});
    if (on_message)
        on_message(messages.last());
}

QString RecordingPrompts::open_file_name(const QString &title, const QString &filter,
                                         const QString &file_name)
{
    return answer(false, title, filter, file_name);
}

QString RecordingPrompts::save_file_name(const QString &title, const QString &filter,
                                         const QString &file_name)
{
    return answer(true, title, filter, file_name);
}

QString RecordingPrompts::answer(bool save, const QString &title, const QString &filter,
                                 const QString &file_name)
{
    file_requests.append({save, title, filter, file_name});
    return file_answers.isEmpty() ? QString() : file_answers.takeFirst();
}
