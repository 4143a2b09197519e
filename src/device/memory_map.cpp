#include "memory_map.h"

#include "loop_bytes.h"

using namespace device;

namespace
{

constexpr MemoryMap build_map()
{
    MemoryMap map{};
    int i = 0;
    for (int k = 1; k <= SLOT_COUNT; ++k, ++i)
        map[i] = {static_cast<qint16>(i), CellContent::InputPointCode, k, POINT_CODE_LIMIT};
    for (int k = 1; k <= SLOT_COUNT; ++k, ++i)
        map[i] = {static_cast<qint16>(i), CellContent::OutputPointCode, k, POINT_CODE_LIMIT};
    for (; i < CONFIGURATION_BYTES; ++i)
        map[i] = {static_cast<qint16>(i), CellContent::LoopByte, 0, LOOP_BYTE_LIMIT};
    return map;
}

const MemoryMap MAP = build_map();

} // namespace

const MemoryMap &memory_map()
{
    return MAP;
}

ModuleImage module_image(const ConverterConfig &config)
{
    // The loop bytes are packed from the flags here, not taken from inllsb..outlmsb, which hold
    // what was last read or loaded rather than what the toggles show now.
    const LoopBytes loops = pack_loop_bytes(config.inl, config.outl);
    const std::array<qint16, 4> loop_bytes{loops.inllsb, loops.inlmsb, loops.outllsb,
                                           loops.outlmsb};
    ModuleImage image;
    for (const MemoryCell &cell : MAP) {
        const auto address = static_cast<std::size_t>(cell.address);
        const auto slot = static_cast<std::size_t>(cell.slot - 1);
        switch (cell.content) {
        case CellContent::InputPointCode:
            image.bytes[address] = config.inw[slot];
            break;
        case CellContent::OutputPointCode:
            image.bytes[address] = config.outw[slot];
            break;
        case CellContent::LoopByte:
            image.bytes[address] = loop_bytes[address - FIRST_LOOP_BYTE_ADDRESS];
            break;
        }
    }
    return image;
}
