#pragma once
// What a command found, as one plain value per command: text_report() renders it for people,
// json_report() for scripts. A part the command never reached stays empty and is left out.

#include "command_line.h"
#include "log_summary.h"
#include "port_run.h"
#include "record_check.h"
#include "session_result.h"

#include <optional>
#include <variant>

// A file's problems, or why it could not be read at all.
struct CheckedFile {
    QString file;
    QString error; // unreadable: why
    QList<RecordProblem> problems;
};

struct CheckResult {
    QList<CheckedFile> files;
};

struct ShowResult {
    QString file;
    std::optional<QList<RecordProblem>> problems; // the file does not open
    std::optional<Panel> panel;
};

struct WriteResult {
    QString file;
    std::optional<QList<RecordProblem>> refused; // what keeps the file from being written
    ModuleImage image;                           // what was stored
    std::optional<PortRuns> runs;
};

struct ReadResult {
    QString name;   // the panel name given
    QString output; // the file to save; empty: the configuration is shown
    std::optional<PortRuns> runs;
    std::optional<Panel> panel;                   // as read, once the module was read
    std::optional<QList<RecordProblem>> problems; // what keeps it from being saved
    bool saved = false;
};

struct VerifyResult {
    QString file;
    std::optional<QList<RecordProblem>> problems; // what keeps the file from being compared
    std::optional<ModuleImage> expected;
    std::optional<PortRuns> runs;
};

struct ProbeResult {
    std::optional<PortRuns> runs;
};

// A serial port as the system lists it; the USB ids are known for a USB adapter only.
struct SerialPortEntry {
    QString device, description, manufacturer, serial_number;
    std::optional<quint16> vendor_id, product_id;
};

// COM n as both programs resolve it.
struct ComPortEntry {
    qint16 number = 0;
    QString device;
    QString target; // what a link points to; empty for no link
    bool exists = false;
};

struct PortsResult {
    QList<SerialPortEntry> serial_ports;
    QList<ComPortEntry> com_ports;
};

// How many modules passed and failed on one bench port.
struct PortTally {
    PortArgument port;
    int passed = 0;
    int failed = 0;
};

struct StationResult {
    QString file;
    std::optional<QList<RecordProblem>> refused;
    std::optional<QList<PortTally>> ports; // once the station ran
};

// What the logs add up to; the failures the last ones only, unless all were asked for.
struct SummaryResult {
    std::optional<LogSummary> summary; // once every log was read
    bool all = false;
};

struct CommandResult {
    std::optional<CliCommand> command; // none: the command line itself is wrong
    std::variant<std::monostate, CheckResult, ShowResult, WriteResult, ReadResult, VerifyResult,
                 ProbeResult, PortsResult, StationResult, SummaryResult>
        body;
    QString error;   // why the command stopped: a usage, file or output error
    QString warning; // a trouble reported when it happened, the command went on
    int exit_code = 0;
};
