#pragma once
// Where each byte of a configuration lives in the module: the one table both sequences follow.

#include "converter_config.h"
#include "device_constants.h"

#include <array>

enum class CellContent { InputPointCode, OutputPointCode, LoopByte };

struct MemoryCell {
    qint16 address;
    CellContent content;
    int slot;                           // 1..10 for point codes, 0 for loop bytes
    qint16 ConverterConfig::*loop_byte; // the loop byte a read goes into (loop bytes only)
    qint16 read_limit;                  // highest value a read accepts
};

constexpr int CONFIGURATION_BYTES = 24;
using MemoryMap = std::array<MemoryCell, CONFIGURATION_BYTES>;
using MemoryImage = std::array<qint16, CONFIGURATION_BYTES>;

// Addresses 0..23 in the order both sequences visit them.
const MemoryMap &memory_map();

// The 24 values the write stores, from the gathered point codes and the loop flags.
MemoryImage memory_image(const ConverterConfig &config);
