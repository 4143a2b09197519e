#include "panel_notation.h"

#include "configuration_texts.h"
#include "loop_bytes.h"
#include "point_code.h"

#include <QRegularExpression>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace
{

struct Token {
    int slot = 0;
    bool output = false;
    QString module, channel; // as the lists show them, "-" for none
    bool data_b = false;
    std::optional<qint16> raw; // a point code as it stands
};

Token side_token(const QString &text)
{
    static const QRegularExpression pattern(
        u"^(IN|OUT)(\\d+)=(?:#(-?\\d+)|(N/A|[A-P]|-)(\\d+|-)?(\\.B)?)$"_s);
    const auto m = pattern.match(text);
    if (!m.hasMatch())
        qFatal("bad side: %s", qPrintable(text));
    Token token{m.captured(2).toInt(), m.captured(1) == u"OUT"_s,
                m.captured(4),         m.hasCaptured(5) ? m.captured(5) : u"-"_s,
                m.hasCaptured(6),      std::nullopt};
    if (m.hasCaptured(3))
        token.raw = qint16(m.captured(3).toInt());
    return token;
}

qint16 position_of(ListKind kind, const QString &text)
{
    for (qint16 position = NO_SELECTION; position < qint16(list_items(kind).size()); ++position)
        if (item_text(kind, position) == text)
            return position;
    qFatal("no item %s", qPrintable(text));
}

// The code a token stands for, 160 for "N/A" or a side without both.
qint16 code_of(const Token &token)
{
    if (token.raw)
        return *token.raw;
    const qint16 module =
        position_of(ListKind::OutputModule, token.module == u"N/A"_s ? u"-"_s : token.module);
    const qint16 channel = position_of(ListKind::InputChannel, token.channel);
    return module == NO_SELECTION || channel == NO_SELECTION ? NOT_ASSIGNED
                                                             : point_code(module, channel);
}

// Sets the codes the way a record and an image share; returns the loop bytes, from "L=" as they
// stand or else packed from the .B marks.
template <typename Set> LoopBytes apply_codes(const QString &notation, Set &&set)
{
    std::array<LoopFlags, 2> flags{}; // inputs, outputs
    std::optional<LoopBytes> given;
    for (const QString &text : notation.split(u' ', Qt::SkipEmptyParts)) {
        if (text.startsWith(u"L="_s)) {
            const QStringList b = text.mid(2).split(u',');
            if (b.size() != 4)
                qFatal("bad loop bytes: %s", qPrintable(text));
            given = LoopBytes{qint16(b[0].toInt()), qint16(b[1].toInt()), qint16(b[2].toInt()),
                              qint16(b[3].toInt())};
            continue;
        }
        const Token token = side_token(text);
        set(token.slot, token.output, code_of(token));
        flags[token.output][std::size_t(token.slot - 1)] = token.data_b;
    }
    if (given)
        return *given;
    const auto [inllsb, inlmsb] = pack_loop_flags(flags[0]);
    const auto [outllsb, outlmsb] = pack_loop_flags(flags[1]);
    return {inllsb, inlmsb, outllsb, outlmsb};
}

} // namespace

Panel panel_of(const QString &notation)
{
    Panel panel;
    for (const QString &text : notation.split(u' ', Qt::SkipEmptyParts)) {
        const Token token = side_token(text);
        const int k = token.slot;
        const ListKind module_kind = token.output ? ListKind::OutputModule : ListKind::InputModule;
        panel.select(token.output ? output_module_list(k) : input_module_list(k),
                     position_of(module_kind, token.module));
        panel.select(token.output ? output_channel_list(k) : input_channel_list(k),
                     position_of(ListKind::InputChannel, token.channel));
        panel.press(token.output ? output_toggle(k) : input_toggle(k), token.data_b);
    }
    return panel;
}

QString sides_of(const Panel &panel, const QString &names)
{
    QStringList shown;
    for (const QString &text : names.split(u' ', Qt::SkipEmptyParts)) {
        const QString name = text.section(u'=', 0, 0);
        const bool output = name.startsWith(u"OUT"_s);
        const int k = name.mid(output ? 3 : 2).toInt();
        const PanelSide &side = output ? panel.slot(k).output : panel.slot(k).input;
        shown << name + u'=' +
                     item_text(output ? ListKind::OutputModule : ListKind::InputModule,
                               side.module) +
                     item_text(ListKind::InputChannel, side.channel) +
                     (side.data_b ? u".B"_s : QString());
    }
    return shown.join(u' ');
}

ConfigRecord record_of(const QString &notation)
{
    ConfigRecord record;
    record.model = MODEL_ID;
    record.panel = u"PANEL"_s;
    record.indesig.fill(DESIGNATION_PLACEHOLDER);
    record.outdesig.fill(DESIGNATION_PLACEHOLDER);
    record.in.fill(NOT_ASSIGNED);
    record.out.fill(NOT_ASSIGNED);
    record.loops = apply_codes(notation, [&](int k, bool output, qint16 code) {
        (output ? record.out : record.in)[std::size_t(k - 1)] = code;
    });
    return record;
}

ModuleImage image_of(const QString &notation)
{
    ModuleImage image;
    image.bytes.fill(NOT_ASSIGNED); // the loop bytes follow below
    const LoopBytes loops = apply_codes(notation, [&](int k, bool output, qint16 code) {
        image.bytes[std::size_t(output ? output_address(k) : input_address(k))] = code;
    });
    const qint16 bytes[] = {loops.inllsb, loops.inlmsb, loops.outllsb, loops.outlmsb};
    std::copy(std::begin(bytes), std::end(bytes), image.bytes.begin() + FIRST_LOOP_BYTE_ADDRESS);
    return image;
}

QList<int> bytes_of(const QString &notation)
{
    const ModuleImage image = image_of(notation);
    return {image.bytes.begin(), image.bytes.end()};
}
