#include "window_options.h"

#include "device_constants.h"
#include "line_trace.h"

#include <QCoreApplication>
#include <QTextStream>

namespace
{

const QString PROGRAM_NAME = QStringLiteral("converter-config");
const QString PROGRAM_VERSION = QStringLiteral(CONVERTER_VERSION);
const QString DESCRIPTION = QStringLiteral(
    "Configures a data converter module of a switch panel: routes its ten inputs to its ten\n"
    "outputs, checks every assignment, writes the configuration into the module over a serial\n"
    "port (COM 1 to 5: /dev/COMn, else /dev/ttyS(n-1)) and reads it back, and saves and opens\n"
    "configuration files (.olc).");
// Our own help option: Qt's also brings --help-all, which lists the window system's options
// and would need the window system to answer.
const QStringList HELP_NAMES{QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")};
const QString HELP_TEXT = QStringLiteral("Displays this help and exits.");
const QString PORT_OPTION = QStringLiteral("port");
const QString PORT_VALUE = QStringLiteral("P");
const QString PORT_HELP = QStringLiteral(
    "Talks to the module on P instead of COM %1, until COM PORT SETTINGS chooses a number: a COM "
    "number (%2 to %3, or COM%2 to COM%3), a device name under /dev (ttyUSB0), a path with a / in "
    "it (from the current folder when relative), or a network port tcp://HOST:PORT or "
    "rfc2217://HOST:PORT.");
const QString REPLY_WAIT_OPTION = QStringLiteral("reply-wait");
const QString REPLY_WAIT_VALUE = QStringLiteral("MS");
const QString REPLY_WAIT_HELP = QStringLiteral(
    "Waits up to MS milliseconds for each reply of the module (%1 to %2; %3 without this option), "
    "for a module behind a slow adapter or network path. The pause between frames stays %4 ms.");
const QString FILE_ARGUMENT = QStringLiteral("file");
const QString FILE_HELP = QStringLiteral(
    "A configuration file (.olc) to open at start, as OPEN CONFIGURATION FILE opens one.");
const QString FILE_SYNTAX = QStringLiteral("[FILE]");
const QString ONE_FILE = QStringLiteral("%1 opens one file at a time: %2");
const QString BAD_PORT = QStringLiteral(
    "--port %1: give a COM number from %2 to %3, a device name such as ttyUSB0, a path, or "
    "tcp://HOST:PORT or rfc2217://HOST:PORT");
const QString BAD_REPLY_WAIT =
    QStringLiteral("--reply-wait %1: give a whole number of milliseconds from %2 to %3");
const QString FIRST_PORT = QString::number(device::FIRST_PORT);
const QString LAST_PORT = QString::number(device::LAST_PORT);
const QString REPLY_WAIT_MIN = QString::number(device::REPLY_WAIT_MIN.count());
const QString REPLY_WAIT_MAX = QString::number(device::REPLY_WAIT_MAX.count());

} // namespace

void set_program_identity()
{
    QCoreApplication::setApplicationName(PROGRAM_NAME);
    QCoreApplication::setApplicationVersion(PROGRAM_VERSION);
}

WindowOptions::WindowOptions()
    : m_help(HELP_NAMES, HELP_TEXT), m_version(m_parser.addVersionOption()),
      m_trace(TRACE_OPTION, TRACE_HELP, TRACE_VALUE),
      m_port_option(PORT_OPTION,
                    PORT_HELP.arg(QString::number(device::START_PORT), FIRST_PORT, LAST_PORT),
                    PORT_VALUE),
      m_reply_wait_option(REPLY_WAIT_OPTION,
                          REPLY_WAIT_HELP.arg(REPLY_WAIT_MIN, REPLY_WAIT_MAX,
                                              QString::number(device::REPLY_WAIT_DEFAULT.count()),
                                              QString::number(device::TICK.count())),
                          REPLY_WAIT_VALUE),
      m_reply_wait(device::REPLY_WAIT_DEFAULT)
{
    m_parser.setApplicationDescription(DESCRIPTION);
    // The window system's own options are single-dash words (-platform, -reverse): read as
    // letters they would spell -h or -v.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOption(m_help);
    // Options of the window program go here, each with its value read in read().
    m_parser.addOption(m_trace);
    m_parser.addOption(m_port_option);
    m_parser.addOption(m_reply_wait_option);
    m_parser.addPositionalArgument(FILE_ARGUMENT, FILE_HELP, FILE_SYNTAX);
}

std::optional<int> WindowOptions::answer_without_window(const QStringList &arguments)
{
    // Options this parser does not know may still be the window system's: read() judges them.
    m_parser.parse(arguments);
    QTextStream out(stdout);
    if (m_parser.isSet(m_help)) {
        out << m_parser.helpText();
        return EXIT_SUCCESS;
    }
    if (m_parser.isSet(m_version)) {
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
            << Qt::endl;
        return EXIT_SUCCESS;
    }
    // A value the program cannot use is refused here too, where no display is needed to say so.
    if (!read_values()) {
        QTextStream(stderr) << QCoreApplication::applicationName() << ": " << m_error << Qt::endl;
        return EXIT_USAGE;
    }
    return std::nullopt;
}

bool WindowOptions::read(const QStringList &arguments)
{
    if (!m_parser.parse(arguments)) {
        m_error = m_parser.errorText();
        return false;
    }
    const QStringList files = m_parser.positionalArguments();
    if (files.size() > 1) {
        m_error = ONE_FILE.arg(QCoreApplication::applicationName(), files.join(u' '));
        return false;
    }
    m_file_name = files.value(0);
    return read_values();
}

bool WindowOptions::read_values()
{
    m_trace_destination = m_parser.value(m_trace);
    if (m_parser.isSet(m_port_option)) {
        const QString port = m_parser.value(m_port_option);
        m_port = parse_port_argument(port, platform_port_name);
        if (!m_port) {
            m_error = BAD_PORT.arg(port, FIRST_PORT, LAST_PORT);
            return false;
        }
    }
    if (m_parser.isSet(m_reply_wait_option)) {
        const QString wait = m_parser.value(m_reply_wait_option);
        // What is not a whole number reads as 0, below the range.
        m_reply_wait = std::chrono::milliseconds(wait.toInt());
        if (m_reply_wait < device::REPLY_WAIT_MIN || m_reply_wait > device::REPLY_WAIT_MAX) {
            m_error = BAD_REPLY_WAIT.arg(wait, REPLY_WAIT_MIN, REPLY_WAIT_MAX);
            return false;
        }
    }
    return true;
}
