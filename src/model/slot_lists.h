#pragma once
// The forty slot lists: which list belongs to which slot and side, and their fixed items with
// the item values that carry the point code encoding.

#include <QtGlobal>
#include <array>
#include <span>

constexpr int SLOT_COUNT = 10;
constexpr int LIST_COUNT = 40;
constexpr int TOGGLE_COUNT = 20;
constexpr int INPUT_MODULE_ITEMS = 17;  // "N/A", "A" .. "P"
constexpr int OUTPUT_MODULE_ITEMS = 16; // "A" .. "P"
constexpr int CHANNEL_ITEMS = 10;       // "1" .. "10"
constexpr qint16 NA_POSITION = 0;       // "N/A" in an input module list
constexpr qint16 NO_SELECTION = -1;

// One value per slot: [k - 1] belongs to slot k.
using SlotValues = std::array<qint16, SLOT_COUNT>;

enum class ListKind { InputModule, InputChannel, OutputModule, OutputChannel };

struct ListItem {
    const char *text;
    qint16 value;
};

// List(n) numbers for slot k (1..10).
constexpr int input_module_list(int k)
{
    return 2 * k - 1;
}
constexpr int input_channel_list(int k)
{
    return 2 * k;
}
constexpr int output_module_list(int k)
{
    return 2 * k + 19;
}
constexpr int output_channel_list(int k)
{
    return 2 * k + 20;
}
// ToggleButton(n) numbers for slot k.
constexpr int input_toggle(int k)
{
    return k;
}
constexpr int output_toggle(int k)
{
    return k + SLOT_COUNT;
}
// Text(n) numbers of the designation boxes for slot k.
constexpr int input_designation_box(int k)
{
    return k + 2;
}
constexpr int output_designation_box(int k)
{
    return k + 12;
}

ListKind list_kind(int n); // n = 1..40
int list_slot(int n);      // the slot k that owns List(n)
bool is_input_list(int n);

std::span<const ListItem> list_items(ListKind kind);
qint16 item_value(ListKind kind, int position);
// What a list of this kind shows at `position`: "N/A", "B", "10"; "-" for no selection.
QString item_text(ListKind kind, qint16 position);

// Selected position of every slot list, index n - 1 for List(n); -1 where nothing is selected.
using ListPositions = std::array<qint16, LIST_COUNT>;
