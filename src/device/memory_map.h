#pragma once
// Where each byte of a configuration lives in the module and what a read of it accepts: the one
// table every run follows.

#include "device_constants.h"
#include "module_image.h"

#include <array>

enum class CellContent { InputPointCode, OutputPointCode, LoopByte };

struct MemoryCell {
    qint16 address;
    CellContent content;
    int slot;          // 1..10 for point codes, 0 for loop bytes
    qint16 read_limit; // highest value a read accepts
};

using MemoryMap = std::array<MemoryCell, CONFIGURATION_BYTES>;

// Addresses 0..23 in the order both runs visit them.
const MemoryMap &memory_map();
