#include "problem_words.h"

#include "cli_texts.h"
#include "configuration_texts.h"
#include "file_texts.h"
#include "validation_texts.h"

using namespace cli;

namespace
{

// Points, loops and the table of `show`.
const QString DATA_A = QStringLiteral("DATA-A");
const QString DATA_B = QStringLiteral("DATA-B");
const QString POINT_CODE = QStringLiteral("%1/%2"); // "B/3"

const QString DAMAGED_SHORT = QStringLiteral("the file ends before its 46th field");
const QString DAMAGED_TOO_LARGE = QStringLiteral("larger than %1 MiB: not a configuration file");
constexpr qint64 MIB = 1024 * 1024;
const QString DAMAGED_NOT_A_NUMBER =
    QStringLiteral("field %1 (%2) holds something other than a decimal number");
const QString DAMAGED_OUT_OF_RANGE =
    QStringLiteral("field %1 (%2) holds a number that does not fit in 16 bits");
const QString POINT_CODE_FIELD = QStringLiteral("the point code of %1");
const QString DAMAGED_NO_CODE_PAGE =
    QStringLiteral("this system cannot decode the file's Windows-1252 text");
const QString DAMAGED_NO_POSITION =
    QStringLiteral("the point code of %1 is %2, which names no channel");
const QString OTHER_MODEL = QStringLiteral("the model field is \"%1\", not \"%2\"");
const QString NAMES_OWN_OUTPUT = QStringLiteral("%1 names its own %2 (%3)");
const QString NAMES_OTHER_OUTPUT = QStringLiteral("%1 names %2 (%3)");
const QString NO_CHANNEL = QStringLiteral("%1 has no channel");
const QString NO_MODULE = QStringLiteral("%1 has no module");
const QString NO_MODULE_NO_CHANNEL = QStringLiteral("%1 has no module and no channel");
const QString INPUT_LOOP_BYTE = QStringLiteral("IN-9, IN-10 loops");
const QString OUTPUT_LOOP_BYTE = QStringLiteral("OUT-9, OUT-10 loops");
const QString INPUT_LOW_LOOP_BYTE = QStringLiteral("IN-1 to IN-8 loops");
const QString OUTPUT_LOW_LOOP_BYTE = QStringLiteral("OUT-1 to OUT-8 loops");
const QString POINT = QStringLiteral("%1/%2 %3"); // "B/3 DATA-B"
const QString POINT_DIFFERS = QStringLiteral("%1: file %2, module %3");
const QString LOOP_DIFFERS = QStringLiteral("%1 loop: file %2, module %3");

// A number field of the record by what it holds: field 4 is "the point code of IN-1".
QString number_field_name(int field)
{
    ConfigRecord record;
    const void *found = nullptr;
    visit_record_fields(record, [&](const auto &value, int number) {
        if (number == field)
            found = &value;
        return number < field;
    });
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        if (found == &record.in[i])
            return POINT_CODE_FIELD.arg(input_name(k));
        if (found == &record.out[i])
            return POINT_CODE_FIELD.arg(output_name(k));
    }
    const std::pair<const qint16 *, const QString *> loop_bytes[] = {
        {&record.loops.inllsb, &INPUT_LOW_LOOP_BYTE},
        {&record.loops.inlmsb, &INPUT_LOOP_BYTE},
        {&record.loops.outllsb, &OUTPUT_LOW_LOOP_BYTE},
        {&record.loops.outlmsb, &OUTPUT_LOOP_BYTE}};
    for (const auto &[byte, name] : loop_bytes)
        if (found == byte)
            return *name;
    return {};
}

