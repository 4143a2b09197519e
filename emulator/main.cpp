// converter-emulator: plays the data converter module on a pseudo-terminal or a serial port.

#include "emulator_logging.h"
#include "emulator_options.h"
#include "emulator_worker.h"
#include "signal_watcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTextStream>
#include <csignal>
#include <cstdio>

namespace
{
constexpr int EXIT_USAGE = 1;
constexpr int EXIT_FAILED = 1;
const QString APPLICATION_NAME = QStringLiteral("converter-emulator");
const QString APPLICATION_VERSION = QStringLiteral(CONVERTER_VERSION);
const QString MESSAGE_PATTERN = QStringLiteral("%{time hh:mm:ss.zzz} %{message}");
const QString QUIET_RULES = QStringLiteral("converter.emulator.frames.info=false");
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(APPLICATION_NAME);
    QCoreApplication::setApplicationVersion(APPLICATION_VERSION);
    qSetMessagePattern(MESSAGE_PATTERN);

    QCommandLineParser parser;
    emulator::add_emulator_options(parser);
    parser.process(app);

    QTextStream err(stderr);
    QString error;
    const auto options = emulator::emulator_options(parser, &error);
    if (!options) {
        err << APPLICATION_NAME << ": " << error << Qt::endl;
        return EXIT_USAGE;
    }
    if (options->quiet)
        QLoggingCategory::setFilterRules(QUIET_RULES);

    // Before the line opens, so a signal can never leave a link behind.
    process::SignalWatcher watcher({SIGINT, SIGTERM, SIGHUP});
    QTextStream out(stdout);
    emulator::EmulatorWorker worker(*options, out);
    QObject::connect(&watcher, &process::SignalWatcher::caught, &worker,
                     [&worker](int signal_number) {
                         qCInfo(emulator::lcEmulator) << "stopping on signal" << signal_number;
                         worker.stop(0);
                     });
    QObject::connect(&worker, &emulator::EmulatorWorker::finished, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    if (!worker.start()) {
        err << APPLICATION_NAME << ": " << worker.error_string() << Qt::endl;
        return EXIT_FAILED;
    }
    return app.exec();
}
