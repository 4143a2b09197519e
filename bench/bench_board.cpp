// What the board costs the bench: converter-cli station with --board on four ports as its own
// process, emulators plugged into it and pulled out by this program (each emulator's --link is a
// port), and browsers asking the board as its page does. Prints each module's programming time
// (from "found" to "programmed" in the station's own events) with no browser, with 10 polling,
// and with 10 polling and 10 stalled readers; the station's processor time per polling browser;
// its resident memory, which stalled readers must not grow; and, in a real headless Chromium, the
// time from each module's PASS to its tile turning green.
//
// The polling browsers are played by this program: each loads the page, its style and its
// script, then asks for /status.json every 250 ms with the tag of the last answer, as Chromium
// does for the page's fetch. A stalled reader sends request after request and reads nothing.

#include "bench_support.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <map>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace bench;

namespace
{

constexpr int PORTS = 4;
constexpr int ROUNDS = 5; // unless given as the argument: modules per port in each case
constexpr int BROWSERS = 10;
constexpr int STALLED = 10;
constexpr int STALLED_REQUESTS = 2000;
constexpr int POLL_MS = 250; // as the page
constexpr int EMULATOR_START_MS = 5000;
constexpr int EVENT_TIMEOUT_MS = 60000;
// Longer than the station's return window: each module is new to it and programmed at once,
// never read first as one that may have come back.
constexpr int SETTLE_MS = 5500;
constexpr int TURN_MS = 5;
// How long a module stays in while Chromium watches: its tile must turn green meanwhile.
constexpr int GREEN_HOLD_MS = 2000;
const QString CHROMIUM = QStringLiteral("/usr/bin/chromium");
const QStringList CHROMIUM_FLAGS{QStringLiteral("--headless"),
                                 QStringLiteral("--no-sandbox"),
                                 QStringLiteral("--disable-gpu"),
                                 QStringLiteral("--disable-quic"),
                                 QStringLiteral("--no-first-run"),
                                 QStringLiteral("--disable-background-networking"),
                                 QStringLiteral("--disable-sync"),
                                 QStringLiteral("--disable-component-update"),
                                 QStringLiteral("--window-size=1280,800"),
                                 QStringLiteral("--remote-debugging-pipe")};
// Chromium's pipe: it reads commands on descriptor 3 and writes answers on 4, each ended by NUL.
constexpr int CHROMIUM_IN = 3;
constexpr int CHROMIUM_OUT = 4;

// Records each tile's turn to PASS, by port, with the browser's clock.
const QString WATCH_TILES = QStringLiteral(R"(
window.benchPasses = [];
const seen = new Map();
const look = () => {
  for (const tile of document.querySelectorAll('.tile')) {
    const port = tile.querySelector('.port').textContent;
    const pass = tile.classList.contains('pass');
    if (pass && !seen.get(port)) window.benchPasses.push({port, at: Date.now()});
    seen.set(port, pass);
  }
};
new MutationObserver(look).observe(document.getElementById('tiles'),
  {subtree: true, childList: true, attributes: true, characterData: true});
look();
)");

qint64 epoch_ms(const QJsonValue &time)
{
    return QDateTime::fromString(time.toString(), Qt::ISODateWithMs).toMSecsSinceEpoch();
}

// A browser with the page open: the page's three files once, then the state every 250 ms.
class Poller : public QObject
{
public:
    explicit Poller(quint16 port)
    {
        connect(&m_socket, &QTcpSocket::readyRead, this, &Poller::read);
        connect(&m_socket, &QTcpSocket::disconnected, this, [this, port] { open(port); });
        m_next.setSingleShot(true);
        connect(&m_next, &QTimer::timeout, this, [this] { ask("/status.json"); });
        open(port);
    }
    ~Poller() override { m_socket.disconnect(this); }

private:
    void open(quint16 port)
    {
        m_pending = {"/", "/board.css", "/board.js"};
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        ask(m_pending.takeFirst());
    }
    void ask(const QByteArray &path)
    {
        QByteArray request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
        if (!m_tag.isEmpty() && path == "/status.json")
            request += "If-None-Match: " + m_tag + "\r\n";
        m_socket.write(request + "\r\n");
    }
    void read()
    {
        m_buffer += m_socket.readAll();
        for (;;) {
            const qsizetype end = m_buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QByteArray head = m_buffer.left(end);
            qsizetype length = 0;
            for (const QByteArray &line : head.split('\n')) {
                if (line.startsWith("Content-Length: "))
                    length = line.mid(16).trimmed().toLongLong();
                if (line.startsWith("ETag: "))
                    m_tag = line.mid(6).trimmed();
            }
            if (m_buffer.size() < end + 4 + length)
                return;
            m_buffer.remove(0, end + 4 + length);
            if (!m_pending.isEmpty())
                ask(m_pending.takeFirst());
            else
                m_next.start(POLL_MS);
        }
    }

