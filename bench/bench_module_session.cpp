// The session's timing over a pseudo-terminal whose far end this program plays: how soon a reply
// wait ends after the fifth character arrives, the processor time a run spends waiting, and the
// processor time after the line drops.

#include "module_session.h"
#include "serial_port_link.h"
#include "tick_timer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
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

constexpr int READS = 12; // 26 replies each
constexpr auto REPLY_AFTER = 30ms;
constexpr auto AFTER_DROP_SPAN = 5s;
constexpr int FRAME_LENGTH = 6;
constexpr char ACKNOWLEDGEMENT[] = "D000D";
constexpr char VALUE_REPLY[] = "0310V"; // 31: the identity, and a valid byte everywhere else

double cpu_seconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

// A module played on the master end of a pseudo-terminal: every "A" and every read frame is
// answered REPLY_AFTER later, in one piece, and the moment of that write is kept.
class FarEnd : public QObject
{
public:
    bool open()
    {
        char name[128] = {};
        if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            return false;
        termios tio{};
        tcgetattr(m_slave, &tio);
        cfmakeraw(&tio);
        tcsetattr(m_slave, TCSANOW, &tio);
        slave_name = QString::fromLocal8Bit(name);
        m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &FarEnd::read_frames);
        return true;
    }
    void hang_up()
    {
        m_notifier->setEnabled(false);
        ::close(m_master);
        m_master = -1;
    }
    ~FarEnd() override
    {
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
    }

    QString slave_name;
    Clock::time_point last_reply;

private:
    void read_frames()
    {
        char buffer[256];
        const ssize_t got = ::read(m_master, buffer, sizeof buffer);
        if (got <= 0)
            return;
        m_input.append(buffer, got);
        while (!m_input.isEmpty()) {
            const bool attention = m_input.front() == 'A';
            if (!attention && m_input.size() < FRAME_LENGTH)
                break;
            m_input.remove(0, attention ? 1 : FRAME_LENGTH);
            const char *reply = attention ? ACKNOWLEDGEMENT : VALUE_REPLY;
            QTimer::singleShot(REPLY_AFTER, Qt::PreciseTimer, this, [this, reply] {
                last_reply = Clock::now();
                if (::write(m_master, reply, 5) < 0)
                    std::perror("write");
            });
        }
    }

    int m_master = -1;
    int m_slave = -1;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_input;
};

SessionResult run_to_end(ModuleSession &session, const QString &device)
{
    SessionResult result;
    QEventLoop loop;
    const auto connection =
        QObject::connect(&session, &ModuleSession::finished, [&](const SessionResult &r) {
            result = r;
            loop.quit();
        });
    session.read(device);
    loop.exec();
    QObject::disconnect(connection);
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    FarEnd far_end;
    if (!far_end.open()) {
        std::printf("cannot open a pseudo-terminal\n");
        return 1;
    }
    SerialPortLink link;
    TickTimer timer;
    ModuleSession session(link, timer);

    // The reply's fifth character to the session's report of the exchange.
    std::vector<double> latencies;
    QObject::connect(&session, &ModuleSession::progress, [&](const SessionProgress &) {
        latencies.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - far_end.last_reply).count());
    });
    QElapsedTimer wall;
    wall.start();
    double cpu = cpu_seconds();
    int failed = 0;
    for (int i = 0; i < READS; ++i)
        failed += !run_to_end(session, far_end.slave_name).succeeded();
    cpu = cpu_seconds() - cpu;
    const double seconds = static_cast<double>(wall.elapsed()) / 1000.0;
    std::printf("%d reads with replies %lld ms late (%d failed), %.2f s: reply to report over %zu "
                "exchanges: median %.3f ms, 99th percentile %.3f ms, max %.3f ms\n",
                READS, static_cast<long long>(REPLY_AFTER.count()), failed, seconds,
                latencies.size(), percentile(latencies, 0.5), percentile(latencies, 0.99),
                percentile(latencies, 1.0));
    std::printf("processor while the runs waited: %.1f ms, %.3f %% of one core\n", cpu * 1000.0,
                100.0 * cpu / seconds);

    // The line drops in the middle of a run: the run must end, and nothing keep polling after.
    QTimer::singleShot(1s, [&] { far_end.hang_up(); });
    const SessionResult dropped = run_to_end(session, far_end.slave_name);
    wall.restart();
    cpu = cpu_seconds();
    QEventLoop idle;
    QTimer::singleShot(AFTER_DROP_SPAN, Qt::PreciseTimer, &idle, &QEventLoop::quit);
    idle.exec();
    cpu = cpu_seconds() - cpu;
    std::printf("after the line dropped (run ended: %s, \"%s\"): %.2f s, processor %.1f ms, "
                "%.3f %% of one core\n",
                dropped.outcome == SessionOutcome::PortFailure ? "port failure" : "otherwise",
                qPrintable(dropped.reason), static_cast<double>(wall.elapsed()) / 1000.0,
                cpu * 1000.0, 100.0 * cpu / (static_cast<double>(wall.elapsed()) / 1000.0));
    return 0;
}
