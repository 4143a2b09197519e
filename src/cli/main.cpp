// converter-cli: checks, shows, writes, reads and verifies configurations from a terminal.

#include "cli_texts.h"
#include "cli_worker.h"
#include "signal_watcher.h"

#include <QCoreApplication>
#include <QTextStream>
#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(cli::PROGRAM_NAME);

    // Before anything starts, so an interrupt always finds the runs to stop.
    process::SignalWatcher watcher({SIGINT, SIGTERM});
    QTextStream out(stdout);
    QTextStream err(stderr);
    CliWorker worker({out, err, ::isatty(STDOUT_FILENO) == 1, ::isatty(STDERR_FILENO) == 1});
    QObject::connect(&watcher, &process::SignalWatcher::caught, &worker, &CliWorker::interrupt);
    QObject::connect(&worker, &CliWorker::finished, &app, &QCoreApplication::exit);
    worker.start(QCoreApplication::arguments());
    return app.exec();
}
