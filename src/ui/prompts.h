#pragma once
// The one door to modal message boxes and file dialogs, so tests can stand in for the person.

#include <QString>

class Prompts
{
public:
    virtual ~Prompts() = default;

    // A modal box with no icon, the title, the text and a single OK button.
    virtual void message(const QString &title, const QString &text) = 0;
    // Modal file dialogs. `filter` is a Qt name filter such as "FILES (*.olc)"; `file_name` is
    // the name the dialog starts with. They return the chosen path, or an empty string when the
    // person cancelled.
    virtual QString open_file_name(const QString &title, const QString &filter,
                                   const QString &file_name) = 0;
    virtual QString save_file_name(const QString &title, const QString &filter,
                                   const QString &file_name) = 0;
};
