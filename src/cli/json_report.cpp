#include "json_report.h"

#include "cli_texts.h"
#include "frame_text.h"
#include "memory_map.h"
#include "run_report.h"

using namespace json_key;

namespace
{

const QString DAMAGED = QStringLiteral("damaged");
const QString OTHER_MODEL = QStringLiteral("other_model");
const QString OWN_OUTPUT = QStringLiteral("own_output");
const QString OTHER_OUTPUT = QStringLiteral("other_output");
const QString INCOMPLETE_INPUT = QStringLiteral("incomplete_input");
const QString INCOMPLETE_OUTPUT = QStringLiteral("incomplete_output");

QString problem_kind(RecordProblem::Kind kind)
{
    switch (kind) {
    case RecordProblem::Kind::Damaged:
        return DAMAGED;
    case RecordProblem::Kind::OtherModel:
        return OTHER_MODEL;
    case RecordProblem::Kind::OwnOutput:
        return OWN_OUTPUT;
    case RecordProblem::Kind::OtherOutput:
        return OTHER_OUTPUT;
    case RecordProblem::Kind::IncompleteInput:
        return INCOMPLETE_INPUT;
    case RecordProblem::Kind::IncompleteOutput:
        break;
    }
    return INCOMPLETE_OUTPUT;
}

QJsonValue position_json(qint16 position, const QString &text, bool number)
{
    if (position == NO_SELECTION)
        return QJsonValue::Null;
    return number ? QJsonValue(text.toInt()) : QJsonValue(text);
}

QJsonValue side_json(const PanelSlot &slot, bool output)
{
    if (!slot.active())
        return QJsonValue::Null;
    const PanelSide &side = output ? slot.output : slot.input;
    return QJsonObject{{MODULE, position_json(side.module, module_text(side, output), false)},
                       {CHANNEL, position_json(side.channel, channel_text(side), true)},
                       {LOOP, loop_name(side.data_b)},
                       {DESIGNATION, side.designation}};
}

} // namespace

QJsonObject problem_json(const RecordProblem &problem)
{
    QJsonObject object{
        {KIND, problem_kind(problem.kind)}, {MESSAGE, problem.message()}, {DETAIL, problem.detail}};
    if (problem.slot != 0)
        object.insert(SLOT, problem.slot);
    if (problem.kind == RecordProblem::Kind::OtherOutput) {
        QJsonArray outputs;
        for (int j : problem.outputs)
            outputs.append(j);
        object.insert(OUTPUTS, outputs);
    }
    return object;
}

QJsonArray problems_json(const QList<RecordProblem> &problems)
{
    QJsonArray array;
    for (const RecordProblem &problem : problems)
        array.append(problem_json(problem));
    return array;
}

QJsonArray slots_json(const Panel &panel)
{
    QJsonArray array;
    for (int k = 1; k <= SLOT_COUNT; ++k)
        array.append(QJsonObject{{SLOT, k},
                                 {INPUT, side_json(panel.slot(k), false)},
                                 {OUTPUT, side_json(panel.slot(k), true)}});
    return array;
}

QJsonArray bytes_json(const ModuleImage &image)
{
    QJsonArray array;
    for (qint16 byte : image.bytes)
        array.append(byte);
    return array;
}

QJsonObject port_json(const PortArgument &port, const SessionResult &result,
                      const ModuleImage &written)
{
    QJsonObject object{{PORT, port.label},
                       {DEVICE, port.device},
                       {OUTCOME, outcome_key(result.outcome)},
                       {DONE, result.done}};
    if (!result.succeeded())
        object.insert(DETAIL, failure_text(result, written));
    // The frames, as the traffic log shows them, even where the detail puts the values in words.
    if (result.outcome == SessionOutcome::BadData && !result.sent.isEmpty()) {
        object.insert(ADDRESS, result.address);
        object.insert(SENT, frame_text(result.sent));
        object.insert(RECEIVED, frame_text(result.received));
    }
    if (result.outcome == SessionOutcome::WrongModule && result.identity)
        object.insert(IDENTITY, *result.identity);
    if (result.kind == SessionKind::Write)
        object.insert(PARTLY_PROGRAMMED, may_be_partly_programmed(result));
    else if (result.succeeded())
        object.insert(BYTES, bytes_json(result.image));
    return object;
}

QJsonObject difference_json(const PanelDifference &difference)
{
    return QJsonObject{{KIND, difference.kind == PanelDifference::Kind::Point ? json_value::POINT
                                                                              : json_value::LOOP},
                       {SIDE, difference.input ? INPUT : OUTPUT},
                       {SLOT, difference.slot},
                       {ADDRESS, difference.address},
                       {FILE_PATH, difference.file},
                       {MODULE, difference.module},
                       {DETAIL, difference.text()}};
}
