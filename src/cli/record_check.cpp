#include "record_check.h"

#include "cli_texts.h"
#include "configuration_texts.h"
#include "file_texts.h"
#include "validation_texts.h"

#include <algorithm>

using namespace cli;

namespace
{

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

QString damage_text(RecordStatus status, int field, bool truncated)
{
    switch (status) {
    case RecordStatus::TooShort:
        return truncated ? DAMAGED_TOO_LARGE.arg(files::MAX_RECORD_FILE_BYTES / MIB)
                         : DAMAGED_SHORT;
    case RecordStatus::NotANumber:
        return DAMAGED_NOT_A_NUMBER.arg(field).arg(number_field_name(field));
    case RecordStatus::OutOfRange:
        return DAMAGED_OUT_OF_RANGE.arg(field).arg(number_field_name(field));
    case RecordStatus::NoCodePage:
        return DAMAGED_NO_CODE_PAGE;
    case RecordStatus::Ok:
    case RecordStatus::WrongModel:
        break;
    }
    return {};
}

RecordProblem rule_problem(const RuleFinding &finding)
{
    const int k = finding.slot;
    const QString point = point_text(finding.input, false);
    if (finding.rule == AssignmentRule::OwnOutput)
        return {RecordProblem::Kind::OwnOutput,
                k,
                {},
                NAMES_OWN_OUTPUT.arg(input_name(k), output_name(k), point)};
    QStringList outputs;
    for (int j : finding.outputs)
        outputs << output_name(j);
    return {RecordProblem::Kind::OtherOutput, k, finding.outputs,
            NAMES_OTHER_OUTPUT.arg(input_name(k), outputs.join(NAME_LIST_SEPARATOR), point)};
}

} // namespace

QList<RecordProblem> incomplete_problems(const Panel &panel)
{
    QList<RecordProblem> problems;
    for (const IncompleteSide &side : incomplete_sides(panel)) {
        const QString &text = side.module_missing && side.channel_missing ? NO_MODULE_NO_CHANNEL
                              : side.module_missing                       ? NO_MODULE
                                                                          : NO_CHANNEL;
        problems.append({side.output ? RecordProblem::Kind::IncompleteOutput
                                     : RecordProblem::Kind::IncompleteInput,
                         side.slot,
                         {},
                         text.arg(side.output ? output_name(side.slot) : input_name(side.slot))});
    }
    return problems;
}

QString RecordProblem::message() const
{
    switch (kind) {
    case Kind::Damaged:
    case Kind::OtherModel:
        return MISMATCH_TITLE;
    case Kind::OwnOutput:
        return validation::CHANNEL_ASSIGNMENT_ERROR_TITLE;
    case Kind::OtherOutput:
        return validation::DUPLICATE_ERROR_TITLE;
    case Kind::IncompleteInput:
        return INCOMPLETE_INPUT_TEXT;
    case Kind::IncompleteOutput:
        break;
    }
    return INCOMPLETE_OUTPUT_TEXT;
}

bool RecordCheck::opens() const
{
    return std::none_of(problems.begin(), problems.end(), [](const RecordProblem &problem) {
        return problem.kind == RecordProblem::Kind::Damaged ||
               problem.kind == RecordProblem::Kind::OtherModel;
    });
}

RecordCheck check_record(QByteArrayView bytes, bool truncated)
{
    RecordCheck check;
    int field = 0;
    const RecordStatus status = read_config_record(bytes, check.record, &field);
    if (status == RecordStatus::WrongModel) {
        check.problems.append({RecordProblem::Kind::OtherModel,
                               0,
                               {},
                               OTHER_MODEL.arg(check.record.model, MODEL_ID)});
        return check;
    }
    if (status != RecordStatus::Ok) {
        check.problems.append(
            {RecordProblem::Kind::Damaged, 0, {}, damage_text(status, field, truncated)});
        return check;
    }
    check.opened = open_record(check.record);
    if (const int list = check.opened.load.refused_list) {
        const int k = list_slot(list);
        const bool input = is_input_list(list);
        const auto i = static_cast<std::size_t>(k - 1);
        check.problems.append({RecordProblem::Kind::Damaged,
                               k,
                               {},
                               DAMAGED_NO_POSITION.arg(input ? input_name(k) : output_name(k))
                                   .arg(input ? check.record.in[i] : check.record.out[i])});
        return check;
    }
    // The boxes of the open first, then those each later edit would bring until none is left,
    // so that every rule the file breaks is named; each box undoes a choice, so this ends.
    for (CheckedPanel run = check.opened.checked; !run.findings.isEmpty();
         run = check_panel(run.panel))
        for (const RuleFinding &finding : run.findings)
            check.problems.append(rule_problem(finding));
    // The file's own gaps, not those the check made by undoing a choice.
    check.problems += incomplete_problems(check.opened.load.panel);
    return check;
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

QString point_text(const PanelSide &side, bool output)
{
    return POINT.arg(module_text(side, output), channel_text(side), loop_name(side.data_b));
}
