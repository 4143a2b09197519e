#include "memory_map.h"

using namespace device;

namespace
{

constexpr MemoryMap build_map()
{
    MemoryMap map{};
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        map[input_address(k)] = {input_address(k), CellContent::InputPointCode, k,
                                 POINT_CODE_LIMIT};
        map[output_address(k)] = {output_address(k), CellContent::OutputPointCode, k,
                                  POINT_CODE_LIMIT};
    }
    for (int i = FIRST_LOOP_BYTE_ADDRESS; i < CONFIGURATION_BYTES; ++i)
        map[i] = {static_cast<qint16>(i), CellContent::LoopByte, 0, LOOP_BYTE_LIMIT};
    return map;
}

const MemoryMap MAP = build_map();

} // namespace

const MemoryMap &memory_map()
{
    return MAP;
}
