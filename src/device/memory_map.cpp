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
        map[i] = {static_cast<qint16>(i), CellContent::InputPointCode, k, nullptr,
                  POINT_CODE_LIMIT};
    for (int k = 1; k <= SLOT_COUNT; ++k, ++i)
        map[i] = {static_cast<qint16>(i), CellContent::OutputPointCode, k, nullptr,
                  POINT_CODE_LIMIT};
    for (auto field : {&ConverterConfig::inllsb, &ConverterConfig::inlmsb,
                       &ConverterConfig::outllsb, &ConverterConfig::outlmsb}) {
        map[i] = {static_cast<qint16>(i), CellContent::LoopByte, 0, field, LOOP_BYTE_LIMIT};
        ++i;
    }
    return map;
}

const MemoryMap MAP = build_map();

} // namespace

const MemoryMap &memory_map()
{
    return MAP;
}

MemoryImage memory_image(const ConverterConfig &config)
{
    // The loop bytes are packed from the flags here, not taken from inllsb..outlmsb, which hold
    // what was last read or loaded rather than what the toggles show now.
    ConverterConfig packed = config;
    const LoopBytes loops = pack_loop_bytes(config.inl, config.outl);
    packed.inllsb = loops.inllsb;
    packed.inlmsb = loops.inlmsb;
    packed.outllsb = loops.outllsb;
    packed.outlmsb = loops.outlmsb;

    MemoryImage image{};
    for (const MemoryCell &cell : MAP) {
        const auto slot = static_cast<std::size_t>(cell.slot - 1);
        switch (cell.content) {
        case CellContent::InputPointCode:
            image[cell.address] = config.inw[slot];
            break;
        case CellContent::OutputPointCode:
            image[cell.address] = config.outw[slot];
            break;
        case CellContent::LoopByte:
            image[cell.address] = packed.*cell.loop_byte;
            break;
        }
    }
    return image;
}
