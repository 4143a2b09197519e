#pragma once
// Loop flags and loop bytes: slots 1..8 own bits 0..7 of the low byte, slots 9 and 10 bits 0
// and 1 of the high byte, for the inputs and the outputs alike.

#include "converter_config.h"

constexpr int SLOTS_IN_LOW_BYTE = 8;

struct LoopBytes {
    qint16 inllsb = 0;
    qint16 inlmsb = 0;
    qint16 outllsb = 0;
    qint16 outlmsb = 0;
    bool operator==(const LoopBytes &) const = default;
};

// The value a slot's loop flag takes on DATA-B: 1, 2, 4 .. 128 for slots 1..8; 1, 2 for 9, 10.
qint16 loop_bit_value(int slot);

// Plain sums of the flags, as the module and the file store them.
LoopBytes pack_loop_bytes(const ConverterConfig::Slots &inl, const ConverterConfig::Slots &outl);

// Whether a slot's bit is set in the byte that holds it (low byte for 1..8, high for 9, 10).
bool loop_bit_set(qint16 low_byte, qint16 high_byte, int slot);

// The ten loop flags a load leaves, bit by bit: the slot's bit value where its bit is set, 0
// elsewhere. Bits 2..7 of the high byte belong to no slot and are dropped.
ConverterConfig::Slots unpack_loop_flags(qint16 low_byte, qint16 high_byte);
