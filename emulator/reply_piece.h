#pragma once
// One timed piece of the module's answer: bytes to send, or the line to drop.

#include "emulator_constants.h"

#include <QByteArray>

namespace emulator
{

struct ReplyPiece {
    QByteArray bytes;
    // Counted from the arrival of the frame being answered.
    milliseconds delay{0};
    // Close the line at this moment instead of sending anything.
    bool drop_line = false;

    friend bool operator==(const ReplyPiece &, const ReplyPiece &) = default;
};

} // namespace emulator
