#pragma once
// The ways the emulated module can misbehave; a default-constructed value is a healthy module.

#include "emulator_constants.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>
#include <optional>

namespace emulator
{

struct FaultOptions {
    // Takes no notice of any frame: no answer, nothing stored (a module that is off).
    bool silent = false;
    // The first "A" answered is the n-th one received; earlier ones go unanswered.
    int answer_attention_from = 1;
    // A read of the identity byte reports this value; the memory itself is left alone.
    std::optional<quint8> identity;
    // A read of one of these addresses reports this value instead of the stored byte.
    QMap<int, int> read_values;
    // A read of one of these addresses is answered with this text; the faults below that shape
    // replies apply to it too, so there is one rule for every reply.
    QMap<int, QByteArray> raw_replies;
    // Every reply starts this long after the frame that asked for it.
    milliseconds reply_delay{0};
    // Only the first n characters of each reply are sent (-1: all of them).
    int reply_length = -1;
    // Appended to every reply.
    QByteArray extra;
    // Acknowledges with the last letter in lower case ("D000d").
    bool lower_case_ack = false;
    // Stores that are acknowledged but not kept: every store, or only these addresses.
    bool forget_all_stores = false;
    QSet<int> forget_addresses;
    // After this many exchanges the line drops when the next frame arrives, unanswered.
    std::optional<int> drop_after;
    // Each reply is sent in pieces of these sizes (the rest in a last piece), piece_gap apart.
    QList<int> pieces;
    milliseconds piece_gap{0};
    // Paces the line as a real one at LINE_BAUD: a frame takes its length in byte times to
    // arrive, and every reply byte takes one more byte time on its way back.
    bool line_rate = false;

    friend bool operator==(const FaultOptions &, const FaultOptions &) = default;
};

} // namespace emulator
