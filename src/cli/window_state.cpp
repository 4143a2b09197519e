#include "window_state.h"

#include "configuration_texts.h"
#include "file_texts.h"
#include "gathering.h"
#include "loop_bytes.h"
#include "point_code.h"
#include "slot_loading.h"

namespace
{

constexpr std::size_t LOOP_BYTE_COUNT = CONFIGURATION_BYTES - FIRST_LOOP_BYTE_ADDRESS;

bool decodes_as_assigned(qint16 code)
{
    return code <= HIGHEST_POINT_CODE;
}

void set_loop_flags(WindowState &state, const LoopBytes &loops)
{
    state.inl = unpack_loop_flags(loops.inllsb, loops.inlmsb);
    state.outl = unpack_loop_flags(loops.outllsb, loops.outlmsb);
}

} // namespace

bool WindowState::active(int k) const
{
    return position(input_module_list(k)) != NA_POSITION;
}

AssignmentSnapshot WindowState::snapshot() const
{
    AssignmentSnapshot snapshot;
    snapshot.positions = positions;
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        snapshot.pressed[static_cast<std::size_t>(input_toggle(k) - 1)] = inl[i] != 0;
        snapshot.pressed[static_cast<std::size_t>(output_toggle(k) - 1)] = outl[i] != 0;
    }
    return snapshot;
}

OpenedRecord open_record(const ConfigRecord &record)
{
    OpenedRecord opened;
    WindowState &state = opened.state;
    const SlotLoad load = load_slot_positions(record.in, record.out);
    state.positions = load.positions;
    opened.refused_list = load.refused_list;
    state.panel = record.panel;
    for (std::size_t i = 0; i < SLOT_COUNT; ++i) {
        state.indesig[i] =
            decodes_as_assigned(record.in[i]) ? record.indesig[i] : DESIGNATION_PLACEHOLDER;
        state.outdesig[i] =
            decodes_as_assigned(record.out[i]) ? record.outdesig[i] : DESIGNATION_PLACEHOLDER;
    }
    set_loop_flags(state, record.loops);
    return opened;
}

WindowState read_into_window(const ModuleImage &image, const QString &panel)
{
    ConverterConfig::Slots in{};
    ConverterConfig::Slots out{};
    std::array<qint16, LOOP_BYTE_COUNT> loop_bytes{};
    for (const MemoryCell &cell : memory_map()) {
        const qint16 value = image.bytes[static_cast<std::size_t>(cell.address)];
        const auto slot = static_cast<std::size_t>(cell.slot - 1);
        switch (cell.content) {
        case CellContent::InputPointCode:
            in[slot] = value;
            break;
        case CellContent::OutputPointCode:
            out[slot] = value;
            break;
        case CellContent::LoopByte:
            loop_bytes[static_cast<std::size_t>(cell.address - FIRST_LOOP_BYTE_ADDRESS)] = value;
            break;
        }
    }
    WindowState state;
    // A read accepts only codes 0..160, which every list has a position for.
    state.positions = load_slot_positions(in, out).positions;
    state.indesig.fill(DESIGNATION_PLACEHOLDER);
    state.outdesig.fill(DESIGNATION_PLACEHOLDER);
    state.panel = panel;
    set_loop_flags(state, {loop_bytes[0], loop_bytes[1], loop_bytes[2], loop_bytes[3]});
    return state;
}

ConverterConfig gather(const WindowState &state)
{
    ConverterConfig config;
    config.inl = state.inl;
    config.outl = state.outl;
    config.error_flag = 0;
    gather_point_codes(state.positions, config);
    return config;
}

std::optional<ModuleImage> image_to_write(const WindowState &state)
{
    const ConverterConfig config = gather(state);
    if (config.error_flag != 0)
        return std::nullopt;
    return module_image(config);
}

RecordToSave record_to_save(const WindowState &state)
{
    const ConverterConfig config = gather(state);
    if (config.error_flag != 0)
        return {std::nullopt, config.error_flag};
    ConfigRecord record;
    record.model = files::MODEL_ID;
    record.panel = state.panel;
    record.indesig = state.indesig;
    record.outdesig = state.outdesig;
    record.in = config.inw;
    record.out = config.outw;
    record.loops = pack_loop_bytes(config.inl, config.outl);
    return {record, 0};
}
