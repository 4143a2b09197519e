#include "window_notation.h"

#include <QHash>
#include <QListWidget>
#include <QPushButton>
#include <utility>

using namespace Qt::StringLiterals;

namespace
{
// Selects an item by its text ("-" clears the list); the list's own reaction runs.
void select(Form1 &form, int n, const QString &text)
{
    const auto items = form.List(n)->findItems(text, Qt::MatchExactly);
    if (items.isEmpty() && text != u"-"_s)
        qFatal("List(%d) has no item %s", n, qPrintable(text));
    form.set_list_position(n, items.isEmpty() ? NO_SELECTION
                                              : qint16(form.List(n)->row(items.first())));
}
} // namespace

void edit(Form1 &form, const QString &notation)
{
    QHash<int, QString> asked; // lists by n, toggles by 100 + n
    const auto ask = [&](int key, const QString &v) { return std::exchange(asked[key], v) != v; };
    for (const QString &token : notation.split(u' ', Qt::SkipEmptyParts)) {
        // The panel notation says what the token selects; the window is told the same texts.
        const QString name = token.section(u'=', 0, 0);
        const bool output = name.startsWith(u"OUT"_s);
        const int k = name.mid(output ? 3 : 2).toInt();
        const Panel wanted = panel_of(token);
        const PanelSide &side = output ? wanted.slot(k).output : wanted.slot(k).input;
        const int module_list = output ? output_module_list(k) : input_module_list(k);
        const int channel_list = output ? output_channel_list(k) : input_channel_list(k);
        const int toggle = output ? output_toggle(k) : input_toggle(k);
        const QString module =
            item_text(output ? ListKind::OutputModule : ListKind::InputModule, side.module);
        const QString channel = item_text(ListKind::InputChannel, side.channel);
        if (ask(module_list, module))
            select(form, module_list, module);
        if (ask(channel_list, channel))
            select(form, channel_list, channel);
        if (ask(100 + toggle, side.data_b ? u"B"_s : u"A"_s))
            form.ToggleButton(toggle)->setChecked(side.data_b);
    }
}
