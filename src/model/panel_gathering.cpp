#include "panel_gathering.h"

#include "loop_bytes.h"

namespace
{

// The side's code, or nothing when it lacks a selection.
std::optional<qint16> side_code(const Panel &panel, int module_list, int channel_list)
{
    const qint16 module = panel.position(module_list);
    const qint16 channel = panel.position(channel_list);
    if (module == NO_SELECTION || channel == NO_SELECTION)
        return std::nullopt;
    return static_cast<qint16>(item_value(list_kind(module_list), module) +
                               item_value(list_kind(channel_list), channel));
}

// What "N/A" stands for in the codes of both sides of a switched-off slot.
qint16 not_assigned_code()
{
    return item_value(ListKind::InputModule, NA_POSITION);
}

LoopBytes loop_bytes(const Panel &panel)
{
    LoopFlags inputs{};
    LoopFlags outputs{};
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        inputs[static_cast<std::size_t>(k - 1)] = panel.slot(k).input.data_b;
        outputs[static_cast<std::size_t>(k - 1)] = panel.slot(k).output.data_b;
    }
    const auto [inllsb, inlmsb] = pack_loop_flags(inputs);
    const auto [outllsb, outlmsb] = pack_loop_flags(outputs);
    return {inllsb, inlmsb, outllsb, outlmsb};
}

} // namespace

QList<IncompleteSide> incomplete_sides(const Panel &panel)
{
    QList<IncompleteSide> found;
    for (bool output : {false, true})
        for (int k = 1; k <= SLOT_COUNT; ++k) {
            if (!panel.slot(k).active())
                continue;
            const PanelSide &side = output ? panel.slot(k).output : panel.slot(k).input;
            const bool module_missing = side.module == NO_SELECTION;
            const bool channel_missing = side.channel == NO_SELECTION;
            if (module_missing || channel_missing)
                found.append({k, output, module_missing, channel_missing});
        }
    return found;
}

std::optional<PointCodes> gather_point_codes(const Panel &panel)
{
    PointCodes codes;
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        if (!panel.slot(k).active()) {
            codes.in[i] = codes.out[i] = not_assigned_code();
            continue;
        }
        const auto in = side_code(panel, input_module_list(k), input_channel_list(k));
        const auto out = side_code(panel, output_module_list(k), output_channel_list(k));
        if (!in || !out)
            return std::nullopt;
        codes.in[i] = *in;
        codes.out[i] = *out;
    }
    return codes;
}

std::optional<ModuleImage> image_to_write(const Panel &panel)
{
    const auto codes = gather_point_codes(panel);
    if (!codes)
        return std::nullopt;
    ModuleImage image;
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        image.bytes[static_cast<std::size_t>(input_address(k))] = codes->in[i];
        image.bytes[static_cast<std::size_t>(output_address(k))] = codes->out[i];
    }
    const LoopBytes loops = loop_bytes(panel);
    const qint16 packed[] = {loops.inllsb, loops.inlmsb, loops.outllsb, loops.outlmsb};
    for (std::size_t i = 0; i < std::size(packed); ++i)
        image.bytes[FIRST_LOOP_BYTE_ADDRESS + i] = packed[i];
    return image;
}

std::optional<ConfigRecord> record_to_save(const Panel &panel)
{
    const auto codes = gather_point_codes(panel);
    if (!codes)
        return std::nullopt;
    ConfigRecord record;
    record.model = MODEL_ID;
    record.panel = panel.name;
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        record.indesig[i] = panel.slot(k).input.designation;
        record.outdesig[i] = panel.slot(k).output.designation;
    }
    record.in = codes->in;
    record.out = codes->out;
    record.loops = loop_bytes(panel);
    return record;
}
