// converter-cli: checks, shows, writes, reads and verifies configurations from a terminal.

#include "cli_texts.h"
#include "cli_worker.h"
#include "signal_watcher.h"

#include <QCoreApplication>
#include <QTextStream>
#include <csignal>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace
{
// The terminal's width now; it may change while a run draws its progress.
int columns_of(int descriptor)
{
    winsize size{};
    return ::ioctl(descriptor, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(cli::PROGRAM_NAME);

    // A closed pipe on standard output must not end a run in the middle of a module: the write
    // fails instead, and the worker reports it.
    std::signal(SIGPIPE, SIG_IGN);
    // Before anything starts, so an interrupt always finds the runs to stop. A hang-up (the
    // terminal closed) stops them as Ctrl-C does.
    process::SignalWatcher watcher({SIGINT, SIGTERM, SIGHUP});
    QTextStream out(stdout);
    QTextStream err(stderr);
    const bool out_terminal = ::isatty(STDOUT_FILENO) == 1;
    const bool err_terminal = ::isatty(STDERR_FILENO) == 1;
    CliWorker worker({out, err, out_terminal, err_terminal, [out_terminal] {
                          return columns_of(out_terminal ? STDOUT_FILENO : STDERR_FILENO);
                      }});
    QObject::connect(&watcher, &process::SignalWatcher::caught, &worker, &CliWorker::interrupt);
    QObject::connect(&worker, &CliWorker::finished, &app, &QCoreApplication::exit);
    // The names as the system gave them too: a file's name need not be UTF-8.
    QList<QByteArray> native;
    for (int i = 0; i < argc; ++i)
        native << QByteArray(argv[i]);
    worker.start(QCoreApplication::arguments(), native);
    return app.exec();
}
