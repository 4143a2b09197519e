// A full write through ser2net on 127.0.0.1, raw and with serial port control, against the same
// write on the emulator's pseudo-terminal: the wall time of each (the median of several rounds,
// connecting and agreeing on the line included) and how far it lies over the pseudo-terminal's.
// ser2net waits about two character times after each piece from the line before sending it on;
// the cases without that wait show what the network path itself costs.

#include "any_port_link.h"
#include "module_session.h"
#include "ser2net_server.h"
#include "tick_timer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

constexpr int ROUNDS = 5;
constexpr int EMULATOR_START_MS = 5000;
constexpr int LISTEN_POLL_MS = 5;
constexpr int LISTEN_POLLS = 400;

enum class Path { Pty, Raw, Rfc2217 };

struct Case {
    const char *label;
    Path path;
    QStringList ser2net_options;
};

struct Timed {
    double seconds;
    bool succeeded;
};

Timed time_write(const QString &device, const ModuleImage &image)
{
    AnyPortLink link;
    TickTimer timer;
    ModuleSession session(link, timer);
    QEventLoop loop;
    bool succeeded = false;
    QObject::connect(&session, &ModuleSession::finished, [&](const SessionResult &result) {
        succeeded = result.succeeded();
        loop.quit();
    });
    QElapsedTimer wall;
    wall.start();
    session.write(device, image);
    loop.exec();
    return {static_cast<double>(wall.nsecsElapsed()) / 1e9, succeeded};
}

// Each case has a ser2net of its own, gone before the next starts, so that only one of them ever
// holds the pseudo-terminal.
Timed run_case(const Case &c, const QString &pty, const ModuleImage &image)
{
    if (c.path == Path::Pty)
        return time_write(pty, image);
    Ser2netServer server;
    if (!server.start(pty, c.ser2net_options)) {
        std::printf("ser2net did not start\n");
        return {0, false};
    }
    for (int poll = 0; poll < LISTEN_POLLS && !server.listening(); ++poll)
        QThread::msleep(LISTEN_POLL_MS);
    return time_write(c.path == Path::Raw ? server.raw_url() : server.rfc2217_url(), image);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QProcess module;
    module.start(QCoreApplication::applicationDirPath() + QStringLiteral("/converter-emulator"),
                 {QStringLiteral("--pty"), QStringLiteral("--quiet")});
    if (!module.waitForReadyRead(EMULATOR_START_MS)) {
        std::printf("the emulator did not start: %s\n", qPrintable(module.errorString()));
        return 1;
    }
    const QString pty = QString::fromLocal8Bit(module.readLine()).trimmed();

    ModuleImage image;
    for (std::size_t i = 0; i < image.bytes.size(); ++i)
        image.bytes[i] = static_cast<qint16>((i * 7) % 160);
    const QStringList no_wait{QStringLiteral("chardelay: false")};
    const Case cases[] = {
        {"pseudo-terminal", Path::Pty, {}},
        {"ser2net raw", Path::Raw, {}},
        {"ser2net RFC 2217", Path::Rfc2217, {}},
        {"ser2net raw, no wait", Path::Raw, no_wait},
        {"ser2net RFC 2217, no wait", Path::Rfc2217, no_wait},
    };
    std::vector<std::vector<double>> seconds(std::size(cases));
    int failed = 0;
    // Round by round, so that a slow spell of the machine falls on every case alike.
    for (int round = 0; round < ROUNDS; ++round) {
        for (std::size_t k = 0; k < std::size(cases); ++k) {
            const Timed timed = run_case(cases[k], pty, image);
            seconds[k].push_back(timed.seconds);
            failed += !timed.succeeded;
        }
    }
    const double pty_s = median(seconds[0]);
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        const double s = median(seconds[k]);
        std::printf("%-26s write %.3f s (median of %d; fastest %.3f s), %+.2f %% against the "
                    "pseudo-terminal\n",
                    cases[k].label, s, ROUNDS,
                    *std::min_element(seconds[k].begin(), seconds[k].end()),
                    100.0 * (s - pty_s) / pty_s);
    }
    std::printf("failed writes: %d\n", failed);
    module.terminate();
    module.waitForFinished();
    return failed == 0 ? 0 : 1;
}
