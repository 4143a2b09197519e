#include "slot_loading.h"

#include "point_code.h"

namespace
{

// Sets List(n) as the window's set_list_position does: false, and nothing set, for a position
// the list does not have.
bool set_position(SlotLoad &load, int n, qint16 position)
{
    const auto count = static_cast<qint16>(list_items(list_kind(n)).size());
    if (position < NO_SELECTION || position >= count) {
        if (load.refused_list == 0)
            load.refused_list = n;
        return false;
    }
    load.positions[static_cast<std::size_t>(n - 1)] = position;
    return true;
}

// One side: the module list first, then the channel list of the same side.
void load_side(SlotLoad &load, qint16 code, int module_list, int channel_list, qint16 offset)
{
    qint16 A = code;
    qint16 m_index = 0;
    qint16 c_index = 0;
    decode_point_code(A, m_index, c_index);
    set_position(load, module_list, static_cast<qint16>(m_index - offset));
    set_position(load, channel_list, c_index);
}

// Output module lists have no "N/A" item, so a letter sits one position lower than in an input
// module list.
constexpr qint16 OUTPUT_MODULE_OFFSET = 1;

} // namespace

SlotLoad load_slot_positions(const ConverterConfig::Slots &in, const ConverterConfig::Slots &out)
{
    SlotLoad load;
    load.positions.fill(NO_SELECTION);
    for (int k = 1; k <= SLOT_COUNT; ++k)
        load_side(load, in[static_cast<std::size_t>(k - 1)], input_module_list(k),
                  input_channel_list(k), 0);
    for (int k = 1; k <= SLOT_COUNT; ++k)
        load_side(load, out[static_cast<std::size_t>(k - 1)], output_module_list(k),
                  output_channel_list(k), OUTPUT_MODULE_OFFSET);
    return load;
}