QString damage_text(const RecordProblem &problem)
{
    using Damage = RecordProblem::Damage;
    switch (problem.damage) {
    case Damage::TooShort:
        return DAMAGED_SHORT;
    case Damage::TooLarge:
        return DAMAGED_TOO_LARGE.arg(files::MAX_RECORD_FILE_BYTES / MIB);
    case Damage::NotANumber:
        return DAMAGED_NOT_A_NUMBER.arg(problem.field).arg(number_field_name(problem.field));
    case Damage::OutOfRange:
        return DAMAGED_OUT_OF_RANGE.arg(problem.field).arg(number_field_name(problem.field));
    case Damage::NoCodePage:
        return DAMAGED_NO_CODE_PAGE;
    case Damage::NoPosition:
        return DAMAGED_NO_POSITION
            .arg(problem.output ? output_name(problem.slot) : input_name(problem.slot))
            .arg(problem.code);
    case Damage::None:
        break;
    }
    return {};
}

QString side_name(const RecordProblem &problem)
{
    return problem.output ? output_name(problem.slot) : input_name(problem.slot);
}

QString point_text(const PanelSide &side)
{
    return POINT.arg(module_text(side, false), channel_text(side), loop_name(side.data_b));
}

} // namespace

QString problem_message(const RecordProblem &problem)
{
    switch (problem.kind) {
    case RecordProblem::Kind::Damaged:
    case RecordProblem::Kind::OtherModel:
        return MISMATCH_TITLE;
    case RecordProblem::Kind::OwnOutput:
        return validation::CHANNEL_ASSIGNMENT_ERROR_TITLE;
    case RecordProblem::Kind::OtherOutput:
        return validation::DUPLICATE_ERROR_TITLE;
    case RecordProblem::Kind::IncompleteInput:
        return INCOMPLETE_INPUT_TEXT;
    case RecordProblem::Kind::IncompleteOutput:
        break;
    }
    return INCOMPLETE_OUTPUT_TEXT;
}

QString problem_detail(const RecordProblem &problem)
{
    const int k = problem.slot;
    switch (problem.kind) {
    case RecordProblem::Kind::Damaged:
        return damage_text(problem);
    case RecordProblem::Kind::OtherModel:
        return OTHER_MODEL.arg(problem.model, MODEL_ID);
    case RecordProblem::Kind::OwnOutput:
        return NAMES_OWN_OUTPUT.arg(input_name(k), output_name(k), point_text(problem.point));
    case RecordProblem::Kind::OtherOutput: {
        QStringList outputs;
        for (int j : problem.outputs)
            outputs << output_name(j);
        return NAMES_OTHER_OUTPUT.arg(input_name(k), outputs.join(NAME_LIST_SEPARATOR),
                                      point_text(problem.point));
    }
    case RecordProblem::Kind::IncompleteInput:
    case RecordProblem::Kind::IncompleteOutput:
        break;
    }
    const QString &text = problem.module_missing && problem.channel_missing ? NO_MODULE_NO_CHANNEL
                          : problem.module_missing                          ? NO_MODULE
                                                                            : NO_CHANNEL;
    return text.arg(side_name(problem));
}

QString difference_value(const PanelDifference &difference, bool module)
{
    const std::optional<PanelSide> &side = module ? difference.module : difference.file;
    if (difference.kind == PanelDifference::Kind::Loop)
        return loop_name(side && side->data_b);
    if (!side)
        return NOT_ASSIGNED_MARK;
    return POINT_CODE.arg(module_text(*side, difference.output), channel_text(*side));
}

QString difference_text(const PanelDifference &difference)
{
    const QString side =
        difference.output ? output_name(difference.slot) : input_name(difference.slot);
    return (difference.kind == PanelDifference::Kind::Point ? POINT_DIFFERS : LOOP_DIFFERS)
        .arg(side, difference_value(difference, false), difference_value(difference, true));
}

QString input_name(int k)
{
    return INPUT_NAME.arg(k);
}

QString output_name(int k)
{
    return OUTPUT_NAME.arg(k);
}

QString loop_name(bool data_b)
{
    return data_b ? DATA_B : DATA_A;
}

QString module_text(const PanelSide &side, bool output)
{
    return item_text(output ? ListKind::OutputModule : ListKind::InputModule, side.module);
}

QString channel_text(const PanelSide &side)
{
    return item_text(ListKind::InputChannel, side.channel);
}