    QTcpSocket m_socket;
    QTimer m_next;
    QByteArray m_buffer, m_tag;
    QByteArrayList m_pending;
};

// A browser that asks and asks and never reads; let go by the board, it comes back.
class Stalled : public QObject
{
public:
    explicit Stalled(quint16 port)
    {
        m_socket.setReadBufferSize(1);
        connect(&m_socket, &QTcpSocket::disconnected, this, [this, port] { open(port); });
        open(port);
    }
    ~Stalled() override { m_socket.disconnect(this); }

private:
    void open(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        for (int i = 0; i < STALLED_REQUESTS; ++i)
            m_socket.write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    }

    QTcpSocket m_socket;
};

// Headless Chromium driven over its DevTools pipe, one page.
class Chromium
{
public:
    bool start(const QString &url, const QString &profile)
    {
        int to[2], from[2];
        if (::pipe2(to, O_CLOEXEC) != 0 || ::pipe2(from, O_CLOEXEC) != 0)
            return false;
        m_process.setChildProcessModifier([to, from] {
            ::dup2(to[0], CHROMIUM_IN);
            ::dup2(from[1], CHROMIUM_OUT);
        });
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(CHROMIUM,
                        CHROMIUM_FLAGS +
                            QStringList{QStringLiteral("--user-data-dir=") + profile, url});
        ::close(to[0]);
        ::close(from[1]);
        m_in = to[1];
        m_out = from[0];
        m_notifier = std::make_unique<QSocketNotifier>(m_out, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { read(); });
        if (!m_process.waitForStarted())
            return false;
        QString target;
        const bool found = wait_for(
            [&] {
                const QJsonArray targets = call(QStringLiteral("Target.getTargets"))
                                               .value(QStringLiteral("targetInfos"))
                                               .toArray();
                for (const QJsonValue &info : targets)
                    if (info[QStringLiteral("url")].toString() == url)
                        target = info[QStringLiteral("targetId")].toString();
                return !target.isEmpty();
            },
            EVENT_TIMEOUT_MS, TURN_MS);
        m_session = call(QStringLiteral("Target.attachToTarget"),
                         {{QStringLiteral("targetId"), target}, {QStringLiteral("flatten"), true}})
                        .value(QStringLiteral("sessionId"))
                        .toString();
        return found && !m_session.isEmpty();
    }
    ~Chromium()
    {
        // Closed as a person would, so that no process of it still writes into its profile.
        send(QStringLiteral("Browser.close"));
        if (!m_process.waitForFinished(EMULATOR_START_MS))
            m_process.kill();
        m_process.waitForFinished();
        ::close(m_in);
        ::close(m_out);
    }
    // The value of an expression in the page.
    QJsonValue evaluate(const QString &expression)
    {
        return call(QStringLiteral("Runtime.evaluate"),
                    {{QStringLiteral("expression"), expression},
                     {QStringLiteral("returnByValue"), true}},
                    m_session)
            .value(QStringLiteral("result"))
            .toObject()
            .value(QStringLiteral("value"));
    }

private:
    QJsonObject call(const QString &method, const QJsonObject &params = {},
                     const QString &session = {})
    {
        const int id = send(method, params, session);
        if (id < 0)
            return {};
        wait_for([&] { return m_answers.count(id) > 0; }, EVENT_TIMEOUT_MS, TURN_MS);
        const QJsonObject answer = m_answers[id];
        m_answers.erase(id);
        return answer;
    }
    // The command's id; -1 when it could not be sent.
    int send(const QString &method, const QJsonObject &params = {}, const QString &session = {})
    {
        const int id = ++m_last_id;
        QJsonObject message{{QStringLiteral("id"), id},
                            {QStringLiteral("method"), method},
                            {QStringLiteral("params"), params}};
        if (!session.isEmpty())
            message.insert(QStringLiteral("sessionId"), session);
        const QByteArray bytes = QJsonDocument(message).toJson(QJsonDocument::Compact) + '\0';
        const auto size = static_cast<ssize_t>(bytes.size());
        return ::write(m_in, bytes.constData(), static_cast<size_t>(size)) == size ? id : -1;
    }
    void read()
    {
        char chunk[65536];
        const ssize_t got = ::read(m_out, chunk, sizeof chunk);
        if (got <= 0) {
            m_notifier->setEnabled(false);
            return;
        }
        m_buffer.append(chunk, got);
        for (qsizetype end = m_buffer.indexOf('\0'); end >= 0; end = m_buffer.indexOf('\0')) {
            const QJsonObject message = QJsonDocument::fromJson(m_buffer.left(end)).object();
            m_buffer.remove(0, end + 1);
            if (message.contains(QStringLiteral("id")))
                m_answers[message[QStringLiteral("id")].toInt()] =
                    message[QStringLiteral("result")].toObject();
        }
    }

