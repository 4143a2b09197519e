#include "json_report.h"

#include "cli_texts.h"
#include "frame_text.h"
#include "memory_map.h"
#include "module_record.h"
#include "problem_words.h"
#include "session_words.h"

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
    QJsonObject object{{KIND, problem_kind(problem.kind)},
                       {MESSAGE, problem_message(problem)},
                       {DETAIL, problem_detail(problem)}};
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
    else if (result.kind == SessionKind::Read && result.succeeded())
        object.insert(BYTES, bytes_json(result.image));
    return object;
}

QJsonObject difference_json(const PanelDifference &difference)
{
    return QJsonObject{{KIND, difference.kind == PanelDifference::Kind::Point ? json_value::POINT
                                                                              : json_value::LOOP},
                       {SIDE, difference.output ? OUTPUT : INPUT},
                       {SLOT, difference.slot},
                       {ADDRESS, difference.address},
                       {FILE_PATH, difference_value(difference, false)},
                       {MODULE, difference_value(difference, true)},
                       {DETAIL, difference_text(difference)}};
}

namespace
{

QJsonValue text_or_null(const QString &text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonValue usb_id(std::optional<quint16> id)
{
    return id ? QJsonValue(QString::number(*id, cli::HEX).rightJustified(cli::USB_ID_DIGITS, u'0'))
              : QJsonValue(QJsonValue::Null);
}

QJsonArray ports_json(const PortRuns &runs, const ModuleImage &written = {})
{
    QJsonArray ports;
    for (const PortRun &run : runs.ports)
        ports.append(port_json(run.port, run.result, written));
    return ports;
}

// Each command's own fields into the document.
struct Fields {
    QJsonObject &json;

    void runs(const std::optional<PortRuns> &runs, const QJsonArray &ports)
    {
        if (!runs)
            return;
        json.insert(PORTS, ports);
        json.insert(INTERRUPTED, runs->interrupted);
    }
    void problems(const std::optional<QList<RecordProblem>> &problems)
    {
        if (problems)
            json.insert(PROBLEMS, problems_json(*problems));
    }

    void operator()(std::monostate) {}
    void operator()(const CheckResult &check)
    {
        QJsonArray files;
        for (const CheckedFile &file : check.files) {
            QJsonObject object{{FILE_PATH, file.file}};
            if (!file.error.isEmpty()) {
                object.insert(STATUS, json_value::UNREADABLE);
                object.insert(ERROR, file.error);
            } else {
                object.insert(STATUS,
                              file.problems.isEmpty() ? json_value::SOUND : json_value::PROBLEMS);
                object.insert(PROBLEMS, problems_json(file.problems));
            }
            files.append(object);
        }
        json.insert(FILES, files);
    }
    void operator()(const ShowResult &show)
    {
        json.insert(FILE_PATH, show.file);
        problems(show.problems);
        if (show.panel) {
            json.insert(PANEL, show.panel->name);
            json.insert(SLOTS, slots_json(*show.panel));
        }
    }
    void operator()(const WriteResult &write)
    {
        json.insert(FILE_PATH, write.file);
        problems(write.refused);
        if (write.runs)
            runs(write.runs, ports_json(*write.runs, write.image));
    }
    void operator()(const ReadResult &read)
    {
        json.insert(PANEL, read.name);
        if (!read.output.isEmpty())
            json.insert(FILE_PATH, read.output);
        if (read.runs) {
            runs(read.runs, ports_json(*read.runs));
            if (!read.output.isEmpty())
                json.insert(SAVED, read.saved);
        }
        if (read.panel)
            json.insert(SLOTS, slots_json(*read.panel));
        problems(read.problems);
    }
    void operator()(const VerifyResult &verify)
    {
        json.insert(FILE_PATH, verify.file);
        problems(verify.problems);
        if (verify.expected)
            json.insert(EXPECTED, bytes_json(*verify.expected));
        if (!verify.runs)
            return;
        QJsonArray ports;
        for (const PortRun &run : verify.runs->ports) {
            QJsonObject port = port_json(run.port, run.result);
            if (run.result.succeeded()) {
                QJsonArray listed;
                for (const PanelDifference &difference : run.differences)
                    listed.append(difference_json(difference));
                port.insert(IDENTICAL, listed.isEmpty());
                port.insert(DIFFERENCES, listed);
            }
            ports.append(port);
        }
        runs(verify.runs, ports);
    }
    void operator()(const ProbeResult &probe)
    {
        if (!probe.runs)
            return;
        QJsonArray ports;
        for (const PortRun &run : probe.runs->ports) {
            QJsonObject port = port_json(run.port, run.result);
            port.insert(IDENTITY, run.result.identity ? QJsonValue(*run.result.identity)
                                                      : QJsonValue(QJsonValue::Null));
            port.insert(TARGET, text_or_null(run.target));
            ports.append(port);
        }
        runs(probe.runs, ports);
    }
    void operator()(const PortsResult &ports)
    {
        QJsonArray serial;
        for (const SerialPortEntry &port : ports.serial_ports)
            serial.append(QJsonObject{{DEVICE, port.device},
                                      {DESCRIPTION, port.description},
                                      {MANUFACTURER, port.manufacturer},
                                      {VENDOR_ID, usb_id(port.vendor_id)},
                                      {PRODUCT_ID, usb_id(port.product_id)},
                                      {SERIAL_NUMBER, text_or_null(port.serial_number)}});
        QJsonArray com;
        for (const ComPortEntry &port : ports.com_ports)
            com.append(QJsonObject{{COM, port.number},
                                   {DEVICE, port.device},
                                   {TARGET, text_or_null(port.target)},
                                   {EXISTS, port.exists}});
        json.insert(SERIAL_PORTS, serial);
        json.insert(COM_PORTS, com);
    }
    void operator()(const SummaryResult &result)
    {
        if (!result.summary)
            return;
        const LogSummary &summary = *result.summary;
        const auto time = [](const std::optional<QDateTime> &t) {
            return t ? QJsonValue(iso_time(*t)) : QJsonValue(QJsonValue::Null);
        };
        json.insert(PASSED, summary.count.passed);
        json.insert(FAILED, summary.count.failed);
        json.insert(FIRST, time(summary.first));
        json.insert(LAST, time(summary.last));
        QJsonArray ports, files, failures, bad;
        for (const LogSummary::Port &port : summary.ports)
            ports.append(QJsonObject{
                {PORT, port.port}, {PASSED, port.count.passed}, {FAILED, port.count.failed}});
        for (const LogSummary::File &file : summary.files)
            files.append(QJsonObject{{SHA256, QString::fromLatin1(file.sha256.toHex())},
                                     {FILE_PATH, file.file},
                                     {PASSED, file.count.passed},
                                     {FAILED, file.count.failed}});
        for (const LogSummary::Failure &failure : summary.failures) {
            QJsonObject object = record_json(failure.record);
            object.insert(LOG, failure.log);
            object.insert(LINE, failure.line);
            failures.append(object);
        }
        for (const LogSummary::BadLine &line : summary.bad_lines)
            bad.append(QJsonObject{{LOG, line.log}, {LINE, line.line}});
        json.insert(PORTS, ports);
        json.insert(FILES, files);
        json.insert(FAILURES, failures);
        json.insert(BAD_LINES, bad);
    }
    void operator()(const StationResult &station)
    {
        json.insert(FILE_PATH, station.file);
        problems(station.refused);
        if (!station.ports)
            return;
        QJsonArray ports;
        for (const PortTally &tally : *station.ports)
            ports.append(QJsonObject{{PORT, tally.port.label},
                                     {DEVICE, tally.port.device},
                                     {PASSED, tally.passed},
                                     {FAILED, tally.failed}});
        json.insert(PORTS, ports);
    }
};

} // namespace

QJsonObject json_report(const CommandResult &result)
{
    QJsonObject json;
    if (result.command)
        json.insert(COMMAND, command_name(*result.command));
    std::visit(Fields{json}, result.body);
    const QString &error = result.error.isEmpty() ? result.warning : result.error;
    if (!error.isEmpty())
        json.insert(ERROR, error);
    json.insert(EXIT_CODE, result.exit_code);
    return json;
}
