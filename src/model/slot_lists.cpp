#include "slot_lists.h"

#include <QString>

namespace
{
constexpr std::array<ListItem, INPUT_MODULE_ITEMS> INPUT_MODULES{{
    {"N/A", 160},
    {"A", 0},
    {"B", 10},
    {"C", 20},
    {"D", 30},
    {"E", 40},
    {"F", 50},
    {"G", 60},
    {"H", 70},
    {"I", 80},
    {"J", 90},
    {"K", 100},
    {"L", 110},
    {"M", 120},
    {"N", 130},
    {"O", 140},
    {"P", 150},
}};
constexpr std::array<ListItem, OUTPUT_MODULE_ITEMS> OUTPUT_MODULES{{
    {"A", 0},
    {"B", 10},
    {"C", 20},
    {"D", 30},
    {"E", 40},
    {"F", 50},
    {"G", 60},
    {"H", 70},
    {"I", 80},
    {"J", 90},
    {"K", 100},
    {"L", 110},
    {"M", 120},
    {"N", 130},
    {"O", 140},
    {"P", 150},
}};
constexpr std::array<ListItem, CHANNEL_ITEMS> CHANNELS{{
    {"1", 0},
    {"2", 1},
    {"3", 2},
    {"4", 3},
    {"5", 4},
    {"6", 5},
    {"7", 6},
    {"8", 7},
    {"9", 8},
    {"10", 9},
}};
constexpr int INPUT_LISTS = 20; // List1 .. List20 belong to the inputs
const QString NOTHING_SELECTED = QStringLiteral("-");
} // namespace

bool is_input_list(int n)
{
    return n <= INPUT_LISTS;
}

ListKind list_kind(int n)
{
    const bool module = n % 2 == 1;
    if (is_input_list(n))
        return module ? ListKind::InputModule : ListKind::InputChannel;
    return module ? ListKind::OutputModule : ListKind::OutputChannel;
}

int list_slot(int n)
{
    const int within_side = is_input_list(n) ? n : n - INPUT_LISTS;
    return (within_side + 1) / 2;
}

std::span<const ListItem> list_items(ListKind kind)
{
    switch (kind) {
    case ListKind::InputModule:
        return INPUT_MODULES;
    case ListKind::OutputModule:
        return OUTPUT_MODULES;
    case ListKind::InputChannel:
    case ListKind::OutputChannel:
        break;
    }
    return CHANNELS;
}

qint16 item_value(ListKind kind, int position)
{
    return list_items(kind)[static_cast<std::size_t>(position)].value;
}

QString item_text(ListKind kind, qint16 position)
{
    if (position == NO_SELECTION)
        return NOTHING_SELECTED;
    return QString::fromLatin1(list_items(kind)[static_cast<std::size_t>(position)].text);
}