    QProcess m_process;
    int m_in = -1, m_out = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_buffer;
    std::map<int, QJsonObject> m_answers;
    int m_last_id = 0;
    QString m_session;
};

class Bench
{
public:
    Bench(const QString &bin, const QString &folder) : m_bin(bin), m_folder(folder) {}

    bool start_station(quint16 board)
    {
        QFile file(m_folder + QStringLiteral("/bench.olc"));
        if (!file.open(QIODevice::WriteOnly) || file.write(RECORD) != RECORD.size())
            return false;
        file.close();
        QStringList arguments{QStringLiteral("station"), file.fileName(),
                              QStringLiteral("--log"),   m_folder + QStringLiteral("/bench.log"),
                              QStringLiteral("--json"),  QStringLiteral("--board"),
                              QString::number(board)};
        for (int port = 0; port < PORTS; ++port)
            arguments << QStringLiteral("--port") << link(port);
        QObject::connect(&m_station, &QProcess::readyReadStandardOutput, [this] {
            while (m_station.canReadLine()) {
                const QJsonObject event = QJsonDocument::fromJson(m_station.readLine()).object();
                const QString kind = event[QStringLiteral("event")].toString();
                const QString port = event[QStringLiteral("port")].toString();
                if (kind == QStringLiteral("found"))
                    m_found_at[port] = epoch_ms(event[QStringLiteral("time")]);
                if (kind == QStringLiteral("removed"))
                    ++m_removed;
                if (kind != QStringLiteral("programmed"))
                    continue;
                const qint64 at = epoch_ms(event[QStringLiteral("time")]);
                m_programmed.push_back(at - m_found_at[port]);
                if (event[QStringLiteral("result")].toString() == QStringLiteral("pass"))
                    m_passes.push_back({port, at});
                else
                    ++m_failed;
            }
        });
        m_station.setStandardErrorFile(QProcess::nullDevice());
        m_station.start(m_bin + QStringLiteral("/converter-cli"), arguments);
        return m_station.waitForStarted();
    }
    void stop_station()
    {
        m_station.terminate();
        m_station.waitForFinished();
    }
    qint64 pid() const { return m_station.processId(); }

