#include "command_line.h"

#include "cli_texts.h"
#include "config_record.h"
#include "configuration_texts.h"

#include <QCommandLineParser>

using namespace cli;

namespace
{

const QString CHECK = QStringLiteral("check");
const QString SHOW = QStringLiteral("show");
const QString WRITE = QStringLiteral("write");
const QString READ = QStringLiteral("read");
const QString VERIFY = QStringLiteral("verify");
const QString PROBE = QStringLiteral("probe");
const QString PORTS = QStringLiteral("ports");
const QString STATION = QStringLiteral("station");
const QString SUMMARY = QStringLiteral("summary");
const QString OPTION_PORT = QStringLiteral("port");
const QString OPTION_NAME = QStringLiteral("name");
const QString OPTION_OUTPUT = QStringLiteral("output");
const QString OPTION_OUTPUT_SHORT = QStringLiteral("o");
const QString OPTION_FORCE = QStringLiteral("force");
const QString OPTION_JSON = QStringLiteral("json");
const QString OPTION_TRACE = QStringLiteral("trace");
const QString OPTION_LOG = QStringLiteral("log");
const QString OPTION_REPLY_WAIT = QStringLiteral("reply-wait");
const QString OPTION_QUIET = QStringLiteral("quiet");
const QString OPTION_VERIFY_FIRST = QStringLiteral("verify-first");
const QString OPTION_SINCE = QStringLiteral("since");
const QString OPTION_ALL = QStringLiteral("all");
const QString OPTION_BOARD = QStringLiteral("board");
const QString OPTION_HELP = QStringLiteral("help");
const QString OPTION_HELP_SHORT = QStringLiteral("h");
const QString OPTION_VERSION = QStringLiteral("version");
const QString JSON_ARGUMENT = QStringLiteral("--json");
const QString END_OF_OPTIONS = QStringLiteral("--");
const QString LONG_OPTION = QStringLiteral("--");
const QString SHORT_OPTION = QStringLiteral("-");
constexpr QChar OPTION_VALUE = u'=';
const QString DESCRIPTION = QStringLiteral(
    "Checks, shows, writes, reads and verifies data converter configurations (.olc files)\n"
    "and modules, with the same rules and conversions as the configuration window.\n"
    "\n"
    "Commands:\n"
    "  check FILE...                       report damaged files, rule breaks, incomplete slots\n"
    "  show FILE                           the panel name and the ten slots as a table\n"
    "  write FILE --port P [--port P...]   program every module at once, each read back\n"
    "  read --port P --name PANEL -o FILE  read a module and save what the window would save\n"
    "  read --port P                       read a module and show it as show shows a file\n"
    "  verify FILE --port P [--port P...]  list what each module holds differently\n"
    "  probe --port P [--port P...]        which ports have a module (handshake and identity)\n"
    "  ports                               this machine's serial ports and COM 1 to 5\n"
    "  station FILE --port P [--port P...] --log LOG\n"
    "                                      program each module plugged into a port, one after\n"
    "                                      another, and log each one; Ctrl-C ends\n"
    "  summary LOG... [--since TIME]       what the bench's logs add up to\n"
    "\n"
    "FILE - is standard input. P is a COM number (1 to 5, or COM1 to COM5), a device name\n"
    "under /dev (ttyUSB0), a path with a / in it, from the current folder when relative, or a\n"
    "network port: tcp://HOST:PORT (raw) or rfc2217://HOST:PORT (telnet serial port control).\n"
    "Exit codes: 0 all well, 1 a problem in a file or a module, 2 a usage, file or output\n"
    "error, 130 interrupted (Ctrl-C, SIGTERM, SIGHUP; station ends with 0 or 1).");
const QString COMMAND_ARGUMENT = QStringLiteral("command");
const QString COMMAND_ARGUMENT_HELP =
    QStringLiteral("check, show, write, read, verify, probe, ports, station or summary.");
const QString COMMAND_SYNTAX = QStringLiteral("COMMAND [FILE...]");
const QString PORT_HELP = QStringLiteral(
    "A module's port: COM number, device name, path or network port. Repeat for several.");
const QString NAME_HELP =
    QStringLiteral("read: the panel name (at most 12 characters); needed with -o.");
const QString OUTPUT_HELP =
    QStringLiteral("read: the file to save; without it the configuration is shown.");
const QString FORCE_HELP = QStringLiteral("read: replace an existing file.");
const QString JSON_HELP = QStringLiteral("One JSON document on standard output.");
const QString TRACE_HELP =
    QStringLiteral("Log the line traffic to FILE (\"-\" for standard error).");
const QString LOG_HELP = QStringLiteral(
    "write, station: append one JSON line per programmed module to FILE (needed by station).");
const QString REPLY_WAIT_HELP = QStringLiteral(
    "Wait up to MS milliseconds for each reply (100 to 2000, default 100): a slow adapter or "
    "network path.");
const QString QUIET_HELP = QStringLiteral("No progress lines: only the results.");
const QString SINCE_HELP = QStringLiteral(
    "summary: only modules done at TIME or later (2026-12-07, 2026-12-07T14:00, with an offset "
    "or in local time).");
const QString ALL_HELP = QStringLiteral("summary: list every failure, not only the last 20.");
const QString TIME_VALUE = QStringLiteral("TIME");
const QString BAD_SINCE =
    QStringLiteral("--since %1: give a date or a time as 2026-12-07 or 2026-12-07T14:00");
const QString VERIFY_FIRST_HELP = QStringLiteral(
    "station: read each module found first; one that already holds FILE is not written.");
const QString HELP_HELP = QStringLiteral("Show this help.");
const QString VERSION_HELP = QStringLiteral("Show the version.");
const QString PORT_VALUE = QStringLiteral("P");
const QString NAME_VALUE = QStringLiteral("PANEL");
const QString MS_VALUE = QStringLiteral("MS");
const QString FILE_VALUE = QStringLiteral("FILE");
const QString USAGE_START = QStringLiteral("Usage: ");
const QString USAGE_OPTIONS = QStringLiteral(" [options]");
const QString VERSION_LINE = QStringLiteral("%1 %2");
// Usage errors; each is printed after "converter-cli: ".
const QString NO_COMMAND = QStringLiteral("no command given (try --help)");
const QString UNKNOWN_COMMAND = QStringLiteral("unknown command \"%1\" (try --help)");
const QString UNKNOWN_OPTION = QStringLiteral("unknown option \"%1\" (try --help)");
const QString NEEDS_FILES = QStringLiteral("%1: name at least one file");
const QString NEEDS_ONE_FILE = QStringLiteral("%1: name exactly one file");
const QString TAKES_NO_FILE = QStringLiteral("%1: takes no file argument (\"%2\"); use -o");
const QString TAKES_NO_FILES = QStringLiteral("%1: takes no file argument (\"%2\")");
const QString NEEDS_LOG = QStringLiteral("%1: name the log with --log FILE");
const QString BAD_REPLY_WAIT =
    QStringLiteral("--reply-wait %1: give the milliseconds to wait for a reply, from %2 to %3");
const QString BAD_NETWORK_PORT =
    QStringLiteral("--port %1: a network port is tcp://HOST:PORT or rfc2217://HOST:PORT");
const QString NEEDS_PORT = QStringLiteral("%1: name a port with --port");
const QString NEEDS_ONE_PORT = QStringLiteral("%1: name exactly one port");
const QString NEEDS_NAME = QStringLiteral("%1: -o saves a panel name: give it with --name");
const QString OPTION_NOT_FOR = QStringLiteral("%1: --%2 is not an option of this command");
const QString GIVEN_TWICE = QStringLiteral("--%1 is given twice; give it once");
const QString EMPTY_FILE_NAME = QStringLiteral("--%1: the file name is empty");
const QString BAD_PORT = QStringLiteral(
    "--port %1: give a COM number from 1 to 5, a device name such as ttyUSB0, or a path");
const QString SAME_PORT = QStringLiteral("--port %1 and --port %2 are the same port (%3)");
const QString NAME_TOO_LONG =
    QStringLiteral("--name \"%1\": %2 characters; the panel name box takes at most %3");
const QString NAME_UNTYPABLE =
    QStringLiteral("--name: the control character %1 cannot be typed into the panel name box");
const QString CODE_POINT = QStringLiteral("U+%1");
constexpr int CODE_POINT_DIGITS = 4;
const QString NAME_UNWRITABLE = QStringLiteral("--name \"%1\": %2");
const QString NAME_DOUBLE_QUOTE =
    QStringLiteral("a configuration file cannot hold a double quote (\") in the panel name");
const QString NAME_NOT_IN_CODE_PAGE =
    QStringLiteral("a configuration file cannot hold the character %1 in the panel name");

const QString BOARD_HELP =
    QStringLiteral("station: serve a live board of the bench over HTTP on PORT of 127.0.0.1, or "
                   "on ADDR (IPv6 in brackets).");
const QString BOARD_VALUE = QStringLiteral("[ADDR:]PORT");
const QString BAD_BOARD =
    QStringLiteral("--board %1: give a port from 1 to 65535 (8088), or an IP address and a port "
                   "(0.0.0.0:8088, [::1]:8088)");

struct CommandInfo {
    CliCommand command;
    const QString &name;
    bool takes_ports;
};
const CommandInfo COMMANDS[] = {
    {CliCommand::Check, CHECK, false},     {CliCommand::Show, SHOW, false},
    {CliCommand::Write, WRITE, true},      {CliCommand::Read, READ, true},
    {CliCommand::Verify, VERIFY, true},    {CliCommand::Probe, PROBE, true},
    {CliCommand::Ports, PORTS, false},     {CliCommand::Station, STATION, true},
    {CliCommand::Summary, SUMMARY, false},
};

const CommandInfo *find_command(const QString &name)
{
    for (const CommandInfo &info : COMMANDS)
        if (info.name == name)
            return &info;
    return nullptr;
}

ParsedCommandLine usage_error(const QString &reason, bool json)
{
    ParsedCommandLine parsed;
    parsed.kind = ParsedCommandLine::UsageError;
    parsed.text = reason;
    parsed.json = json;
    return parsed;
}

// Every option a command does not take is refused by name, rather than silently ignored.
std::optional<QString> misplaced_option(const QCommandLineParser &parser, const CommandInfo &info)
{
    QStringList refused;
    if (!info.takes_ports)
        refused << OPTION_PORT << OPTION_TRACE << OPTION_REPLY_WAIT;
    if (info.command != CliCommand::Write && info.command != CliCommand::Station)
        refused << OPTION_LOG;
    if (info.command != CliCommand::Read)
        refused << OPTION_NAME << OPTION_OUTPUT << OPTION_FORCE;
    if (info.command != CliCommand::Station)
        refused << OPTION_VERIFY_FIRST << OPTION_BOARD;
    if (info.command != CliCommand::Summary)
        refused << OPTION_SINCE << OPTION_ALL;
    for (const QString &option : std::as_const(refused))
        if (parser.isSet(option))
            return OPTION_NOT_FOR.arg(info.name, option);
    return std::nullopt;
}

// The name as the panel name box would take it, and as the save would write it. A control
// character is named by its code, since printed it would break the line that names it.
std::optional<QString> check_panel_name(const QString &name)
{
    for (QChar c : name)
        if (c.category() == QChar::Other_Control)
            return NAME_UNTYPABLE.arg(
                CODE_POINT.arg(c.unicode(), CODE_POINT_DIGITS, HEX, QLatin1Char('0')).toUpper());
    if (name.size() > PANEL_NAME_MAX_LENGTH)
        return NAME_TOO_LONG.arg(name).arg(name.size()).arg(PANEL_NAME_MAX_LENGTH);
    ConfigRecord record;
    record.panel = name;
    const RecordBytes bytes = write_config_record(record);
    if (!bytes.fault)
        return std::nullopt;
    return NAME_UNWRITABLE.arg(
        name, bytes.fault->kind == TextFault::DoubleQuote
                  ? NAME_DOUBLE_QUOTE
                  : NAME_NOT_IN_CODE_PAGE.arg(character_name(bytes.fault->character)));
}

std::optional<QString> check_counts(const CommandInfo &info, const CommandLine &line)
{
    const auto file_count = line.files.size();
    switch (info.command) {
    case CliCommand::Check:
    case CliCommand::Summary:
        if (file_count == 0)
            return NEEDS_FILES.arg(info.name);
        break;
    case CliCommand::Show:
    case CliCommand::Write:
    case CliCommand::Verify:
        if (file_count != 1)
            return NEEDS_ONE_FILE.arg(info.name);
        break;
    case CliCommand::Station:
        if (file_count != 1)
            return NEEDS_ONE_FILE.arg(info.name);
        if (line.log.isEmpty())
            return NEEDS_LOG.arg(info.name);
        break;
    case CliCommand::Probe:
    case CliCommand::Ports:
        if (file_count != 0)
            return TAKES_NO_FILES.arg(info.name, line.files.first());
        break;
    case CliCommand::Read:
        if (file_count != 0)
            return TAKES_NO_FILE.arg(info.name, line.files.first());
        if (line.ports.size() > 1)
            return NEEDS_ONE_PORT.arg(info.name);
        // Only a file to save needs a name; a shown configuration takes one if given.
        if (!line.output.isEmpty() && line.name.isEmpty())
            return NEEDS_NAME.arg(info.name);
        if (const auto name = check_panel_name(line.name))
            return name;
        break;
    }
    if (info.takes_ports && line.ports.isEmpty())
        return NEEDS_PORT.arg(info.name);
    return std::nullopt;
}

// Whole milliseconds within the bounds a session takes.
std::optional<std::chrono::milliseconds> reply_wait(const QString &text)
{
    bool number = false;
    const std::chrono::milliseconds wait{text.toInt(&number)};
    if (!number || wait < device::REPLY_WAIT_MIN || wait > device::REPLY_WAIT_MAX)
        return std::nullopt;
    return wait;
}

// The parser names an unknown option without its dashes; the user should see it as typed.
QString option_as_typed(const QStringList &arguments, const QString &name)
{
    for (const QString &argument : arguments.mid(1)) {
        if (argument == END_OF_OPTIONS)
            break;
        if (argument.startsWith(LONG_OPTION)) {
            const QString typed = argument.section(OPTION_VALUE, 0, 0);
            if (typed.mid(LONG_OPTION.size()) == name)
                return typed;
        } else if (argument.startsWith(SHORT_OPTION) && argument.contains(name)) {
            return argument; // a cluster of short options, such as -fo
        }
    }
    return LONG_OPTION + name;
}

// An option that takes one value, given twice, or a file option given an empty name: the
// parser would keep the last, or save to nowhere.
std::optional<QString> misused_value(const QCommandLineParser &parser)
{
    for (const QString &option : {OPTION_NAME, OPTION_OUTPUT, OPTION_TRACE, OPTION_LOG,
                                  OPTION_REPLY_WAIT, OPTION_SINCE, OPTION_BOARD}) {
        const QStringList values = parser.values(option);
        if (values.size() > 1)
            return GIVEN_TWICE.arg(option);
        if (option != OPTION_NAME && option != OPTION_BOARD && values.size() == 1 &&
            values.first().isEmpty())
            return EMPTY_FILE_NAME.arg(option);
    }
    return std::nullopt;
}

// The parser names the program by the path it was started with; the help names it as typed.
QString help_text(const QCommandLineParser &parser)
{
    QString text = parser.helpText();
    const auto options = text.indexOf(USAGE_OPTIONS);
    if (options >= 0)
        text.replace(0, options, USAGE_START + PROGRAM_NAME);
    return text;
}

} // namespace

