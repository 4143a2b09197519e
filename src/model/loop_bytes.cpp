#include "loop_bytes.h"

qint16 loop_bit_value(int slot)
{
    const int bit = slot <= SLOTS_IN_LOW_BYTE ? slot - 1 : slot - 1 - SLOTS_IN_LOW_BYTE;
    return static_cast<qint16>(1 << bit);
}

namespace {
qint16 sum(const ConverterConfig::Slots &flags, int first, int last)
{
    qint16 total = 0;
    for (int k = first; k <= last; ++k)
        total = static_cast<qint16>(total + flags[k - 1]);
    return total;
}
} // namespace

LoopBytes pack_loop_bytes(const ConverterConfig::Slots &inl, const ConverterConfig::Slots &outl)
{
    return {sum(inl, 1, SLOTS_IN_LOW_BYTE), sum(inl, SLOTS_IN_LOW_BYTE + 1, SLOT_COUNT),
            sum(outl, 1, SLOTS_IN_LOW_BYTE), sum(outl, SLOTS_IN_LOW_BYTE + 1, SLOT_COUNT)};
}

bool loop_bit_set(qint16 low_byte, qint16 high_byte, int slot)
{
    const qint16 byte = slot <= SLOTS_IN_LOW_BYTE ? low_byte : high_byte;
    return (byte & loop_bit_value(slot)) != 0;
}

ConverterConfig::Slots unpack_loop_flags(qint16 low_byte, qint16 high_byte)
{
    ConverterConfig::Slots flags{};
    for (int k = 1; k <= SLOT_COUNT; ++k)
        flags[static_cast<std::size_t>(k - 1)] =
            loop_bit_set(low_byte, high_byte, k) ? loop_bit_value(k) : qint16(0);
    return flags;
}