    // Every port gets a module, programmed, left in for `hold_ms`, then pulled out; false when
    // that does not happen.
    bool round(int hold_ms = 0)
    {
        const std::size_t done = m_programmed.size();
        const int removed = m_removed;
        for (int port = 0; port < PORTS; ++port) {
            auto &module = m_modules[static_cast<std::size_t>(port)];
            module = std::make_unique<QProcess>();
            module->start(m_bin + QStringLiteral("/converter-emulator"),
                          {QStringLiteral("--pty"), QStringLiteral("--quiet"),
                           QStringLiteral("--link"), link(port)});
            if (!module->waitForReadyRead(EMULATOR_START_MS))
                return false;
        }
        if (!wait_for([&] { return m_programmed.size() >= done + PORTS; }, EVENT_TIMEOUT_MS,
                      TURN_MS))
            return false;
        wait_for([] { return false; }, hold_ms, TURN_MS);
        for (auto &module : m_modules) {
            module->terminate();
            module->waitForFinished();
            module.reset();
        }
        return wait_for([&] { return m_removed >= removed + PORTS; }, EVENT_TIMEOUT_MS, TURN_MS);
    }

    // Milliseconds from "found" to "programmed", each module since the index given.
    std::vector<qint64> programming_times(std::size_t from) const
    {
        return {m_programmed.begin() + static_cast<std::ptrdiff_t>(from), m_programmed.end()};
    }
    std::size_t modules() const { return m_programmed.size(); }
    int failed() const { return m_failed; }
    // Each PASS, by port label, with the station's clock in milliseconds since the epoch.
    const std::vector<std::pair<QString, qint64>> &passes() const { return m_passes; }
    QString link(int port) const { return m_folder + QStringLiteral("/port%1").arg(port + 1); }

private:
    QString m_bin;
    QString m_folder;
    QProcess m_station;
    std::vector<std::unique_ptr<QProcess>> m_modules{PORTS};
    std::map<QString, qint64> m_found_at;
    std::vector<qint64> m_programmed;
    std::vector<std::pair<QString, qint64>> m_passes;
    int m_removed = 0;
    int m_failed = 0;
};

// One way the board is used, measured over its rounds: the modules' programming times, and the
// station's processor time and wall time meanwhile.
struct Case {
    const char *label;
    int polling;
    int stalled;
    std::vector<qint64> times;
    double cpu_seconds = 0;
    double wall_seconds = 0;
    qint64 most_kib = 0; // the station's resident memory at the end of a round, at most

    double mean_ms() const
    {
        double sum = 0;
        for (qint64 time : times)
            sum += static_cast<double>(time);
        return times.empty() ? 0 : sum / static_cast<double>(times.size());
    }
    // The median, the fastest and the slowest.
    std::array<qint64, 3> spread() const
    {
        std::vector<qint64> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        if (sorted.empty())
            return {};
        return {sorted[sorted.size() / 2], sorted.front(), sorted.back()};
    }
    // The station's share of one core, in per cent.
    double cpu_share() const { return 100.0 * cpu_seconds / wall_seconds; }
};

// One round of modules on every port with the case's browsers attached; false when it did not
// finish.
bool run_round(Bench &bench, Case &c, quint16 board, int hold_ms = 0)
{
    std::vector<std::unique_ptr<QObject>> browsers;
    for (int i = 0; i < c.polling; ++i)
        browsers.push_back(std::make_unique<Poller>(board));
    for (int i = 0; i < c.stalled; ++i)
        browsers.push_back(std::make_unique<Stalled>(board));
    wait_for([] { return false; }, SETTLE_MS, TURN_MS);
    const std::size_t from = bench.modules();
    const double cpu = cpu_seconds(bench.pid());
    QElapsedTimer wall;
    wall.start();
    const bool finished = bench.round(hold_ms);
    c.most_kib = std::max(c.most_kib, resident_kib(bench.pid()));
    c.cpu_seconds += cpu_seconds(bench.pid()) - cpu;
    c.wall_seconds += static_cast<double>(wall.elapsed()) / 1e3;
    const std::vector<qint64> times = bench.programming_times(from);
    c.times.insert(c.times.end(), times.begin(), times.end());
    return finished;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? QByteArray(argv[1]).toInt() : ROUNDS;
    QTemporaryDir folder;
    Bench bench(QCoreApplication::applicationDirPath(), folder.path());
    quint16 board = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        board = probe.serverPort();
    }
    if (!bench.start_station(board)) {
        std::printf("converter-cli did not start\n");
        return 1;
    }
    std::printf("station on %d ports, board on 127.0.0.1:%u, %d modules per port in each case\n",
                PORTS, board, rounds);

