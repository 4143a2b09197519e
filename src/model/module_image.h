#pragma once
// What a module keeps: its 24 configuration bytes, in address order, and its identity byte.

#include "slot_lists.h"

#include <array>

constexpr int CONFIGURATION_BYTES = 24;
// The identity byte of a data converter module.
constexpr qint16 IDENTITY_CODE = 31;

// Addresses: IN-k's point code at k - 1, OUT-k's at 9 + k, then the four loop bytes (input
// low, input high, output low, output high).
constexpr qint16 input_address(int k)
{
    return static_cast<qint16>(k - 1);
}
constexpr qint16 output_address(int k)
{
    return static_cast<qint16>(SLOT_COUNT + k - 1);
}
constexpr qint16 FIRST_LOOP_BYTE_ADDRESS = 2 * SLOT_COUNT;

struct ModuleImage {
    std::array<qint16, CONFIGURATION_BYTES> bytes{};
    qint16 identity = IDENTITY_CODE;

    qint16 at(int address) const { return bytes[static_cast<std::size_t>(address)]; }
    bool operator==(const ModuleImage &) const = default;
};
