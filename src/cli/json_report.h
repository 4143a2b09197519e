#pragma once
// The pieces of the JSON documents the commands print with --json; the README gives the schema.

#include "command_result.h"

#include <QJsonArray>
#include <QJsonObject>

namespace json_key
{
inline const QString COMMAND = QStringLiteral("command");
inline const QString EXIT_CODE = QStringLiteral("exit_code");
inline const QString ERROR = QStringLiteral("error");
inline const QString FILES = QStringLiteral("files");
inline const QString FILE_PATH = QStringLiteral("file");
inline const QString STATUS = QStringLiteral("status");
inline const QString PROBLEMS = QStringLiteral("problems");
inline const QString KIND = QStringLiteral("kind");
inline const QString SLOT = QStringLiteral("slot");
inline const QString OUTPUTS = QStringLiteral("outputs");
inline const QString MESSAGE = QStringLiteral("message");
inline const QString DETAIL = QStringLiteral("detail");
inline const QString PANEL = QStringLiteral("panel");
inline const QString SLOTS = QStringLiteral("slots");
inline const QString INPUT = QStringLiteral("input");
inline const QString OUTPUT = QStringLiteral("output");
inline const QString MODULE = QStringLiteral("module");
inline const QString CHANNEL = QStringLiteral("channel");
inline const QString LOOP = QStringLiteral("loop");
inline const QString DESIGNATION = QStringLiteral("designation");
inline const QString PORTS = QStringLiteral("ports");
inline const QString PORT = QStringLiteral("port");
inline const QString DEVICE = QStringLiteral("device");
inline const QString OUTCOME = QStringLiteral("outcome");
inline const QString DONE = QStringLiteral("done");
inline const QString ADDRESS = QStringLiteral("address");
inline const QString SENT = QStringLiteral("sent");
inline const QString RECEIVED = QStringLiteral("received");
inline const QString IDENTITY = QStringLiteral("identity");
inline const QString PARTLY_PROGRAMMED = QStringLiteral("partly_programmed");
inline const QString BYTES = QStringLiteral("bytes");
inline const QString EXPECTED = QStringLiteral("expected");
inline const QString IDENTICAL = QStringLiteral("identical");
inline const QString DIFFERENCES = QStringLiteral("differences");
inline const QString SIDE = QStringLiteral("side");
inline const QString SAVED = QStringLiteral("saved");
inline const QString INTERRUPTED = QStringLiteral("interrupted");
inline const QString SERIAL_PORTS = QStringLiteral("serial_ports");
inline const QString COM_PORTS = QStringLiteral("com_ports");
inline const QString DESCRIPTION = QStringLiteral("description");
inline const QString MANUFACTURER = QStringLiteral("manufacturer");
inline const QString VENDOR_ID = QStringLiteral("vendor_id");
inline const QString PRODUCT_ID = QStringLiteral("product_id");
inline const QString SERIAL_NUMBER = QStringLiteral("serial_number");
inline const QString COM = QStringLiteral("com");
inline const QString TARGET = QStringLiteral("target");
inline const QString EXISTS = QStringLiteral("exists");
inline const QString PASSED = QStringLiteral("passed");
inline const QString FAILED = QStringLiteral("failed");
inline const QString TIME = QStringLiteral("time");
inline const QString ADAPTER_SERIAL = QStringLiteral("adapter_serial");
inline const QString SHA256 = QStringLiteral("sha256");
inline const QString RESULT = QStringLiteral("result");
inline const QString BYTES_VERIFIED = QStringLiteral("bytes_verified");
inline const QString FIRST = QStringLiteral("first");
inline const QString LAST = QStringLiteral("last");
inline const QString FAILURES = QStringLiteral("failures");
inline const QString BAD_LINES = QStringLiteral("bad_lines");
inline const QString LOG = QStringLiteral("log");
inline const QString LINE = QStringLiteral("line");
} // namespace json_key

namespace json_value
{
inline const QString SOUND = QStringLiteral("sound");
inline const QString PROBLEMS = QStringLiteral("problems");
inline const QString UNREADABLE = QStringLiteral("unreadable");
inline const QString POINT = QStringLiteral("point");
inline const QString LOOP = QStringLiteral("loop");
inline const QString PASS = QStringLiteral("pass");
inline const QString FAIL = QStringLiteral("fail");
} // namespace json_value

// The whole document of a command, "exit_code" included.
QJsonObject json_report(const CommandResult &result);

QJsonObject problem_json(const RecordProblem &problem);
QJsonArray problems_json(const QList<RecordProblem> &problems);
// Ten objects {slot, input, output}; a side is null when its slot is switched off.
QJsonArray slots_json(const Panel &panel);
QJsonArray bytes_json(const ModuleImage &image);
// {port, device, outcome, done, detail?, address?, sent?, received?, identity?,
//  partly_programmed?, bytes?}; `written` is what a write stored.
QJsonObject port_json(const PortArgument &port, const SessionResult &result,
                      const ModuleImage &written = {});
QJsonObject difference_json(const PanelDifference &difference);
