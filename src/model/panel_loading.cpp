#include "panel_loading.h"

#include "loop_bytes.h"

namespace
{

// The output module lists hold "A" at 0, the input module lists at 1.
constexpr qint16 OUTPUT_MODULE_OFFSET = 1;

// One side's two lists, module first; false at the first list that refuses its position (the
// other is still set, as the window sets both before it looks).
bool load_side(Panel &panel, int k, bool output, qint16 code, int &refused_list)
{
    const SidePositions positions = side_positions(code, output);
    const int module_list = output ? output_module_list(k) : input_module_list(k);
    const int channel_list = output ? output_channel_list(k) : input_channel_list(k);
    const bool module_taken = panel.select(module_list, positions.module);
    const bool channel_taken = panel.select(channel_list, positions.channel);
    if (!module_taken || !channel_taken)
        refused_list = module_taken ? channel_list : module_list;
    return module_taken && channel_taken;
}

void load_loops(Panel &panel, const LoopBytes &loops)
{
    const LoopFlags inputs = unpack_loop_flags(loops.inllsb, loops.inlmsb);
    const LoopFlags outputs = unpack_loop_flags(loops.outllsb, loops.outlmsb);
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        panel.press(input_toggle(k), inputs[static_cast<std::size_t>(k - 1)]);
        panel.press(output_toggle(k), outputs[static_cast<std::size_t>(k - 1)]);
    }
}

} // namespace

SidePositions side_positions(qint16 code, bool output)
{
    const DecodedPoint point = decode_point_code(code);
    return {static_cast<qint16>(point.module - (output ? OUTPUT_MODULE_OFFSET : 0)), point.channel};
}

RecordLoad load_record(const ConfigRecord &record)
{
    RecordLoad load;
    Panel &panel = load.panel;
    panel.name = record.panel;
    for (bool output : {false, true}) {
        for (int k = 1; k <= SLOT_COUNT; ++k) {
            const auto i = static_cast<std::size_t>(k - 1);
            const qint16 code = output ? record.out[i] : record.in[i];
            if (!load_side(panel, k, output, code, load.refused_list))
                return load;
            PanelSide &side = output ? panel.slot(k).output : panel.slot(k).input;
            const QString &designation = output ? record.outdesig[i] : record.indesig[i];
            const bool shown = decode_point_code(code).module != NA_POSITION;
            load.set_shown(k, output, shown);
            side.designation = shown ? designation : DESIGNATION_PLACEHOLDER;
        }
    }
    load_loops(panel, record.loops);
    return load;
}

Panel read_panel(const ModuleImage &image, const QString &name)
{
    Panel panel;
    int refused_list = 0; // a read accepts only codes 0..160, which every list has a position for
    for (int k = 1; k <= SLOT_COUNT; ++k)
        load_side(panel, k, false, image.at(input_address(k)), refused_list);
    for (int k = 1; k <= SLOT_COUNT; ++k)
        load_side(panel, k, true, image.at(output_address(k)), refused_list);
    load_loops(panel,
               {image.at(FIRST_LOOP_BYTE_ADDRESS), image.at(FIRST_LOOP_BYTE_ADDRESS + 1),
                image.at(FIRST_LOOP_BYTE_ADDRESS + 2), image.at(FIRST_LOOP_BYTE_ADDRESS + 3)});
    panel.name = name;
    return panel;
}
