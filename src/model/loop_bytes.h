#pragma once
// Loop flags and loop bytes: slots 1..8 own bits 0..7 of the low byte, slots 9 and 10 bits 0
// and 1 of the high byte, for the inputs and the outputs alike. A set bit means DATA-B.

#include "slot_lists.h"

#include <array>

constexpr int SLOTS_IN_LOW_BYTE = 8;

// The four loop bytes in the order the module and the file keep them.
struct LoopBytes {
    qint16 inllsb = 0;
    qint16 inlmsb = 0;
    qint16 outllsb = 0;
    qint16 outlmsb = 0;
    bool operator==(const LoopBytes &) const = default;
};

// DATA-B per slot of one side, [k - 1] for slot k.
using LoopFlags = std::array<bool, SLOT_COUNT>;

// The value a slot's bit has in the byte that holds it: 1, 2, 4 .. 128 for slots 1..8; 1, 2
// for slots 9 and 10.
qint16 loop_bit_value(int slot);

// Whether a slot's bit is set in the byte that holds it (low byte for 1..8, high for 9, 10).
bool loop_bit_set(qint16 low_byte, qint16 high_byte, int slot);

// The low and high byte of one side: plain sums of the set bits, as the module and the file
// store them.
std::pair<qint16, qint16> pack_loop_flags(const LoopFlags &flags);

// The flags a load leaves, bit by bit. Bits 2..7 of the high byte belong to no slot and are
// dropped.
LoopFlags unpack_loop_flags(qint16 low_byte, qint16 high_byte);
