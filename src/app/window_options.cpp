#include "window_options.h"

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
const QString NO_ARGUMENTS = QStringLiteral("%1 takes no arguments: %2");

} // namespace

void set_program_identity()
{
    QCoreApplication::setApplicationName(PROGRAM_NAME);
    QCoreApplication::setApplicationVersion(PROGRAM_VERSION);
}

WindowOptions::WindowOptions()
    : m_help(HELP_NAMES, HELP_TEXT), m_version(m_parser.addVersionOption()),
      m_trace(TRACE_OPTION, TRACE_HELP, TRACE_VALUE)
{
    m_parser.setApplicationDescription(DESCRIPTION);
    // The window system's own options are single-dash words (-platform, -reverse): read as
    // letters they would spell -h or -v.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOption(m_help);
    // Options of the window program go here, each with its value read in read().
    m_parser.addOption(m_trace);
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
    return std::nullopt;
}

bool WindowOptions::read(const QStringList &arguments)
{
    if (!m_parser.parse(arguments)) {
        m_error = m_parser.errorText();
        return false;
    }
    if (!m_parser.positionalArguments().isEmpty()) {
        m_error = NO_ARGUMENTS.arg(QCoreApplication::applicationName(),
                                   m_parser.positionalArguments().join(u' '));
        return false;
    }
    m_trace_destination = m_parser.value(m_trace);
    return true;
}
