#include "slot_table.h"

#include "cli_texts.h"
#include "record_check.h"

#include <algorithm>

using namespace cli;

namespace
{

constexpr int COLUMNS = 10; // name, module, channel, loop, designation; input then output

SideView side_view(const WindowState &state, int k, int module_list, int channel_list, bool data_b,
                   const QString &designation)
{
    if (!state.active(k))
        return {};
    return {true, list_item_text(state, module_list), list_item_text(state, channel_list), data_b,
            designation};
}

void add_side(QStringList &row, const QString &name, const SideView &side)
{
    row << name;
    if (!side.active) {
        row << NOT_ASSIGNED_MARK << QString() << QString() << QString();
        return;
    }
    row << side.module << side.channel << loop_name(side.data_b) << side.designation;
}

} // namespace

SideView input_view(const WindowState &state, int k)
{
    const auto i = static_cast<std::size_t>(k - 1);
    return side_view(state, k, input_module_list(k), input_channel_list(k), state.inl[i] != 0,
                     state.indesig[i]);
}

SideView output_view(const WindowState &state, int k)
{
    const auto i = static_cast<std::size_t>(k - 1);
    return side_view(state, k, output_module_list(k), output_channel_list(k), state.outl[i] != 0,
                     state.outdesig[i]);
}

QStringList slot_table(const WindowState &state)
{
    QList<QStringList> rows;
    rows.append({TABLE_INPUT, TABLE_MODULE, TABLE_CHANNEL, TABLE_LOOP, TABLE_DESIGNATION,
                 TABLE_OUTPUT, TABLE_MODULE, TABLE_CHANNEL, TABLE_LOOP, TABLE_DESIGNATION});
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        QStringList row;
        add_side(row, input_name(k), input_view(state, k));
        add_side(row, output_name(k), output_view(state, k));
        rows.append(row);
    }
    std::array<qsizetype, COLUMNS> widths{};
    for (const QStringList &row : rows)
        for (int c = 0; c < COLUMNS; ++c)
            widths[static_cast<std::size_t>(c)] =
                std::max(widths[static_cast<std::size_t>(c)], row[c].size());

    QStringList lines{PANEL_LINE.arg(state.panel), QString()};
    for (const QStringList &row : rows) {
        QString line;
        for (int c = 0; c < COLUMNS; ++c) {
            if (c > 0)
                line += COLUMN_GAP;
            line += row[c].leftJustified(widths[static_cast<std::size_t>(c)]);
        }
        while (line.endsWith(u' '))
            line.chop(1);
        lines << line;
    }
    return lines;
}
