// The window program: reads its command line, then builds and starts the window.

#include "line_trace.h"
#include "qt_prompts.h"
#include "window_options.h"
#include "window_program.h"

#include <QApplication>
#include <QTextStream>

#include <csignal>

namespace
{
} // namespace

int main(int argc, char *argv[])
{
    // A traffic log into a pipe whose reader went away must not end the program mid-write of a
    // module: the write fails instead, and the run goes on.
    std::signal(SIGPIPE, SIG_IGN);
    {
        // Without a window system, so --help and --version work on a machine without a display.
        QCoreApplication plain(argc, argv);
        set_program_identity();
        if (const auto exit_code = WindowOptions().answer_without_window(plain.arguments()))
            return *exit_code;
    }

    QApplication app(argc, argv);
    set_program_identity();
    WindowOptions options;
    QTextStream err(stderr);
    if (!options.read(QApplication::arguments())) {
        err << QApplication::applicationName() << ": " << options.error_text() << Qt::endl;
        return EXIT_USAGE;
    }
    // A log asked for on the command line must work; one left in the environment only warns.
    QString trace_error;
    if (!options.trace_destination().isEmpty()) {
        if (!start_line_trace(options.trace_destination(), &trace_error)) {
            err << QApplication::applicationName() << ": " << trace_error << Qt::endl;
            return EXIT_USAGE;
        }
    } else if (!start_line_trace_from_environment(&trace_error)) {
        err << QApplication::applicationName() << ": " << trace_error << Qt::endl;
    }

    // Every run starts on COM 1 unless --port names another; nothing is remembered.
    QtPrompts prompts;
    WindowProgram program(prompts, options);
    prompts.set_parent(&program.form());
    program.start();
    return QApplication::exec();
}
