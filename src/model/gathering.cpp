#include "gathering.h"

namespace {
qint16 position_of(const ListPositions &positions, int list)
{
    return positions[static_cast<std::size_t>(list - 1)];
}

// The point code of one side: module item value plus channel item value, or nothing when the
// side lacks a selection.
bool side_code(const ListPositions &positions, int module_list, int channel_list, qint16 &code)
{
    const qint16 module = position_of(positions, module_list);
    const qint16 channel = position_of(positions, channel_list);
    if (module == NO_SELECTION || channel == NO_SELECTION)
        return false;
    code = static_cast<qint16>(item_value(list_kind(module_list), module) +
                               item_value(list_kind(channel_list), channel));
    return true;
}
} // namespace

void gather_point_codes(const ListPositions &positions, ConverterConfig &config)
{
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        qint16 &code = config.inw[k - 1];
        if (position_of(positions, input_module_list(k)) == NA_POSITION) {
            code = item_value(ListKind::InputModule, NA_POSITION);
        } else if (!side_code(positions, input_module_list(k), input_channel_list(k), code)) {
            config.error_flag = INCOMPLETE_INPUT;
            return;
        }
    }
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        qint16 &code = config.outw[k - 1];
        if (position_of(positions, input_module_list(k)) == NA_POSITION) {
            code = item_value(ListKind::InputModule, NA_POSITION);
        } else if (!side_code(positions, output_module_list(k), output_channel_list(k), code)) {
            config.error_flag = INCOMPLETE_OUTPUT;
            return;
        }
    }
}
