#include "panel.h"

namespace
{
template <typename P> auto &side_of(P &slot, int n)
{
    return is_input_list(n) ? slot.input : slot.output;
}
} // namespace

qint16 Panel::position(int n) const
{
    const PanelSide &side = side_of(slot(list_slot(n)), n);
    const ListKind kind = list_kind(n);
    return kind == ListKind::InputModule || kind == ListKind::OutputModule ? side.module
                                                                           : side.channel;
}

qint16 &Panel::position_of(int n)
{
    PanelSide &side = side_of(slot(list_slot(n)), n);
    const ListKind kind = list_kind(n);
    return kind == ListKind::InputModule || kind == ListKind::OutputModule ? side.module
                                                                           : side.channel;
}

bool Panel::pressed(int n) const
{
    return n <= SLOT_COUNT ? slot(n).input.data_b : slot(n - SLOT_COUNT).output.data_b;
}

void Panel::press(int n, bool pressed)
{
    (n <= SLOT_COUNT ? slot(n).input : slot(n - SLOT_COUNT).output).data_b = pressed;
}

ListPositions Panel::positions() const
{
    ListPositions positions{};
    for (int n = 1; n <= LIST_COUNT; ++n)
        positions[static_cast<std::size_t>(n - 1)] = position(n);
    return positions;
}

bool Panel::select(int n, qint16 position)
{
    const auto count = static_cast<qint16>(list_items(list_kind(n)).size());
    if (position < NO_SELECTION || position >= count)
        return false;
    qint16 &selected = position_of(n);
    const bool changed = selected != position;
    selected = position;
    if (changed && list_kind(n) == ListKind::InputModule && position == NA_POSITION) {
        PanelSlot &switched_off = slot(list_slot(n));
        switched_off = PanelSlot{};
    }
    return true;
}
