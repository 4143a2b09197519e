#pragma once
// Everything that keeps a file from being opened and written as it is, as data: a damaged
// record, one of another model, each box the window's check shows after the open, and each side
// the open leaves incomplete. The front ends word each finding.

#include "config_record.h"
#include "panel_check.h"
#include "panel_gathering.h"

#include <QByteArrayView>
#include <QList>
#include <vector>

struct RecordProblem {
    enum class Kind {
        Damaged,          // the open would fail: see damage
        OtherModel,       // the model field is not ours: see model
        OwnOutput,        // IN-slot names OUT-slot on the same loop: the open clears OUT-slot
        OtherOutput,      // IN-slot names each of outputs on the same loop: IN-slot goes to N/A
        IncompleteInput,  // an active IN-slot without a module or a channel
        IncompleteOutput, // OUT-slot of an active slot without a module or a channel
    };
    // Why a damaged record does not open.
    enum class Damage {
        None,
        TooShort,   // it ends before its last field
        TooLarge,   // the start of a file larger than any record file, and no record in it
        NotANumber, // a number field holds something else: see field
        OutOfRange, // a number field does not fit in 16 bits: see field
        NoCodePage, // this system cannot decode the record's text
        NoPosition, // a point code names no channel: see slot, output and code
    };

    Kind kind = Kind::Damaged;
    Damage damage = Damage::None;
    int slot = 0;             // k of IN-k/OUT-k, when the finding has one
    bool output = false;      // NoPosition and the incomplete kinds: the output side
    int field = 0;            // NotANumber, OutOfRange: the field's number, 1..46
    qint16 code = 0;          // NoPosition: the point code
    QString model;            // OtherModel: the model field as read
    PanelSide point;          // the two rule kinds: the input as it was when refused
    std::vector<int> outputs; // OtherOutput: every j whose OUT-j the input names
    bool module_missing = false, channel_missing = false; // the incomplete kinds

    bool operator==(const RecordProblem &) const = default;
};

struct RecordCheck {
    ConfigRecord record;
    OpenedRecord opened; // the window after the open; meaningful only when it opens
    QList<RecordProblem> problems;

    bool opens() const; // neither damaged nor of another model
    bool sound() const { return problems.isEmpty(); }
    // What the window holds once the open and its check are done.
    const Panel &panel() const { return opened.checked.panel; }
};

// Reads the record with the window's reader and, when it opens, runs the window's check on
// what the open left: each box in the order the window shows them, then the boxes later edits
// would bring. Then every side the file leaves without a module or a channel. `truncated`: the
// bytes are the start of a file longer than any record file.
RecordCheck check_record(QByteArrayView bytes, bool truncated = false);

// Every incomplete active side as a problem, inputs first.
QList<RecordProblem> incomplete_problems(const Panel &panel);
