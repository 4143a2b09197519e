// A full read and a full write through the window against the emulator running as its own
// process: answering at once, with every reply 90 ms late, and at the pace of a real 9600-baud
// line. Wall time against the floor each case allows, processor time, peak memory, and how soon
// the window handles an event that arrives while a sequence waits.

#include "device_commands.h"
#include "form1.h"
#include "qt_prompts.h"
#include "slot_lists.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace
{

constexpr auto EVENT_PERIOD = 7ms;
// 26 pacing waits of 100 ms, plus the replies' own delay: the handshake and the identity read,
// then one reply per read or two per store.
constexpr double PACING_FLOOR_S = 2.6;
constexpr int READ_REPLIES = 26;
constexpr int WRITE_REPLIES = 50;
constexpr int EMULATOR_START_MS = 5000;
// On a 9600-baud 8N1 line every byte takes ten bit times. A read moves "A" and its acknowledgement
// and 25 read frames with their replies; a write the handshake, the identity read and 24 stores,
// each with its acknowledgement, read-back frame and reply.
constexpr double BYTE_TIME_S = 10.0 / 9600.0;
constexpr int READ_LINE_BYTES = 1 + 5 + 25 * (6 + 5);
constexpr int WRITE_LINE_BYTES = 1 + 5 + (6 + 5) + 24 * (6 + 5 + 6 + 5);

struct Case {
    const char *label;
    QStringList emulator_options;
    int delay_ms;
    bool line_rate;
};

// The window's thread only: the thread that posts the probe events is the bench's, not ours.
double cpu_seconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

long peak_kib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// An event posted from another thread, as the window system delivers a click.
class StampedEvent : public QEvent
{
public:
    static inline const auto TYPE = static_cast<QEvent::Type>(QEvent::registerEventType());
    StampedEvent() : QEvent(TYPE), posted(Clock::now()) {}
    Clock::time_point posted;
};

class LatencyProbe : public QObject
{
public:
    std::vector<double> latencies_ms;
    bool event(QEvent *e) override
    {
        if (e->type() != StampedEvent::TYPE)
            return QObject::event(e);
        const auto posted = static_cast<StampedEvent *>(e)->posted;
        latencies_ms.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - posted).count());
        return true;
    }
};

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

void fill_window(Form1 &form)
{
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        form.set_list_position(input_module_list(k), static_cast<qint16>(1 + (k - 1) % 5));
        form.set_list_position(input_channel_list(k), static_cast<qint16>(k - 1));
        form.set_list_position(output_module_list(k), static_cast<qint16>(5 + k));
        form.set_list_position(output_channel_list(k), static_cast<qint16>(10 - k));
        form.ToggleButton(input_toggle(k))->setChecked(k % 2 == 0);
        form.ToggleButton(output_toggle(k))->setChecked(k % 3 == 0);
    }
}

void measure(DeviceCommands &commands, Form1 &form, bool read, const Case &c)
{
    const double floor_s =
        PACING_FLOOR_S + (read ? READ_REPLIES : WRITE_REPLIES) * c.delay_ms / 1000.0 +
        (c.line_rate ? (read ? READ_LINE_BYTES : WRITE_LINE_BYTES) : 0) * BYTE_TIME_S;
    LatencyProbe probe;
    std::atomic<bool> stop{false};
    std::thread poster([&] {
        while (!stop) {
            QCoreApplication::postEvent(&probe, new StampedEvent);
            std::this_thread::sleep_for(EVENT_PERIOD);
        }
    });
    QElapsedTimer wall;
    wall.start();
    const double cpu_before = cpu_seconds();
    QEventLoop loop;
    QObject::connect(&commands, &DeviceCommands::sequence_finished, &loop, &QEventLoop::quit);
    if (read)
        commands.READ_CONFIG();
    else
        commands.WRITE_CONFIG();
    loop.exec();
    const double cpu = cpu_seconds() - cpu_before;
    const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    stop = true;
    poster.join();
    QCoreApplication::processEvents();
    std::printf("%-24s %-5s wall %.3f s (%.1f %% over the %.2f s floor), processor %.1f ms "
                "(%.2f %% of wall), peak memory %ld KiB, event latency median %.2f ms, "
                "99th %.2f ms, max %.2f ms (%zu events); status \"%s\"\n",
                c.label, read ? "read" : "write", seconds, 100.0 * (seconds - floor_s) / floor_s,
                floor_s, cpu * 1000.0, 100.0 * cpu / seconds, peak_kib(),
                percentile(probe.latencies_ms, 0.5), percentile(probe.latencies_ms, 0.99),
                percentile(probe.latencies_ms, 1.0), probe.latencies_ms.size(),
                qPrintable(form.status_text()));
}

bool run_against(const QString &emulator, const Case &c)
{
    QProcess module;
    module.setProcessChannelMode(QProcess::SeparateChannels);
    module.start(emulator, QStringList{QStringLiteral("--pty"), QStringLiteral("--quiet"),
                                       QStringLiteral("--delay"), QString::number(c.delay_ms)} +
                               c.emulator_options);
    if (!module.waitForReadyRead(EMULATOR_START_MS)) {
        std::printf("the emulator did not start: %s\n", qPrintable(module.errorString()));
        return false;
    }
    const QString pty = QString::fromLocal8Bit(module.readLine()).trimmed();

    QtPrompts prompts;
    Form1 form(prompts);
    DeviceCommands commands(form);
    commands.set_port_name_map([pty](qint16) { return pty; });
    form.show();
    fill_window(form);
    measure(commands, form, false, c);
    measure(commands, form, true, c);

    module.terminate();
    module.waitForFinished();
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString emulator =
        QCoreApplication::applicationDirPath() + QStringLiteral("/converter-emulator");
    const Case cases[] = {
        {"instant replies", {}, 0, false},
        {"replies 90 ms late", {}, 90, false},
        {"9600-baud line", {QStringLiteral("--line-rate")}, 0, true},
    };
    for (const Case &c : cases)
        if (!run_against(emulator, c))
            return 1;
    return 0;
}
