#pragma once
// Roles for assistive technology where Qt's own guess is wrong: a message box of ours is an
// alert, not a plain dialog, and the status line's announcer a notification, not a panel, so a
// screen reader reads each out when it appears.

#include <QAccessible>

class QWidget;

// Tells assistive technology that `widget` has `role`; before anything asks about the widget.
void set_accessible_role(QWidget *widget, QAccessible::Role role);
