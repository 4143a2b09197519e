#include "image_comparison.h"

#include "cli_texts.h"
#include "loop_bytes.h"
#include "point_code.h"
#include "record_check.h"
#include "slot_lists.h"

using namespace cli;

namespace
{

// The loop bytes by their place after the point codes.
constexpr qint16 INPUT_LOW = FIRST_LOOP_BYTE_ADDRESS;
constexpr qint16 INPUT_HIGH = FIRST_LOOP_BYTE_ADDRESS + 1;
constexpr qint16 OUTPUT_LOW = FIRST_LOOP_BYTE_ADDRESS + 2;
constexpr qint16 OUTPUT_HIGH = FIRST_LOOP_BYTE_ADDRESS + 3;
// Bits 0 and 1 of a high loop byte belong to slots 9 and 10.
constexpr qint16 SLOT_BITS_OF_HIGH_BYTE = 0x03;

qint16 at(const ModuleImage &image, qint16 address)
{
    return image.bytes[static_cast<std::size_t>(address)];
}

void compare_points(const ModuleImage &file, const ModuleImage &module,
                    QList<ImageDifference> &differences)
{
    for (const MemoryCell &cell : memory_map()) {
        if (cell.content == CellContent::LoopByte)
            continue;
        const qint16 expected = at(file, cell.address);
        const qint16 found = at(module, cell.address);
        if (expected == found)
            continue;
        differences.append({ImageDifference::Kind::Point,
                            cell.content == CellContent::InputPointCode, cell.slot, cell.address,
                            code_text(expected), code_text(found)});
    }
}

void compare_loops(const ModuleImage &file, const ModuleImage &module, bool input,
                   QList<ImageDifference> &differences)
{
    const qint16 low = input ? INPUT_LOW : OUTPUT_LOW;
    const qint16 high = input ? INPUT_HIGH : OUTPUT_HIGH;
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        const bool expected = loop_bit_set(at(file, low), at(file, high), k);
        const bool found = loop_bit_set(at(module, low), at(module, high), k);
        if (expected != found)
            differences.append({ImageDifference::Kind::Loop, input, k,
                                k <= SLOTS_IN_LOW_BYTE ? low : high, loop_name(expected),
                                loop_name(found)});
    }
}

void compare_unused_bits(const ModuleImage &file, const ModuleImage &module, bool input,
                         QList<ImageDifference> &differences)
{
    const qint16 high = input ? INPUT_HIGH : OUTPUT_HIGH;
    const qint16 expected = at(file, high);
    const qint16 found = at(module, high);
    if ((expected & ~SLOT_BITS_OF_HIGH_BYTE) != (found & ~SLOT_BITS_OF_HIGH_BYTE))
        differences.append({ImageDifference::Kind::UnusedBits, input, 0, high,
                            QString::number(expected), QString::number(found)});
}

} // namespace

QString ImageDifference::text() const
{
    const QString side = input ? input_name(slot) : output_name(slot);
    switch (kind) {
    case Kind::Point:
        return POINT_DIFFERS.arg(side, file, module);
    case Kind::Loop:
        return LOOP_DIFFERS.arg(side, file, module);
    case Kind::UnusedBits:
        break;
    }
    return UNUSED_BITS_DIFFER.arg(address).arg(input ? INPUT_LOOP_BYTE : OUTPUT_LOOP_BYTE, file,
                                               module);
}

QList<ImageDifference> image_differences(const ModuleImage &file, const ModuleImage &module)
{
    QList<ImageDifference> differences;
    compare_points(file, module, differences);
    for (bool input : {true, false}) {
        compare_loops(file, module, input, differences);
        compare_unused_bits(file, module, input, differences);
    }
    return differences;
}

QString code_text(qint16 code)
{
    if (code > HIGHEST_POINT_CODE)
        return NOT_ASSIGNED_MARK;
    if (code < 0) // no point at all; only a damaged record holds one
        return QString::number(code);
    const auto module = static_cast<std::size_t>(code / CHANNELS_PER_MODULE);
    const auto channel = static_cast<std::size_t>(code % CHANNELS_PER_MODULE);
    return POINT_CODE.arg(QString::fromLatin1(list_items(ListKind::OutputModule)[module].text),
                          QString::fromLatin1(list_items(ListKind::OutputChannel)[channel].text));
}
