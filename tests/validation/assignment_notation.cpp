#include "assignment_notation.h"

#include "converter_config.h"
#include "point_code.h"

#include <QRegularExpression>
#include <stdexcept>

namespace
{
const QString NOT_ASSIGNED_TEXT = QStringLiteral("N/A");
const QString NONE_TEXT = QStringLiteral("-");
const QString DATA_B_SUFFIX = QStringLiteral(".B");
constexpr char16_t FIRST_LETTER = u'A';

QString module_text(bool input, qint16 position)
{
    if (position == NO_SELECTION)
        return NONE_TEXT;
    if (input && position == NA_POSITION)
        return NOT_ASSIGNED_TEXT;
    const int letter = input ? position - 1 : position;
    return QString(QChar(FIRST_LETTER + letter));
}

qint16 module_position(bool input, const QString &text)
{
    if (text == NONE_TEXT)
        return NO_SELECTION;
    if (text == NOT_ASSIGNED_TEXT)
        return NA_POSITION;
    const int letter = text.at(0).unicode() - FIRST_LETTER;
    return static_cast<qint16>(input ? letter + 1 : letter);
}

QString channel_text(qint16 position)
{
    return position == NO_SELECTION ? NONE_TEXT : QString::number(position + 1);
}

qint16 channel_position(const QString &text)
{
    return text == NONE_TEXT ? NO_SELECTION : static_cast<qint16>(text.toInt() - 1);
}

[[noreturn]] void bad_token(const QString &token)
{
    throw std::invalid_argument("bad side notation: " + token.toStdString());
}
} // namespace

int SideSetting::module_list() const
{
    return input ? input_module_list(k) : output_module_list(k);
}
int SideSetting::channel_list() const
{
    return input ? input_channel_list(k) : output_channel_list(k);
}
int SideSetting::toggle() const
{
    return input ? input_toggle(k) : output_toggle(k);
}

QList<SideSetting> parse_sides(const QString &notation)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(IN|OUT)(\\d+)=(N/A|[A-P]|-)(\\d+|-)(\\.B)?$"));
    QList<SideSetting> sides;
    for (const QString &token : notation.split(u' ', Qt::SkipEmptyParts)) {
        const auto match = pattern.match(token);
        if (!match.hasMatch())
            bad_token(token);
        SideSetting side;
        side.name = token.section(u'=', 0, 0);
        side.input = match.captured(1) == QLatin1String("IN");
        side.k = match.captured(2).toInt();
        if (side.k < 1 || side.k > SLOT_COUNT ||
            (!side.input && match.captured(3) == NOT_ASSIGNED_TEXT))
            bad_token(token);
        side.module = module_position(side.input, match.captured(3));
        side.channel = channel_position(match.captured(4));
        side.data_b = match.hasCaptured(5);
        sides.append(side);
    }
    return sides;
}

AssignmentSnapshot snapshot_of(const QString &notation)
{
    AssignmentSnapshot snapshot;
    snapshot.positions.fill(NO_SELECTION);
    for (int k = 1; k <= SLOT_COUNT; ++k)
        snapshot.positions[static_cast<std::size_t>(input_module_list(k) - 1)] = NA_POSITION;
    for (const SideSetting &side : parse_sides(notation)) {
        snapshot.positions[static_cast<std::size_t>(side.module_list() - 1)] = side.module;
        snapshot.positions[static_cast<std::size_t>(side.channel_list() - 1)] = side.channel;
        snapshot.pressed[static_cast<std::size_t>(side.toggle() - 1)] = side.data_b;
    }
    return snapshot;
}

QString side_shown(const AssignmentView &view, const QString &name)
{
    // Parse the name through a dummy side so the list numbers come from one place.
    const QList<SideSetting> parsed = parse_sides(name + QStringLiteral("=--"));
    const SideSetting &side = parsed.first();
    QString shown = module_text(side.input, view.list_position(side.module_list())) +
                    channel_text(view.list_position(side.channel_list()));
    if (view.toggle_pressed(side.toggle()))
        shown += DATA_B_SUFFIX;
    return shown;
}
