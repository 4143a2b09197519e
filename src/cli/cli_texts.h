#pragma once
// Fixed texts, keys and numbers of converter-cli, each defined once. Where the window has words
// for a finding, the command line uses them (validation_texts.h, gathering.h, file_texts.h).

#include <QString>

namespace cli
{

// Exit codes.
constexpr int EXIT_OK = 0;
constexpr int EXIT_PROBLEM = 1; // a file or a module is not as it should be
constexpr int EXIT_USAGE =
    2; // a command line, a file, a folder or an output the command cannot use
constexpr int EXIT_INTERRUPTED = 130; // Ctrl-C, SIGTERM or SIGHUP, as shells report a SIGINT

inline const QString PROGRAM_NAME = QStringLiteral("converter-cli");

// Commands and options.
inline const QString CHECK = QStringLiteral("check");
inline const QString SHOW = QStringLiteral("show");
inline const QString WRITE = QStringLiteral("write");
inline const QString READ = QStringLiteral("read");
inline const QString VERIFY = QStringLiteral("verify");
inline const QString PROBE = QStringLiteral("probe");
inline const QString PORTS = QStringLiteral("ports");
inline const QString STATION = QStringLiteral("station");
inline const QString SUMMARY = QStringLiteral("summary");
inline const QString OPTION_PORT = QStringLiteral("port");
inline const QString OPTION_NAME = QStringLiteral("name");
inline const QString OPTION_OUTPUT = QStringLiteral("output");
inline const QString OPTION_OUTPUT_SHORT = QStringLiteral("o");
inline const QString OPTION_FORCE = QStringLiteral("force");
inline const QString OPTION_JSON = QStringLiteral("json");
inline const QString OPTION_TRACE = QStringLiteral("trace");
inline const QString OPTION_LOG = QStringLiteral("log");
inline const QString OPTION_REPLY_WAIT = QStringLiteral("reply-wait");
inline const QString OPTION_QUIET = QStringLiteral("quiet");
inline const QString OPTION_VERIFY_FIRST = QStringLiteral("verify-first");
inline const QString OPTION_SINCE = QStringLiteral("since");
inline const QString OPTION_ALL = QStringLiteral("all");
inline const QString OPTION_BOARD = QStringLiteral("board");
inline const QString OPTION_HELP = QStringLiteral("help");
inline const QString OPTION_HELP_SHORT = QStringLiteral("h");
inline const QString OPTION_VERSION = QStringLiteral("version");
inline const QString JSON_ARGUMENT = QStringLiteral("--json");
inline const QString STANDARD_INPUT = QStringLiteral("-"); // as a FILE
inline const QString END_OF_OPTIONS = QStringLiteral("--");
inline const QString LONG_OPTION = QStringLiteral("--");
inline const QString SHORT_OPTION = QStringLiteral("-");
constexpr QChar OPTION_VALUE = u'=';

inline const QString DESCRIPTION = QStringLiteral(
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
inline const QString COMMAND_ARGUMENT = QStringLiteral("command");
inline const QString COMMAND_ARGUMENT_HELP =
    QStringLiteral("check, show, write, read, verify, probe, ports, station or summary.");
inline const QString COMMAND_SYNTAX = QStringLiteral("COMMAND [FILE...]");
inline const QString PORT_HELP = QStringLiteral(
    "A module's port: COM number, device name, path or network port. Repeat for several.");
inline const QString NAME_HELP =
    QStringLiteral("read: the panel name (at most 12 characters); needed with -o.");
inline const QString OUTPUT_HELP =
    QStringLiteral("read: the file to save; without it the configuration is shown.");
inline const QString FORCE_HELP = QStringLiteral("read: replace an existing file.");
inline const QString JSON_HELP = QStringLiteral("One JSON document on standard output.");
inline const QString TRACE_HELP =
    QStringLiteral("Log the line traffic to FILE (\"-\" for standard error).");
inline const QString LOG_HELP = QStringLiteral(
    "write, station: append one JSON line per programmed module to FILE (needed by station).");
inline const QString REPLY_WAIT_HELP = QStringLiteral(
    "Wait up to MS milliseconds for each reply (100 to 2000, default 100): a slow adapter or "
    "network path.");
inline const QString QUIET_HELP = QStringLiteral("No progress lines: only the results.");
inline const QString SINCE_HELP = QStringLiteral(
    "summary: only modules done at TIME or later (2026-12-07, 2026-12-07T14:00, with an offset "
    "or in local time).");
inline const QString ALL_HELP =
    QStringLiteral("summary: list every failure, not only the last 20.");
inline const QString TIME_VALUE = QStringLiteral("TIME");
inline const QString BAD_SINCE =
    QStringLiteral("--since %1: give a date or a time as 2026-12-07 or 2026-12-07T14:00");
inline const QString VERIFY_FIRST_HELP = QStringLiteral(
    "station: read each module found first; one that already holds FILE is not written.");
inline const QString HELP_HELP = QStringLiteral("Show this help.");
inline const QString VERSION_HELP = QStringLiteral("Show the version.");
inline const QString PORT_VALUE = QStringLiteral("P");
inline const QString NAME_VALUE = QStringLiteral("PANEL");
inline const QString MS_VALUE = QStringLiteral("MS");
inline const QString FILE_VALUE = QStringLiteral("FILE");
inline const QString USAGE_START = QStringLiteral("Usage: ");
inline const QString USAGE_OPTIONS = QStringLiteral(" [options]");
inline const QString VERSION_LINE = QStringLiteral("%1 %2");

// Usage errors; each is printed after "converter-cli: ".
inline const QString NO_COMMAND = QStringLiteral("no command given (try --help)");
inline const QString UNKNOWN_COMMAND = QStringLiteral("unknown command \"%1\" (try --help)");
inline const QString UNKNOWN_OPTION = QStringLiteral("unknown option \"%1\" (try --help)");
inline const QString NEEDS_FILES = QStringLiteral("%1: name at least one file");
inline const QString NEEDS_ONE_FILE = QStringLiteral("%1: name exactly one file");
inline const QString TAKES_NO_FILE = QStringLiteral("%1: takes no file argument (\"%2\"); use -o");
inline const QString TAKES_NO_FILES = QStringLiteral("%1: takes no file argument (\"%2\")");
inline const QString NEEDS_LOG = QStringLiteral("%1: name the log with --log FILE");
inline const QString BAD_REPLY_WAIT =
    QStringLiteral("--reply-wait %1: give the milliseconds to wait for a reply, from %2 to %3");
inline const QString BAD_NETWORK_PORT =
    QStringLiteral("--port %1: a network port is tcp://HOST:PORT or rfc2217://HOST:PORT");
inline const QString NEEDS_PORT = QStringLiteral("%1: name a port with --port");
inline const QString NEEDS_ONE_PORT = QStringLiteral("%1: name exactly one port");
inline const QString NEEDS_NAME = QStringLiteral("%1: -o saves a panel name: give it with --name");
inline const QString OPTION_NOT_FOR = QStringLiteral("%1: --%2 is not an option of this command");
inline const QString GIVEN_TWICE = QStringLiteral("--%1 is given twice; give it once");
inline const QString EMPTY_FILE_NAME = QStringLiteral("--%1: the file name is empty");
inline const QString BAD_PORT = QStringLiteral(
    "--port %1: give a COM number from 1 to 5, a device name such as ttyUSB0, or a path");
inline const QString SAME_PORT = QStringLiteral("--port %1 and --port %2 are the same port (%3)");
inline const QString NAME_TOO_LONG =
    QStringLiteral("--name \"%1\": %2 characters; the panel name box takes at most %3");
inline const QString NAME_UNTYPABLE =
    QStringLiteral("--name: the control character %1 cannot be typed into the panel name box");
inline const QString CODE_POINT = QStringLiteral("U+%1");
constexpr int CODE_POINT_DIGITS = 4;
constexpr int HEX = 16;
inline const QString NAME_UNWRITABLE = QStringLiteral("--name \"%1\": %2");
inline const QString NAME_DOUBLE_QUOTE =
    QStringLiteral("a configuration file cannot hold a double quote (\") in the panel name");
inline const QString NAME_NOT_IN_CODE_PAGE =
    QStringLiteral("a configuration file cannot hold the character %1 in the panel name");
inline const QString OUTPUT_EXISTS =
    QStringLiteral("%1: the file exists; give --force to replace it");
inline const QString OUTPUT_NOT_A_FILE =
    QStringLiteral("%1: %2, not a file to save into; nothing was read");
inline const QString OUTPUT_UNUSABLE = QStringLiteral("%1: cannot be saved: %2; nothing was read");
inline const QString OUTPUT_FAILED =
    QStringLiteral("standard output failed (%1); what it could not take follows here");
inline const QString TRACE_FAILED = QStringLiteral("--trace %1");
inline const QString TRACE_NOT_WRITTEN =
    QStringLiteral("the traffic log %1 stopped taking lines (%2); what came after is not in it");
inline const QString LOG_FAILED = QStringLiteral("--log %1: %2");
inline const QString LOG_NOT_WRITTEN =
    QStringLiteral("--log %1: a module's line could not be written: %2");
inline const QString NO_READER = QStringLiteral("a named pipe that no program is reading");
inline const QString LOG_IS_FORBIDDEN = QStringLiteral("that is %1, which the log must not be");
inline const QString LOG_IS_DEVICE =
    QStringLiteral("a device (a terminal, a serial port or a disk), not a file to log into");
inline const QString LOG_NOT_A_FILE = QStringLiteral("neither a file nor a named pipe");
inline const QString LOG_STOPPED =
    QStringLiteral("--log %1: a module's line could not be written; the station stopped");
inline const QString LOG_LINE_END =
    QStringLiteral("--log %1: its last line had no line end; the next record starts on a new line");
inline const QString ERROR_LINE = QStringLiteral("%1: %2");

// Files.
inline const QString FILE_NOT_FOUND = QStringLiteral("no such file");
inline const QString FILE_ACCESS_DENIED = QStringLiteral("cannot be opened for reading");
inline const QString FILE_IS_FOLDER = QStringLiteral("a folder, not a file");
inline const QString FOLDER_KIND = QStringLiteral("a folder");
inline const QString PIPE_KIND = QStringLiteral("a named pipe");
inline const QString DEVICE_KIND = QStringLiteral("a device");
inline const QString SOCKET_KIND = QStringLiteral("a socket");
inline const QString OTHER_KIND = QStringLiteral("a special file");
inline const QString FILE_READ_ERROR = QStringLiteral("reading it failed");
inline const QString FILE_NOT_REGULAR =
    QStringLiteral("not a regular file (a pipe, a device or a socket): not opened");
inline const QString FILE_TIMED_OUT = QStringLiteral("reading it did not end in time");
inline const QString FILE_UNREADABLE = QStringLiteral("%1: %2");
inline const QString FILE_SOUND = QStringLiteral("%1: sound");
inline const QString FILE_PROBLEM = QStringLiteral("%1: %2: %3");
inline const QString NAME_LIST_SEPARATOR = QStringLiteral(", ");
inline const QString REFUSED = QStringLiteral("%1: refused, nothing was written to any module");
inline const QString CANNOT_VERIFY =
    QStringLiteral("%1: cannot be compared with a module, the window could not write it");
inline const QString SAVE_NOT_WRITTEN = QStringLiteral("%1: not saved: %2");
inline const QString SAVE_DAMAGED =
    QStringLiteral("%1: written, but it does not read back the same: %2");

// Points, loops and the table of `show`.
inline const QString DATA_A = QStringLiteral("DATA-A");
inline const QString DATA_B = QStringLiteral("DATA-B");
inline const QString POINT_CODE = QStringLiteral("%1/%2"); // "B/3"
inline const QString NOT_ASSIGNED_MARK = QStringLiteral("N/A");
inline const QString PANEL_LINE = QStringLiteral("PANEL NAME: %1");
inline const QString TABLE_INPUT = QStringLiteral("INPUT");
inline const QString TABLE_OUTPUT = QStringLiteral("OUTPUT");
inline const QString TABLE_MODULE = QStringLiteral("MODULE");
inline const QString TABLE_CHANNEL = QStringLiteral("CHANNEL");
inline const QString TABLE_LOOP = QStringLiteral("LOOP");
inline const QString TABLE_DESIGNATION = QStringLiteral("DESIGNATION");
inline const QString COLUMN_GAP = QStringLiteral("  ");

// Modules: progress and results.
inline const QString PROGRESS_LINE = QStringLiteral("%1  %2  %3");
inline const QString PROGRESS_OPENING = QStringLiteral("opening");
inline const QString PROGRESS_HANDSHAKE = QStringLiteral("handshake");
inline const QString PROGRESS_IDENTITY = QStringLiteral("identity");
inline const QString PROGRESS_BYTES = QStringLiteral("%1/%2");
inline const QString PROGRESS_DONE = QStringLiteral("%1/%2 done");
inline const QString PROGRESS_FAILED = QStringLiteral("%1/%2 failed");
inline const QString PROGRESS_INTERRUPTED = QStringLiteral("%1/%2 interrupted");
inline const QString CURSOR_UP = QStringLiteral("\x1b[%1A");
inline const QString CLEAR_LINE = QStringLiteral("\r\x1b[2K");
inline const QString RESULT_LINE = QStringLiteral("%1: %2");
inline const QString PROGRAMMED = QStringLiteral("programmed, all %1 bytes read back the same");
inline const QString READ_DONE = QStringLiteral("read %1 bytes");
inline const QString SAVED = QStringLiteral("read %1 bytes, saved %2");
inline const QString IDENTICAL = QStringLiteral("holds what %1 says");
inline const QString DIFFERENT = QStringLiteral("differs from %1:");
inline const QString DIFFERENCE_LINE = QStringLiteral("  %1");
inline const QString INTERRUPTED_SUMMARY = QStringLiteral("interrupted; ports closed");
inline const QString INTERRUPTED_PARTLY =
    QStringLiteral("interrupted; ports closed; may be partly programmed: %1");
inline const QString FAILED_SUMMARY = QStringLiteral("%1 of %2 modules failed");

// probe and ports.
inline const QString RESOLVES_TO = QStringLiteral(" -> ");
inline const QString MODULE_FOUND = QStringLiteral("a data converter module (identity %1)");
inline const QString NO_SERIAL_PORTS = QStringLiteral("no serial ports found");
inline const QString PORTS_DEVICE = QStringLiteral("DEVICE");
inline const QString PORTS_DESCRIPTION = QStringLiteral("DESCRIPTION");
inline const QString PORTS_MANUFACTURER = QStringLiteral("MANUFACTURER");
inline const QString PORTS_USB_ID = QStringLiteral("USB ID");
inline const QString PORTS_SERIAL = QStringLiteral("SERIAL NUMBER");
inline const QString PORTS_COM = QStringLiteral("COM");
inline const QString PORTS_EXISTS = QStringLiteral("EXISTS");
inline const QString USB_ID = QStringLiteral("%1:%2");
constexpr int USB_ID_DIGITS = 4;
inline const QString YES = QStringLiteral("yes");
inline const QString NO = QStringLiteral("no");

// summary.
constexpr int SUMMARY_FAILURES = 20; // the failures listed unless --all
inline const QString SUMMARY_NOTHING = QStringLiteral("in all: no module");
inline const QString SUMMARY_ALL = QStringLiteral("in all: %1 passed, %2 failed, from %3 to %4");
inline const QString SUMMARY_TIME = QStringLiteral("yyyy-MM-dd HH:mm:ss");
inline const QString SUMMARY_FAILURES_ALL = QStringLiteral("failures:");
inline const QString SUMMARY_FAILURES_LAST =
    QStringLiteral("failures, the last %1 of %2 (--all for every one):");
inline const QString SUMMARY_LINE = QStringLiteral("%1 line %2");
inline const QString SUMMARY_BAD_LINES = QStringLiteral("not a record (%1): %2");
inline const QString PORTS_PORT = QStringLiteral("PORT");
inline const QString PORTS_FILE = QStringLiteral("FILE");
inline const QString PORTS_SHA256 = QStringLiteral("SHA-256");
inline const QString PORTS_PASSED = QStringLiteral("PASSED");
inline const QString PORTS_FAILED = QStringLiteral("FAILED");
constexpr int SHA256_SHOWN = 12; // hex digits of a file's SHA-256 in a table
inline const QString INPUT_TOO_LARGE =
    QStringLiteral("larger than 4 MiB, more than standard input takes: name the log instead");

// station.
inline const QString STATION_WAITING =
    QStringLiteral("programming %1 on %2; plug in the modules, Ctrl-C ends");
inline const QString STATION_FOUND = QStringLiteral("%1: module found, programming");
inline const QString STATION_PASS = QStringLiteral("PASS %1: %2");
inline const QString STATION_FAIL = QStringLiteral("FAIL %1: %2");
inline const QString STATION_REMOVED = QStringLiteral("%1: module removed, waiting for the next");
inline const QString STATION_TALLY = QStringLiteral("%1: %2 passed, %3 failed");
inline const QString STATION_TOTAL = QStringLiteral("all ports: %1 passed, %2 failed");
constexpr QChar BELL = u'\a';

} // namespace cli
