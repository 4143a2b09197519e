#pragma once
// Everything that keeps a file from being opened and written as it is: a damaged record, one of
// another model, each rule a slot breaks and each incomplete slot.

#include "config_record.h"
#include "window_state.h"

#include <QByteArrayView>
#include <QList>
#include <vector>

struct RecordProblem {
    enum class Kind {
        Damaged,          // the open would fail: see detail
        OtherModel,       // the model field is not ours: see detail
        OwnOutput,        // IN-slot names OUT-slot on the same loop
        OtherOutput,      // IN-slot names each of outputs on the same loop
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
    OpenedRecord opened; // the window after the open; meaningful only when it is not damaged
    QList<RecordProblem> problems;

    bool opens() const; // neither damaged nor of another model
    bool sound() const { return problems.isEmpty(); }
};

// Reads the record with the window's reader and, when it opens, checks the slots: the rules for
// IN-1..IN-10 (each rule an input breaks, all the outputs it names), then the incomplete sides.
// `truncated`: the bytes are the start of a file longer than any record file.
RecordCheck check_record(QByteArrayView bytes, bool truncated = false);

// Every active side without a module or a channel: inputs first, then outputs.
QList<RecordProblem> incomplete_sides(const WindowState &state);

// "IN-3", "OUT-7".
QString input_name(int k);
QString output_name(int k);
// The selected item of List(n) as the list shows it, "-" when nothing is selected.
QString list_item_text(const WindowState &state, int list);
QString loop_name(bool data_b);
// A side's point as its lists and toggle show it: "B/3 DATA-B".
QString point_text(const WindowState &state, int module_list, int channel_list, bool data_b);
