// Programming one module, then five at once, each through its own session in this one thread,
// against emulators running as their own processes: the wall time of each batch, their ratio,
// and this process's processor time as a share of the wall time.

#include "memory_map.h"
#include "module_session.h"
#include "serial_port_link.h"
#include "tick_timer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace
{

constexpr int MANY = 5;
constexpr int ROUNDS = 3;
constexpr int EMULATOR_START_MS = 5000;

double cpu_seconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

struct Port {
    SerialPortLink link;
    TickTimer timer;
    ModuleSession session{link, timer};
    QString device;
};

struct Batch {
    double wall_s;
    double cpu_s;
    int failed;
};

Batch program(std::vector<std::unique_ptr<Port>> &ports, int count, const ModuleImage &image)
{
    int running = count;
    int failed = 0;
    QEventLoop loop;
    std::vector<QMetaObject::Connection> connections;
    for (int i = 0; i < count; ++i)
        connections.push_back(QObject::connect(&ports[i]->session, &ModuleSession::finished,
                                               [&](const SessionResult &result) {
                                                   failed += !result.succeeded();
                                                   if (--running == 0)
                                                       loop.quit();
                                               }));
    QElapsedTimer wall;
    wall.start();
    const double cpu = cpu_seconds();
    for (int i = 0; i < count; ++i)
        ports[i]->session.write(ports[i]->device, image);
    loop.exec();
    const Batch batch{static_cast<double>(wall.nsecsElapsed()) / 1e9, cpu_seconds() - cpu, failed};
    for (const auto &connection : connections)
        QObject::disconnect(connection);
    return batch;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString emulator =
        QCoreApplication::applicationDirPath() + QStringLiteral("/converter-emulator");
    std::vector<std::unique_ptr<QProcess>> modules;
    std::vector<std::unique_ptr<Port>> ports;
    for (int i = 0; i < MANY; ++i) {
        auto module = std::make_unique<QProcess>();
        module->start(emulator, {QStringLiteral("--pty"), QStringLiteral("--quiet")});
        if (!module->waitForReadyRead(EMULATOR_START_MS)) {
            std::printf("the emulator did not start: %s\n", qPrintable(module->errorString()));
            return 1;
        }
        auto port = std::make_unique<Port>();
        port->device = QString::fromLocal8Bit(module->readLine()).trimmed();
        ports.push_back(std::move(port));
        modules.push_back(std::move(module));
    }

    ModuleImage image;
    for (std::size_t i = 0; i < image.bytes.size(); ++i)
        image.bytes[i] = static_cast<qint16>((i * 7) % 160);

    for (int round = 0; round < ROUNDS; ++round) {
        const Batch one = program(ports, 1, image);
        const Batch many = program(ports, MANY, image);
        std::printf("round %d: 1 module %.3f s (processor %.1f ms, %.2f %% of wall); %d modules "
                    "at once %.3f s (processor %.1f ms, %.2f %% of wall); ratio %.3f; failed %d\n",
                    round + 1, one.wall_s, one.cpu_s * 1000.0, 100.0 * one.cpu_s / one.wall_s, MANY,
                    many.wall_s, many.cpu_s * 1000.0, 100.0 * many.cpu_s / many.wall_s,
                    many.wall_s / one.wall_s, one.failed + many.failed);
    }
    for (auto &module : modules) {
        module->terminate();
        module->waitForFinished();
    }
    return 0;
}
