#include "record_check.h"

#include "cli_texts.h"
#include "configuration_texts.h"
#include "file_texts.h"
#include "gathering.h"
#include "point_code.h"
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

void check_rules(const WindowState &state, QList<RecordProblem> &problems)
{
    const AssignmentSnapshot snapshot = state.snapshot();
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        std::vector<int> named = outputs_named(snapshot, k);
        if (named.empty())
            continue;
        const QString point = point_text(state, input_module_list(k), input_channel_list(k),
                                         snapshot.toggle_pressed(input_toggle(k)));
        const auto own = std::find(named.begin(), named.end(), k);
        if (own != named.end()) {
            named.erase(own);
            problems.append({RecordProblem::Kind::OwnOutput,
                             k,
                             {},
                             NAMES_OWN_OUTPUT.arg(input_name(k), output_name(k), point)});
        }
        if (named.empty())
            continue;
        QStringList outputs;
        for (int j : named)
            outputs << output_name(j);
        problems.append(
            {RecordProblem::Kind::OtherOutput, k, named,
             NAMES_OTHER_OUTPUT.arg(input_name(k), outputs.join(NAME_LIST_SEPARATOR), point)});
    }
}

} // namespace

QList<RecordProblem> incomplete_sides(const WindowState &state)
{
    QList<RecordProblem> problems;
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        if (!state.active(k))
            continue;
        if (state.position(input_channel_list(k)) == NO_SELECTION)
            problems.append(
                {RecordProblem::Kind::IncompleteInput, k, {}, NO_CHANNEL.arg(input_name(k))});
    }
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        if (!state.active(k))
            continue;
        const bool module = state.position(output_module_list(k)) != NO_SELECTION;
        const bool channel = state.position(output_channel_list(k)) != NO_SELECTION;
        if (module && channel)
            continue;
        const QString &text = !module && !channel ? NO_MODULE_NO_CHANNEL
                              : module            ? NO_CHANNEL
                                                  : NO_MODULE;
        problems.append({RecordProblem::Kind::IncompleteOutput, k, {}, text.arg(output_name(k))});
    }
    return problems;
}

QString RecordProblem::message() const
{
    switch (kind) {
    case Kind::Damaged:
    case Kind::OtherModel:
        return files::MISMATCH_TITLE;
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
                               OTHER_MODEL.arg(check.record.model, files::MODEL_ID)});
        return check;
    }
    if (status != RecordStatus::Ok) {
        check.problems.append(
            {RecordProblem::Kind::Damaged, 0, {}, damage_text(status, field, truncated)});
        return check;
    }
    check.opened = open_record(check.record);
    if (const int list = check.opened.refused_list) {
        const int k = list_slot(list);
        const bool input =
            list_kind(list) == ListKind::InputModule || list_kind(list) == ListKind::InputChannel;
        const auto i = static_cast<std::size_t>(k - 1);
        check.problems.append({RecordProblem::Kind::Damaged,
                               k,
                               {},
                               DAMAGED_NO_POSITION.arg(input ? input_name(k) : output_name(k))
                                   .arg(input ? check.record.in[i] : check.record.out[i])});
        return check;
    }
    check_rules(check.opened.state, check.problems);
    check.problems += incomplete_sides(check.opened.state);
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

QString list_item_text(const WindowState &state, int list)
{
    const qint16 position = state.position(list);
    if (position == NO_SELECTION)
        return NOTHING_CHOSEN;
    return QString::fromLatin1(
        list_items(list_kind(list))[static_cast<std::size_t>(position)].text);
}

QString loop_name(bool data_b)
{
    return data_b ? DATA_B : DATA_A;
}

QString point_text(const WindowState &state, int module_list, int channel_list, bool data_b)
{
    return POINT.arg(list_item_text(state, module_list), list_item_text(state, channel_list),
                     loop_name(data_b));
}
