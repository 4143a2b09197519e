#pragma once
// Everything that keeps a file from being opened and written as it is: a damaged record, one of
// another model, each box the window's check shows after the open, and each side the open
// leaves incomplete.

#include "config_record.h"
#include "panel_check.h"
#include "panel_gathering.h"

#include <QByteArrayView>
#include <QList>
#include <vector>

struct RecordProblem {
    enum class Kind {
        Damaged,          // the open would fail: see detail
        OtherModel,       // the model field is not ours: see detail
        OwnOutput,        // IN-slot names OUT-slot on the same loop: the open clears OUT-slot
        OtherOutput,      // IN-slot names each of outputs on the same loop: IN-slot goes to N/A
        IncompleteInput,  // an active IN-slot without a channel
        IncompleteOutput, // OUT-slot of an active slot without a module or a channel
    };
    Kind kind = Kind::Damaged;
    int slot = 0;
    std::vector<int> outputs;
    QString detail;          // a sentence naming the slot and the point
    QString message() const; // the window's words for it
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

// "IN-3", "OUT-7".
QString input_name(int k);
QString output_name(int k);
QString loop_name(bool data_b);
// What a side's lists show ("B", "3"; "-" for nothing selected), and its point as its lists and
// toggle show it: "B/3 DATA-B".
QString module_text(const PanelSide &side, bool output);
QString channel_text(const PanelSide &side);
QString point_text(const PanelSide &side, bool output);
