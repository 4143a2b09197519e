#include "point_code.h"

#include "slot_lists.h"

namespace
{
// The input module list holds "N/A" first, so "A" sits at position 1.
constexpr qint16 FIRST_LETTER = 1;
} // namespace

DecodedPoint decode_point_code(qint16 code)
{
    if (code > HIGHEST_POINT_CODE)
        return {NA_POSITION, NO_SELECTION};
    if (code < 0)
        return {FIRST_LETTER, code};
    return {static_cast<qint16>(FIRST_LETTER + code / CHANNELS_PER_MODULE),
            static_cast<qint16>(code % CHANNELS_PER_MODULE)};
}