    // The cases take turns, round by round, so that the machine's other load falls on each alike.
    std::vector<Case> cases{{"no browser", 0, 0, {}},
                            {"10 browsers polling", BROWSERS, 0, {}},
                            {"10 polling and 10 stalled", BROWSERS, STALLED, {}}};
    for (int round = 0; round < rounds; ++round)
        for (Case &c : cases)
            if (!run_round(bench, c, board)) {
                std::printf("a round of modules did not finish in time\n");
                bench.stop_station();
                return 1;
            }
    const Case &none = cases.front();

    for (const Case &c : cases) {
        const auto [median, fastest, slowest] = c.spread();
        std::printf("%-26s programming %6.1f ms mean (%+.2f %%), median %lld, %lld to %lld ms, "
                    "%zu modules; station %.2f %% of one core, resident %lld KiB at most\n",
                    c.label, c.mean_ms(), 100.0 * (c.mean_ms() / none.mean_ms() - 1.0),
                    static_cast<long long>(median), static_cast<long long>(fastest),
                    static_cast<long long>(slowest), c.times.size(), c.cpu_share(),
                    static_cast<long long>(c.most_kib));
    }
    std::printf("board's processor time: %.3f %% of one core per polling browser\n",
                (cases[1].cpu_share() - none.cpu_share()) / BROWSERS);

    // PASS to green in a real browser, which alone asks the board now.
    QTemporaryDir profile;
    Chromium chromium;
    const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(board);
    if (!chromium.start(url, profile.path()) ||
        !wait_for(
            [&] {
                return chromium.evaluate(
                           QStringLiteral("document.querySelectorAll('.tile').length")) == PORTS;
            },
            EVENT_TIMEOUT_MS, TURN_MS)) {
        std::printf("Chromium did not show the board\n");
        bench.stop_station();
        return 1;
    }
    chromium.evaluate(WATCH_TILES);
    const std::size_t from = bench.passes().size();
    Case watched{"Chromium", 0, 0, {}};
    for (int round = 0; round < rounds; ++round)
        run_round(bench, watched, board, GREEN_HOLD_MS);
    const QJsonArray seen =
        QJsonDocument::fromJson(
            chromium.evaluate(QStringLiteral("JSON.stringify(benchPasses)")).toString().toUtf8())
            .array();
    // Each PASS against the first time after it that its port's tile turned green.
    std::map<QString, std::vector<qint64>> green;
    for (const QJsonValue &turn : seen)
        green[turn[QStringLiteral("port")].toString()].push_back(
            static_cast<qint64>(turn[QStringLiteral("at")].toDouble()));
    std::vector<qint64> delays;
    for (std::size_t i = from; i < bench.passes().size(); ++i) {
        const auto &[port, at] = bench.passes()[i];
        const auto &turns = green[port];
        const auto turned = std::lower_bound(turns.begin(), turns.end(), at);
        if (turned != turns.end() && *turned - at < GREEN_HOLD_MS)
            delays.push_back(*turned - at);
    }
    std::sort(delays.begin(), delays.end());
    if (delays.empty())
        std::printf("no tile was seen turning green\n");
    else
        std::printf("PASS to a green tile in Chromium: median %lld ms, slowest %lld ms over %zu of "
                    "%zu modules\n",
                    static_cast<long long>(delays[delays.size() / 2]),
                    static_cast<long long>(delays.back()), delays.size(),
                    bench.passes().size() - from);
    std::printf("%d of %zu modules failed\n", bench.failed(), bench.modules());
    bench.stop_station();
    return 0;
}