QString command_name(CliCommand command)
{
    for (const CommandInfo &info : COMMANDS)
        if (info.command == command)
            return info.name;
    return {};
}

ParsedCommandLine parse_command_line(const QStringList &arguments, const PortNameMap &port_names)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(DESCRIPTION);
    parser.addPositionalArgument(COMMAND_ARGUMENT, COMMAND_ARGUMENT_HELP, COMMAND_SYNTAX);
    parser.addOptions({
        {OPTION_PORT, PORT_HELP, PORT_VALUE},
        {OPTION_NAME, NAME_HELP, NAME_VALUE},
        {{OPTION_OUTPUT_SHORT, OPTION_OUTPUT}, OUTPUT_HELP, FILE_VALUE},
        {OPTION_FORCE, FORCE_HELP},
        {OPTION_JSON, JSON_HELP},
        {OPTION_TRACE, TRACE_HELP, FILE_VALUE},
        {OPTION_LOG, LOG_HELP, FILE_VALUE},
        {OPTION_REPLY_WAIT, REPLY_WAIT_HELP, MS_VALUE},
        {OPTION_QUIET, QUIET_HELP},
        {OPTION_VERIFY_FIRST, VERIFY_FIRST_HELP},
        {OPTION_SINCE, SINCE_HELP, TIME_VALUE},
        {OPTION_ALL, ALL_HELP},
        {OPTION_BOARD, BOARD_HELP, BOARD_VALUE},
        {{OPTION_HELP_SHORT, OPTION_HELP}, HELP_HELP},
        {OPTION_VERSION, VERSION_HELP},
    });

    // A script that asked for JSON gets JSON, even for a command line it got wrong.
    const bool json = arguments.contains(JSON_ARGUMENT);
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return usage_error(unknown.isEmpty()
                               ? parser.errorText()
                               : UNKNOWN_OPTION.arg(option_as_typed(arguments, unknown.first())),
                           json);
    }

    ParsedCommandLine parsed;
    if (parser.isSet(OPTION_HELP) || parser.isSet(OPTION_VERSION)) {
        parsed.kind = ParsedCommandLine::Print;
        parsed.text =
            parser.isSet(OPTION_HELP)
                ? help_text(parser)
                : VERSION_LINE.arg(PROGRAM_NAME, QStringLiteral(CONVERTER_VERSION)) + u'\n';
        return parsed;
    }

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usage_error(NO_COMMAND, json);
    const CommandInfo *info = find_command(positional.takeFirst());
    if (!info)
        return usage_error(UNKNOWN_COMMAND.arg(parser.positionalArguments().first()), json);
    if (const auto misplaced = misplaced_option(parser, *info))
        return usage_error(*misplaced, json);
    if (const auto misused = misused_value(parser))
        return usage_error(*misused, json);

    CommandLine &line = parsed.command_line;
    line.command = info->command;
    line.files = positional;
    line.name = parser.value(OPTION_NAME);
    line.output = parser.value(OPTION_OUTPUT);
    line.force = parser.isSet(OPTION_FORCE);
    line.json = parser.isSet(OPTION_JSON);
    line.quiet = parser.isSet(OPTION_QUIET);
    line.trace = parser.value(OPTION_TRACE);
    line.log = parser.value(OPTION_LOG);
    line.verify_first = parser.isSet(OPTION_VERIFY_FIRST);
    line.all = parser.isSet(OPTION_ALL);
    if (parser.isSet(OPTION_SINCE)) {
        const QDateTime since = QDateTime::fromString(parser.value(OPTION_SINCE), Qt::ISODate);
        if (!since.isValid())
            return usage_error(BAD_SINCE.arg(parser.value(OPTION_SINCE)), json);
        line.since = since;
    }
    if (parser.isSet(OPTION_REPLY_WAIT)) {
        const auto wait = reply_wait(parser.value(OPTION_REPLY_WAIT));
        if (!wait)
            return usage_error(BAD_REPLY_WAIT.arg(parser.value(OPTION_REPLY_WAIT))
                                   .arg(device::REPLY_WAIT_MIN.count())
                                   .arg(device::REPLY_WAIT_MAX.count()),
                               json);
        line.reply_wait = *wait;
    }
    if (parser.isSet(OPTION_BOARD)) {
        line.board = parse_board_address(parser.value(OPTION_BOARD));
        if (!line.board)
            return usage_error(BAD_BOARD.arg(parser.value(OPTION_BOARD)), json);
    }
    for (const QString &text : parser.values(OPTION_PORT)) {
        const auto port = parse_port_argument(text, port_names);
        if (!port) {
            const bool network = port_address(text).scheme != PortScheme::Serial;
            return usage_error((network ? BAD_NETWORK_PORT : BAD_PORT).arg(text), json);
        }
        line.ports.append(*port);
    }
    if (const auto counts = check_counts(*info, line))
        return usage_error(*counts, json);
    if (const auto same = same_port(line.ports, device::CONNECT_TIME_LIMIT))
        return usage_error(SAME_PORT.arg(line.ports[same->first].label,
                                         line.ports[same->second].label,
                                         line.ports[same->first].device),
                           json);
    parsed.kind = ParsedCommandLine::Run;
    parsed.json = line.json;
    return parsed;
}
