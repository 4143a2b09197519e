#pragma once
// The window program's command line. --help and --version are answered before any window
// system is opened, so they work without a display (the manual page is made from --help).

#include "port_argument.h"

#include <QCommandLineParser>
#include <QStringList>
#include <chrono>
#include <optional>

// A command line the window program cannot run exits with this.
constexpr int EXIT_USAGE = 1;

class WindowOptions
{
public:
    WindowOptions();

    // Answers --help or --version on standard output, or refuses a --port or --reply-wait it
    // cannot use on standard error, and returns the exit code; nothing when the window is to
    // start. Needs a QCoreApplication, not a window system.
    std::optional<int> answer_without_window(const QStringList &arguments);
    // Reads the options for the window, once the window system has taken its own (-platform,
    // -style, ...) out of `arguments`. False, with error_text(), on an option it does not know,
    // a value it cannot use, or more than one file.
    bool read(const QStringList &arguments);
    QString error_text() const { return m_error; }
    // Where --trace asked the traffic log to go; empty when it was not given.
    QString trace_destination() const { return m_trace_destination; }
    // The port --port named, resolved as converter-cli resolves its own; nothing without one.
    const std::optional<PortArgument> &port() const { return m_port; }
    std::chrono::milliseconds reply_wait() const { return m_reply_wait; }
    // The configuration file to open at start; empty when none was named.
    QString file_name() const { return m_file_name; }

private:
    // The values of the options, from the last parse.
    bool read_values();

    QCommandLineParser m_parser;
    QString m_error;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
    QCommandLineOption m_trace;
    QCommandLineOption m_port_option;
    QCommandLineOption m_reply_wait_option;
    QString m_trace_destination;
    std::optional<PortArgument> m_port;
    std::chrono::milliseconds m_reply_wait;
    QString m_file_name;
};

// The program's name and version, for the parser's texts and the window system.
void set_program_identity();
