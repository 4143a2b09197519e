#pragma once
// What the assignment check needs of the window, and nothing more.

#include "assignment_rules.h"

#include <QString>
#include <QtGlobal>

class AssignmentView
{
public:
    virtual ~AssignmentView() = default;

    // True while a load pushes values into the window (`busy` is -1).
    virtual bool is_busy() const = 0;
    // Selected position of List(n), n = 1..40; -1 when nothing is selected.
    virtual qint16 list_position(int n) const = 0;
    // Whether ToggleButton(n), n = 1..20, is pressed.
    virtual bool toggle_pressed(int n) const = 0;
    // Selects a position of List(n) (-1 clears it). The list's own reaction runs, to completion,
    // before this returns. False when the list has no such position.
    virtual bool set_list_position(int n, qint16 position) = 0;
    // A modal message box with a title, the text and a single OK button; returns when closed.
    virtual void show_message(const QString &title, const QString &text) = 0;
    // Told, before anything is undone, which rule IN-k breaks and the outputs it names.
    virtual void rule_broken(int k, AssignmentRule rule, const std::vector<int> &outputs)
    {
        Q_UNUSED(k);
        Q_UNUSED(rule);
        Q_UNUSED(outputs);
    }
};
