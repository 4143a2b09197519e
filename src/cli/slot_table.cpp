#include "slot_table.h"

#include "cli_texts.h"
#include "problem_words.h"

#include <algorithm>

using namespace cli;

namespace
{

const QString PANEL_LINE = QStringLiteral("PANEL NAME: %1");
const QString TABLE_INPUT = QStringLiteral("INPUT");
const QString TABLE_OUTPUT = QStringLiteral("OUTPUT");
const QString TABLE_MODULE = QStringLiteral("MODULE");
const QString TABLE_CHANNEL = QStringLiteral("CHANNEL");
const QString TABLE_LOOP = QStringLiteral("LOOP");
const QString TABLE_DESIGNATION = QStringLiteral("DESIGNATION");
const QString COLUMN_GAP = QStringLiteral("  ");

void add_side(QStringList &row, const QString &name, const PanelSlot &slot, bool output)
{
    row << name;
    if (!slot.active()) {
        row << NOT_ASSIGNED_MARK << QString() << QString() << QString();
        return;
    }
    const PanelSide &side = output ? slot.output : slot.input;
    row << module_text(side, output) << channel_text(side) << loop_name(side.data_b)
        << side.designation;
}

} // namespace

QStringList slot_table(const Panel &panel)
{
    QList<QStringList> rows;
    rows.append({TABLE_INPUT, TABLE_MODULE, TABLE_CHANNEL, TABLE_LOOP, TABLE_DESIGNATION,
                 TABLE_OUTPUT, TABLE_MODULE, TABLE_CHANNEL, TABLE_LOOP, TABLE_DESIGNATION});
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        QStringList row;
        add_side(row, input_name(k), panel.slot(k), false);
        add_side(row, output_name(k), panel.slot(k), true);
        rows.append(row);
    }
    return QStringList{PANEL_LINE.arg(panel.name), QString()} + aligned_rows(rows);
}

QStringList aligned_rows(const QList<QStringList> &rows)
{
    QList<qsizetype> widths;
    for (const QStringList &row : rows)
        for (int c = 0; c < row.size(); ++c) {
            if (c == widths.size())
                widths.append(0);
            widths[c] = std::max(widths[c], row[c].size());
        }
    QStringList lines;
    for (const QStringList &row : rows) {
        QString line;
        for (int c = 0; c < row.size(); ++c) {
            if (c > 0)
                line += COLUMN_GAP;
            line += row[c].leftJustified(widths[c]);
        }
        while (line.endsWith(u' '))
            line.chop(1);
        lines << line;
    }
    return lines;
}
