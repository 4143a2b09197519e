// The link's timing over a pseudo-terminal: how soon a reply wait ends after the fifth character
// arrives, the processor time spent per second of waiting, and after the line drops.

#include "com_port.h"
#include "converter_config.h"
#include "device_error.h"
#include "frames.h"
#include "link_waits.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace
{

constexpr int LATENCY_SAMPLES = 300;
constexpr auto REPLY_AFTER = 30ms;
constexpr auto WAITING_SPAN = 3s;
constexpr auto AFTER_DROP_SPAN = 5s;
constexpr char REPLY[] = "0310V";

double cpu_seconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
    return values[index];
}

// A bare pseudo-terminal whose master end this program plays itself.
struct Pty {
    int master = -1;
    int slave = -1;
    QString slave_name;
    bool open()
    {
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return false;
        termios tio{};
        tcgetattr(slave, &tio);
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
        slave_name = QString::fromLocal8Bit(name);
        return true;
    }
    void close_master()
    {
        ::close(master);
        master = -1;
    }
    ~Pty()
    {
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
    }
};

struct Rig {
    Pty pty;
    ConverterConfig config;
    ComPort port;
    LinkWaits waits{config, port};
    bool open()
    {
        if (!pty.open())
            return false;
        const QString name = pty.slave_name;
        port.set_port_name_map([name](qint16) { return name; });
        port.setPortOpen(true);
        return true;
    }
};

void reply_wait_latency(Rig &rig)
{
    std::vector<double> latencies;
    for (int i = 0; i < LATENCY_SAMPLES; ++i) {
        rig.port.Input();
        Clock::time_point sent;
        // The reply is written from inside the wait, as a module's would arrive.
        QTimer::singleShot(REPLY_AFTER, Qt::PreciseTimer, [&] {
            sent = Clock::now();
            if (::write(rig.pty.master, REPLY, sizeof REPLY - 1) < 0)
                std::perror("write");
        });
        rig.waits.reply_wait();
        const auto ended = Clock::now();
        if (rig.config.timer_flag == 1) {
            std::printf("reply wait ended by the tick (sample %d)\n", i);
            continue;
        }
        latencies.push_back(std::chrono::duration<double, std::milli>(ended - sent).count());
        rig.waits.timer_wait();
    }
    std::printf("reply wait, fifth character to end of wait over %zu samples: "
                "median %.3f ms, 99th percentile %.3f ms, max %.3f ms\n",
                latencies.size(), percentile(latencies, 0.5), percentile(latencies, 0.99),
                percentile(latencies, 1.0));
}

void cpu_while_waiting(Rig &rig)
{
    rig.port.Input();
    QElapsedTimer wall;
    wall.start();
    double cpu = cpu_seconds();
    int waits = 0;
    while (wall.elapsed() < std::chrono::milliseconds(WAITING_SPAN).count()) {
        rig.waits.timer_wait();
        rig.waits.reply_wait(); // nothing comes: ends at the tick
        waits += 2;
    }
    cpu = cpu_seconds() - cpu;
    const double seconds = static_cast<double>(wall.elapsed()) / 1000.0;
    std::printf("waiting: %d waits in %.2f s, processor %.1f ms, %.3f %% of one core\n", waits,
                seconds, cpu * 1000.0, 100.0 * cpu / seconds);
}

void cpu_after_drop(Rig &rig)
{
    rig.port.Output(read_frame(7));
    QTimer::singleShot(20ms, [&] { rig.pty.close_master(); });
    try {
        rig.waits.reply_wait();
        std::printf("after drop: the wait did not notice the drop\n");
    } catch (const DeviceError &) {
    }
    const bool lost = rig.port.line_lost();
    QElapsedTimer wall;
    wall.start();
    double cpu = cpu_seconds();
    // The timer keeps ticking, as after a sequence; the dead line must not keep us busy.
    QEventLoop idle;
    QTimer::singleShot(AFTER_DROP_SPAN, Qt::PreciseTimer, &idle, &QEventLoop::quit);
    idle.exec();
    cpu = cpu_seconds() - cpu;
    const double seconds = static_cast<double>(wall.elapsed()) / 1000.0;
    std::printf("after the line dropped (noticed: %s): %.2f s, processor %.1f ms, %.3f %% of "
                "one core\n",
                lost ? "yes" : "no", seconds, cpu * 1000.0, 100.0 * cpu / seconds);
    rig.port.setPortOpen(false);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Rig rig;
    if (!rig.open()) {
        std::printf("cannot open a pseudo-terminal\n");
        return 1;
    }
    reply_wait_latency(rig);
    cpu_while_waiting(rig);
    cpu_after_drop(rig);
    return 0;
}
