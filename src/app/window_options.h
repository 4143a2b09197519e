#pragma once
// The window program's command line. --help and --version are answered before any window
// system is opened, so they work without a display (the manual page is made from --help).

#include <QCommandLineParser>
#include <QStringList>
#include <optional>

class WindowOptions
{
public:
    WindowOptions();

    // Answers --help or --version on standard output and returns the exit code when the
    // arguments ask for one of them. Needs a QCoreApplication, not a window system.
    std::optional<int> answer_without_window(const QStringList &arguments);
    // Reads the options for the window, once the window system has taken its own (-platform,
    // -style, ...) out of `arguments`. False, with error_text(), on an option it does not know.
    bool read(const QStringList &arguments);
    QString error_text() const { return m_error; }
    // Where --trace asked the traffic log to go; empty when it was not given.
    QString trace_destination() const { return m_trace_destination; }

private:
    QCommandLineParser m_parser;
    QString m_error;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
    QCommandLineOption m_trace;
    QString m_trace_destination;
};

// The program's name and version, for the parser's texts and the window system.
void set_program_identity();
