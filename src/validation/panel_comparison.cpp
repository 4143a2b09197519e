#include "panel_comparison.h"

#include "loop_bytes.h"
#include "module_image.h"

namespace
{

// A side's point for comparing: nothing where the slot is switched off or the side decodes as
// not assigned; designations and loops left out.
std::optional<PanelSide> point_of(const PanelSlot &slot, bool output)
{
    const PanelSide &side = output ? slot.output : slot.input;
    if (!slot.active() || (side.module == NO_SELECTION && side.channel == NO_SELECTION))
        return std::nullopt;
    PanelSide point;
    point.module = side.module;
    point.channel = side.channel;
    return point;
}

PanelSide loop_of(bool data_b)
{
    PanelSide side;
    side.data_b = data_b;
    return side;
}

// The loop byte that holds a side's bit: low or high, input or output.
qint16 loop_byte_address(int k, bool output)
{
    const int high = k > SLOTS_IN_LOW_BYTE ? 1 : 0;
    constexpr int OUTPUT_BYTES = 2; // the output bytes follow the two input bytes
    return static_cast<qint16>(FIRST_LOOP_BYTE_ADDRESS + high + (output ? OUTPUT_BYTES : 0));
}

} // namespace

QList<PanelDifference> panel_differences(const Panel &file, const Panel &module)
{
    QList<PanelDifference> differences;
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        const PanelSlot &expected = file.slot(k);
        const PanelSlot &found = module.slot(k);
        if (!expected.active() && !found.active())
            continue;
        for (bool output : {false, true}) {
            const auto want = point_of(expected, output);
            const auto have = point_of(found, output);
            if (want != have)
                differences.append({PanelDifference::Kind::Point, output, k,
                                    output ? output_address(k) : input_address(k), want, have});
        }
        if (!expected.active() || !found.active())
            continue;
        for (bool output : {false, true}) {
            const bool want = (output ? expected.output : expected.input).data_b;
            const bool have = (output ? found.output : found.input).data_b;
            if (want != have)
                differences.append({PanelDifference::Kind::Loop, output, k,
                                    loop_byte_address(k, output), loop_of(want), loop_of(have)});
        }
    }
    return differences;
}
