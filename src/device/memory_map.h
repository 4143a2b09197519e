#pragma once
// Where each byte of a configuration lives in the module: the one table every run follows.

#include "converter_config.h"
#include "device_constants.h"

#include <array>

enum class CellContent { InputPointCode, OutputPointCode, LoopByte };

struct MemoryCell {
    qint16 address;
    CellContent content;
    int slot;          // 1..10 for point codes, 0 for loop bytes
    qint16 read_limit; // highest value a read accepts
};

constexpr int CONFIGURATION_BYTES = 24;
using MemoryMap = std::array<MemoryCell, CONFIGURATION_BYTES>;

// What a module holds: the configuration bytes at addresses 0..23 and its identity byte.
struct ModuleImage {
    std::array<qint16, CONFIGURATION_BYTES> bytes{};
    qint16 identity = device::IDENTITY_CODE;

    bool operator==(const ModuleImage &) const = default;
};

// Addresses 0..23 in the order both runs visit them.
const MemoryMap &memory_map();

// The first address of the loop bytes (input low, input high, output low, output high).
constexpr qint16 FIRST_LOOP_BYTE_ADDRESS = 2 * SLOT_COUNT;

// The 24 values a write stores, from the gathered point codes and the loop flags.
ModuleImage module_image(const ConverterConfig &config);
