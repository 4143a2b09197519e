// Builds the main window and wires the commands to its buttons.

#include "device_commands.h"
#include "file_commands.h"
#include "form1.h"
#include "line_trace.h"
#include "qt_prompts.h"
#include "window_commands.h"
#include "window_options.h"

#include <QAction>
#include <QApplication>
#include <QTextStream>

#include <csignal>

namespace
{
constexpr qint16 START_UP_PORT = 1; // every run starts on COM 1; nothing is remembered
constexpr int EXIT_USAGE = 1;
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

    QtPrompts prompts;
    Form1 form(prompts);
    prompts.set_parent(&form);

    DeviceCommands device(form);
    device.set_port_number(START_UP_PORT);
    FileCommands files(form);

    connect_window_commands(form, device, files);

    form.show();
    return QApplication::exec();
}
