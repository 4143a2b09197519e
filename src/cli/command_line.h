#pragma once
// The command line of converter-cli: which command, on which files and ports, and how to report.

#include "board_address.h"
#include "device_constants.h"
#include "port_argument.h"

#include <QDateTime>
#include <QStringList>
#include <optional>

enum class CliCommand { Check, Show, Write, Read, Verify, Probe, Ports, Station, Summary };

struct CommandLine {
    CliCommand command = CliCommand::Check;
    QStringList files;
    QList<PortArgument> ports;
    QString name;   // read: the panel name
    QString output; // read: the file to save; empty: the configuration is shown instead
    bool force = false;
    bool json = false;
    bool quiet = false;             // no progress lines
    QString trace;                  // empty: the traffic log only as CONVERTER_TRACE asks
    QString log;                    // write, station: the log of programmed modules; empty: none
    bool verify_first = false;      // station: read and compare each module before writing it
    std::optional<QDateTime> since; // summary: only records from then on
    bool all = false;               // summary: every failure, not only the last ones
    std::chrono::milliseconds reply_wait = device::REPLY_WAIT_DEFAULT;
    // station: where its live board listens; none: no board.
    std::optional<BoardAddress> board;
};

// What the parse found: a command to run, a text to print (help, version), or a usage error.
struct ParsedCommandLine {
    enum Kind { Run, Print, UsageError } kind = UsageError;
    CommandLine command_line;
    QString text;      // Print: the help or version text; UsageError: the reason
    bool json = false; // --json was asked for, even when the rest is wrong
};

// `arguments` as QCoreApplication::arguments() gives them, the program first.
ParsedCommandLine parse_command_line(const QStringList &arguments, const PortNameMap &port_names);

// The command's own name, as typed.
QString command_name(CliCommand command);
