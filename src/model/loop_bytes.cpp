#include "loop_bytes.h"

qint16 loop_bit_value(int slot)
{
    const int bit = slot <= SLOTS_IN_LOW_BYTE ? slot - 1 : slot - 1 - SLOTS_IN_LOW_BYTE;
    return static_cast<qint16>(1 << bit);
}

bool loop_bit_set(qint16 low_byte, qint16 high_byte, int slot)
{
    const qint16 byte = slot <= SLOTS_IN_LOW_BYTE ? low_byte : high_byte;
    return (byte & loop_bit_value(slot)) != 0;
}

std::pair<qint16, qint16> pack_loop_flags(const LoopFlags &flags)
{
    qint16 low = 0;
    qint16 high = 0;
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        if (!flags[static_cast<std::size_t>(k - 1)])
            continue;
        qint16 &byte = k <= SLOTS_IN_LOW_BYTE ? low : high;
        byte = static_cast<qint16>(byte + loop_bit_value(k));
    }
    return {low, high};
}

LoopFlags unpack_loop_flags(qint16 low_byte, qint16 high_byte)
{
    LoopFlags flags{};
    for (int k = 1; k <= SLOT_COUNT; ++k)
        flags[static_cast<std::size_t>(k - 1)] = loop_bit_set(low_byte, high_byte, k);
    return flags;
}
