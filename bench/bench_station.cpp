// The programming bench with eight ports: converter-cli station as its own process, with
// emulators plugged into it and unplugged again by this program (an emulator's --link is the
// port; stopping the emulator removes it, as pulling a USB adapter removes its device). Prints the
// station's processor time while it waits (ports empty, silent modules, programmed modules still
// plugged in) as a share of one core, its resident memory after every eight modules up to a
// hundred (or as many as the argument says), and the time from plugging a module in to its
// PASS line.

#include "bench_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace bench;

namespace
{

constexpr int PORTS = 8;
constexpr int MODULES = 100; // unless given as the argument
constexpr int WAIT_MEASURE_MS = 20000;
constexpr int EMULATOR_START_MS = 5000;
constexpr int EVENT_TIMEOUT_MS = 60000;
constexpr int SETTLE_MS = 2000;

class Bench
{
public:
    Bench(const QString &bin, const QString &folder) : m_bin(bin), m_folder(folder) {}

    bool start_station()
    {
        QFile file(m_folder + QStringLiteral("/bench.olc"));
        if (!file.open(QIODevice::WriteOnly) || file.write(RECORD) != RECORD.size())
            return false;
        file.close();
        QStringList arguments{QStringLiteral("station"), file.fileName(), QStringLiteral("--log"),
                              m_folder + QStringLiteral("/bench.log")};
        for (int port = 0; port < PORTS; ++port)
            arguments << QStringLiteral("--port") << link(port);
        QObject::connect(&m_station, &QProcess::readyReadStandardOutput, [this] {
            while (m_station.canReadLine()) {
                // "14:02:31 PASS /tmp/x/port3: programmed, ..."
                const QByteArray line = m_station.readLine();
                const bool pass = line.contains(" PASS ");
                m_passed += pass;
                m_failed += line.contains(" FAIL ");
                m_removed += line.contains(": module removed");
                const int port = line.mid(line.indexOf("/port") + 5).split(':').value(0).toInt();
                if (pass && port >= 1 && port <= PORTS)
                    m_to_pass.push_back(m_clock.elapsed() -
                                        m_plugged_at[static_cast<std::size_t>(port - 1)]);
            }
        });
        m_clock.start();
        m_station.start(m_bin + QStringLiteral("/converter-cli"), arguments);
        return m_station.waitForStarted();
    }
    void stop_station()
    {
        m_station.terminate();
        m_station.waitForFinished();
    }
    qint64 pid() const { return m_station.processId(); }

    // An emulator behind port's link, healthy or silent.
    bool plug(int port, bool silent = false)
    {
        auto &module = m_modules[static_cast<std::size_t>(port)];
        module = std::make_unique<QProcess>();
        QStringList arguments{QStringLiteral("--pty"), QStringLiteral("--quiet"),
                              QStringLiteral("--link"), link(port)};
        if (silent)
            arguments << QStringLiteral("--silent");
        module->start(m_bin + QStringLiteral("/converter-emulator"), arguments);
        const bool ready = module->waitForReadyRead(EMULATOR_START_MS);
        m_plugged_at[static_cast<std::size_t>(port)] = m_clock.elapsed();
        return ready;
    }
    void unplug(int port)
    {
        auto &module = m_modules[static_cast<std::size_t>(port)];
        module->terminate();
        module->waitForFinished();
        module.reset();
    }

    int passed() const { return m_passed; }
    int failed() const { return m_failed; }
    int removed() const { return m_removed; }
    // Milliseconds from each module's emulator being ready to its PASS line, in order.
    std::vector<qint64> to_pass() const { return m_to_pass; }

private:
    QString link(int port) const { return m_folder + QStringLiteral("/port%1").arg(port + 1); }

    QString m_bin;
    QString m_folder;
    QProcess m_station;
    std::vector<std::unique_ptr<QProcess>> m_modules{PORTS};
    int m_passed = 0, m_failed = 0, m_removed = 0;
    QElapsedTimer m_clock;
    std::vector<qint64> m_plugged_at = std::vector<qint64>(PORTS, 0);
    std::vector<qint64> m_to_pass;
};

// The station's processor time over a stretch of waiting, as a share of one core.
double waiting_share(const Bench &bench)
{
    const double cpu = cpu_seconds(bench.pid());
    QElapsedTimer wall;
    wall.start();
    wait_for([] { return false; }, WAIT_MEASURE_MS);
    return 100.0 * (cpu_seconds(bench.pid()) - cpu) / (static_cast<double>(wall.elapsed()) / 1e3);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int modules = argc > 1 ? QByteArray(argv[1]).toInt() : MODULES;
    QTemporaryDir folder;
    Bench bench(QCoreApplication::applicationDirPath(), folder.path());
    if (!bench.start_station()) {
        std::printf("converter-cli did not start\n");
        return 1;
    }
    std::printf("station on %d ports, waiting %.0f s per measurement\n", PORTS,
                WAIT_MEASURE_MS / 1e3);
    wait_for([] { return false; }, SETTLE_MS);
    std::printf("waiting, every port empty: processor %.2f %% of one core\n", waiting_share(bench));

    for (int port = 0; port < PORTS; ++port)
        bench.plug(port, true);
    std::printf("waiting, %d silent modules: processor %.2f %% of one core\n", PORTS,
                waiting_share(bench));
    for (int port = 0; port < PORTS; ++port)
        bench.unplug(port);

    qint64 first_kib = 0;
    int round = 0;
    while (bench.passed() + bench.failed() < modules) {
        const int done = bench.passed() + bench.failed();
        const int removed = bench.removed();
        const int count = std::min(PORTS, modules - done);
        for (int port = 0; port < count; ++port)
            bench.plug(port);
        if (!wait_for([&] { return bench.passed() + bench.failed() >= done + count; },
                      EVENT_TIMEOUT_MS)) {
            std::printf("the modules were not programmed in time\n");
            break;
        }
        ++round;
        if (round == 1)
            std::printf("waiting, %d programmed modules still plugged in: processor %.2f %% of one "
                        "core\n",
                        PORTS, waiting_share(bench));
        for (int port = 0; port < count; ++port)
            bench.unplug(port);
        if (!wait_for([&] { return bench.removed() >= removed + count; }, EVENT_TIMEOUT_MS)) {
            std::printf("the removals were not seen in time\n");
            break;
        }
        const qint64 kib = resident_kib(bench.pid());
        if (round == 1)
            first_kib = kib;
        std::printf("after %3d modules (%d failed): resident %lld KiB\n",
                    bench.passed() + bench.failed(), bench.failed(), static_cast<long long>(kib));
    }
    std::printf("resident memory: %lld KiB after the first %d modules, %lld KiB after %d\n",
                static_cast<long long>(first_kib), PORTS,
                static_cast<long long>(resident_kib(bench.pid())), bench.passed() + bench.failed());
    std::vector<qint64> to_pass = bench.to_pass();
    std::sort(to_pass.begin(), to_pass.end());
    if (!to_pass.empty())
        std::printf("plugged in to PASS: median %.2f s, fastest %.2f s, slowest %.2f s over %zu "
                    "modules\n",
                    static_cast<double>(to_pass[to_pass.size() / 2]) / 1e3,
                    static_cast<double>(to_pass.front()) / 1e3,
                    static_cast<double>(to_pass.back()) / 1e3, to_pass.size());
    bench.stop_station();
    return 0;
}
