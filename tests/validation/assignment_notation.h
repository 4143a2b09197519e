#pragma once
// A short notation for slot sides in the validation tests, so a case reads like the window:
// "IN2=B5" is module B, channel 5 on DATA-A; "OUT7=B5.B" the same on DATA-B; "IN4=C-" has no
// channel; "IN3=N/A-" is switched off; "OUT3=--" shows no selection. Sides are space separated.

#include "assignment_rules.h"
#include "assignment_view.h"

#include <QList>
#include <QString>

struct SideSetting {
    QString name; // "IN2", "OUT7"
    bool input = true;
    int k = 0;
    qint16 module = -1;  // list position
    qint16 channel = -1; // list position
    bool data_b = false;

    int module_list() const;
    int channel_list() const;
    int toggle() const;
};

// Parses a space-separated list of sides. A malformed token throws std::invalid_argument
// naming it, which the test framework reports as a failure of that case.
QList<SideSetting> parse_sides(const QString &notation);

// The window as it starts (every input "N/A", nothing else selected, all toggles released)
// with the given sides set.
AssignmentSnapshot snapshot_of(const QString &notation);

// What the view shows for one side ("IN2", "OUT7"), in the notation above without the name.
QString side_shown(const AssignmentView &view, const QString &name);
