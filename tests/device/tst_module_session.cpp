// The module session on real lines: a pseudo-terminal with the emulated module on the far end,
// and the same line through the real ser2net on 127.0.0.1, raw and with serial port control;
// and each way a network port ends a run, in the words the person at the program reads, also
// against peers that flood, refuse or hang up, and a name server that never answers.

#include "any_port_link.h"
#include "link_texts.h"
#include "module_server.h"
#include "module_session.h"
#include "ser2net_server.h"
#include "session_words.h"
#include "tick_timer.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace device;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using emulator::FaultOptions;
using Outcome = SessionOutcome;

namespace
{

// A run takes about 2.6 s against a module that answers at once; the slowest rows three times
// that.
constexpr int RUN_TIMEOUT_MS = 20000;

// What answers at the port a run is given.
enum class Far {
    Pty,     // the emulated module's pseudo-terminal itself
    Raw,     // ser2net passing the bytes as they are
    Rfc2217, // ser2net speaking telnet with serial port control
    Peer,    // a peer played by the test on 127.0.0.1
    Closed,  // a port nobody listens on
    Full,    // a listener whose queue is full: no connection ever completes
    NoHost,  // a host name that cannot be found
};

// The peer says `hello` on connection and then FLOOD_SIZE bytes of `flood`; to the first "A" it
// reads it says `answer` and ends as told. One that does not read leaves all it is sent unread.
enum class End { Stay, Close, Reset };
struct Peer {
    bool rfc2217 = false;
    QByteArray hello = {}, flood = {}, answer = {};
    End end = End::Stay;
    bool reads = true;
};
constexpr qsizetype FLOOD_SIZE = 1 << 20;

// What a write stores, with NUL, CR and 255, which a telnet connection or a terminal could take
// for their own; and what the module holds before, a different value at every address.
const QList<int> IMAGE{13,  0, 160, 12, 23, 45, 67, 89, 101, 123, 13, 0,
                       159, 1, 2,   3,  4,  5,  6,  7,  255, 13,  0,  255};
const QList<int> BEFORE{10, 11, 12, 13, 14, 15, 16, 17, 18,  19, 80,  81,
                        82, 83, 84, 85, 86, 87, 88, 89, 255, 3,  170, 2};

// A run ends with `outcome` after `done` bytes and as many exchanges as the module counts; a
// port failure of `fault` for `reason` (%1 the host, %2 the port, %3 the same port of the other
// kind; any words for the pseudo-terminal). ser2net is killed once `kill_at` bytes are done.
struct Row {
    Far far;
    bool read;
    FaultOptions faults;
    Outcome outcome;
    int done, exchanges;
    QString reason = {};
    PortFault fault = PortFault::None;
    int kill_at = -1;
    std::chrono::milliseconds reply_wait = REPLY_WAIT_DEFAULT;
    Peer peer = {};
};

QString in_seconds(const QString &text, std::chrono::milliseconds limit)
{
    return text.arg(u"%1", u"%2", QString::number(limit.count() / 1000));
}

void serve(QTcpServer &server, const Peer &peer)
{
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server, peer] {
        QTcpSocket *socket = server.nextPendingConnection();
        socket->write(peer.hello + peer.flood.repeated(
                                       peer.flood.isEmpty() ? 0 : FLOOD_SIZE / peer.flood.size()));
        if (!peer.reads)
            socket->setReadBufferSize(1);
        else
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, peer] {
                if (!socket->readAll().contains(ATTENTION))
                    return;
                socket->write(peer.answer);
                const linger hard{1, 0}; // closing then resets the connection
                if (peer.end == End::Reset)
                    ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
                                 sizeof hard);
                if (peer.end != End::Stay)
                    socket->abort();
            });
    });
}

// The module's line and a session on it. Torn down in reverse: the session before its link and
// timer, those before whatever answers at the port, all before the module's line.
struct Bench {
    emulator::ModuleServer module;
    std::optional<Ser2netServer> ser2net;
    QTcpServer server;
    QTcpSocket filler;
    AnyPortLink link;
    TickTimer timer;
    ModuleSession session{link, timer};
    // Its wait runs the event loop without pauses, as the programs do: a flood is read at full
    // speed.
    QSignalSpy finished{&session, &ModuleSession::finished};

    // The port name for a row, with whatever answers there started.
    QString far_end(const Row &r)
    {
        if (r.far == Far::Pty)
            return module.port_name();
        if (r.far == Far::NoHost)
            return u"tcp://no-such-host.invalid:4000"_s;
        if (r.far == Far::Raw || r.far == Far::Rfc2217) {
            if (!ser2net.emplace().start(module.port_name()) ||
                !QTest::qWaitFor([this] { return ser2net->listening(); }))
                qFatal("ser2net does not listen");
            return r.far == Far::Raw ? ser2net->raw_url() : ser2net->rfc2217_url();
        }
        server.setListenBacklogSize(0);
        server.listen(QHostAddress::LocalHost);
        const QString name =
            (r.peer.rfc2217 ? u"rfc2217://127.0.0.1:%1"_s : u"tcp://127.0.0.1:%1"_s)
                .arg(server.serverPort());
        if (r.far == Far::Peer)
            serve(server, r.peer);
        if (r.far == Far::Closed)
            server.close();
        if (r.far == Far::Full) {
            server.pauseAccepting();
            filler.connectToHost(QHostAddress::LocalHost, server.serverPort());
            filler.waitForConnected();
        }
        return name;
    }
};

// A name server on 127.0.0.1 of a network of the test's own that never answers: the system's
// resolver waits for it a minute.
constexpr char SILENT_NAME_SERVER[] = "CONVERTER_TEST_SILENT_NAME_SERVER";
const QByteArray SILENT_RESOLVER = "nameserver 127.0.0.1\noptions timeout:30 attempts:2\n";
constexpr quint16 NAME_SERVER_PORT = 53;
const QString UNRESOLVABLE = u"tcp://module-7.plant:2000"_s;
// The run gives up after 5 s; a process that lives three times as long waits for the resolver.
constexpr int CHILD_LIMIT_MS = 15000;

// In a network of its own the loopback starts down.
bool loopback_up()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags = short(request.ifr_flags | IFF_UP);
    up = up && ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    ::close(fd);
    return up;
}

SessionResult probe(const QString &name, bool stop)
{
    AnyPortLink link;
    TickTimer timer;
    ModuleSession session(link, timer);
    QSignalSpy finished(&session, &ModuleSession::finished);
    session.probe(name, false);
    if (stop)
        session.abort();
    if (finished.isEmpty() && !finished.wait(RUN_TIMEOUT_MS))
        qFatal("the run does not end");
    return finished.first().first().value<SessionResult>();
}
} // namespace
Q_DECLARE_METATYPE(Row)

class TestModuleSession : public QObject
{
    Q_OBJECT

private slots:
    void runs_data()
    {
        QTest::addColumn<Row>("r");
        constexpr bool READ = true, WRITE = false;
        const auto row = [](const char *name, const Row &r) { QTest::newRow(name) << r; };
        // A handshake against a far end that is no module.
        const auto peer = [](Outcome outcome, const QString &reason, PortFault fault,
                             const Peer &peer) {
            return Row{Far::Peer,          READ, {}, outcome, 0, 0, reason, fault, -1,
                       REPLY_WAIT_DEFAULT, peer};
        };
        const auto hex = [](const char *text) { return QByteArray::fromHex(text); };
        // IAC DO BINARY, IAC WILL BINARY, IAC DO COM-PORT, and every line setting confirmed
        const QByteArray agrees = hex("fffd00 fffb00 fffd2c fffa2c6500002580fff0 fffa2c6608fff0 "
                                      "fffa2c6701fff0 fffa2c6801fff0 fffa2c6901fff0");
        const QByteArray request = hex("fffbc8"); // IAC WILL 200: declined each time
        const auto hint = [](const QString &reason) { return NO_TELNET_HINT.arg(reason, u"%3"_s); };
        const QString too_much =
            TOO_MUCH_BEFORE_AGREEMENT.arg(u"%1"_s, u"%2"_s, QString::number(AGREEMENT_INPUT_LIMIT));
        // It wakes at the sixth "A" and answers everything 150 ms late.
        const FaultOptions late{.answer_attention_from = 6, .reply_delay = 150ms};
        using enum Outcome;
        using F = PortFault;
        // clang-format off
        row("read", {Far::Pty, READ, {}, Success, 24, 26});
        // Replies that come in pieces still end each wait at the fifth character.
        row("write, replies in pieces 1 + 4",
            {Far::Pty, WRITE, {.pieces = {1}, .piece_gap = 30ms}, Success, 24, 50});
        // The line goes as the fourth byte is to be read back: three bytes verified.
        row("line drops in the fourth store",
            {Far::Pty, WRITE, {.drop_after = 9}, PortFailure, 3, 9, {}, F::Lost});
        // The answer to the last "A" comes after the last wait; with longer waits, all in time.
        row("late module", {Far::Pty, READ, late, NoAnswer, 0, 6});
        row("late module, waits of 250 ms",
            {Far::Pty, READ, late, Success, 24, 31, {}, F::None, -1, 250ms});
        row("raw", {Far::Raw, WRITE, {}, Success, 24, 50});
        row("rfc2217", {Far::Rfc2217, WRITE, {}, Success, 24, 50});
        // Gone while the run paces after the fourth byte.
        row("server killed",
            {Far::Rfc2217, WRITE, {}, PortFailure, 4, 10, SERVER_CLOSED, F::Lost, 4});
        // Each other way a network port fails, in its own words, holding no more than its bounds.
        row("refused",
            {Far::Closed, READ, {}, PortFailure, 0, 0, CONNECTION_REFUSED, F::Unreachable});
        row("no host", {Far::NoHost, READ, {}, PortFailure, 0, 0, UNKNOWN_HOST, F::Unreachable});
        row("never connects",
            {Far::Full, READ, {}, PortFailure, 0, 0,
             in_seconds(NO_CONNECTION_IN_TIME, CONNECT_TIME_LIMIT), F::Unreachable});
        row("raw port greets in telnet",
            peer(PortFailure, TELNET_ON_RAW_PORT, F::Lost, {.hello = hex("fffb03")}));
        row("telnet port streams plain bytes",
            peer(PortFailure, hint(too_much), F::Unreachable, {.rfc2217 = true, .flood = "x"}));
        row("telnet port never says a word",
            peer(PortFailure, hint(in_seconds(NO_AGREEMENT_IN_TIME, NEGOTIATION_TIME_LIMIT)),
                 F::Unreachable, {.rfc2217 = true}));
        row("telnet requests before agreeing",
            peer(PortFailure, too_much, F::Unreachable, {.rfc2217 = true, .flood = request}));
        row("DONT COM-PORT", peer(PortFailure, REFUSED_COM_PORT, F::Unreachable,
                                  {.rfc2217 = true, .hello = hex("fffd00 fffb00 fffe2c")}));
        row("binary stopped at the A",
            peer(PortFailure, BINARY_STOPPED, F::Lost,
                 {.rfc2217 = true, .hello = agrees, .answer = hex("fffc00")}));
        row("closed at the A", peer(PortFailure, SERVER_CLOSED, F::Lost, {.end = End::Close}));
        row("reset at the A", peer(PortFailure, CONNECTION_RESET, F::Lost, {.end = End::Reset}));
        row("requests, never read",
            peer(PortFailure, NOT_READING, F::Lost,
                 {.rfc2217 = true, .hello = agrees, .flood = request, .reads = false}));
        row("a megabyte for the A",
            peer(NoAnswer, {}, F::None, {.answer = QByteArray(1 << 20, 'A')}));
        // clang-format on
    }

    void runs()
    {
        QFETCH(Row, r);
        Bench bench;
        QVERIFY(bench.module.open_pty());
        for (int address = 0; address < CONFIGURATION_BYTES; ++address)
            bench.module.core().set_byte(address, quint8(BEFORE[address]));
        bench.module.core().set_faults(r.faults);
        ModuleSession &session = bench.session;
        QVERIFY(session.set_reply_wait(r.reply_wait));
        const QString name = bench.far_end(r);
        connect(&session, &ModuleSession::progress, [&](const SessionProgress &event) {
            if (event.done == r.kill_at)
                bench.ser2net->kill();
        });
        ModuleImage image;
        std::copy(IMAGE.begin(), IMAGE.end(), image.bytes.begin());
        QVERIFY(r.read ? session.read(name) : session.write(name, image));
        QVERIFY(bench.finished.wait(RUN_TIMEOUT_MS));
        const auto result = bench.finished.first().first().value<SessionResult>();
        QVERIFY(!session.running() && !bench.link.is_open());
        QCOMPARE(result.outcome, r.outcome);
        QCOMPARE(result.step, r.done > 0 || r.outcome == Outcome::Success
                                  ? SessionStep::Configuration
                              : r.outcome == Outcome::NoAnswer || r.fault == PortFault::Lost
                                  ? SessionStep::Handshake
                                  : SessionStep::Open);
        QCOMPARE(result.fault, r.fault);
        const PortAddress address = port_address(name);
        if (r.far != Far::Pty)
            QCOMPARE(result.reason,
                     QString(r.reason)
                         .replace(u"%1"_s, address.host)
                         .replace(u"%2"_s, QString::number(address.port))
                         .replace(u"%3"_s,
                                  (address.scheme == PortScheme::Tcp ? u"rfc2217"_s : u"tcp"_s) +
                                      name.mid(name.indexOf(u':'))));
        QCOMPARE(result.reason.isEmpty(), r.outcome != Outcome::PortFailure);
        // A network port's own words reach the operator, wherever the run stopped.
        if (r.far != Far::Pty && r.outcome == Outcome::PortFailure)
            QVERIFY2(failure_text(result).contains(result.reason),
                     qPrintable(failure_text(result)));
        QVERIFY(result.received.size() <= 2 * INPUT_BACKLOG_LIMIT);
        QCOMPARE(bench.module.core().exchanges(), r.exchanges);
        // What went over the line is what the module holds, byte for byte; the byte a write was
        // storing when the line went may be either.
        QCOMPARE(result.done, r.done);
        const QList<int> expected = r.read ? BEFORE : IMAGE;
        QCOMPARE(QList<int>(result.image.bytes.begin(), result.image.bytes.begin() + r.done),
                 expected.mid(0, r.done));
        const auto &memory = bench.module.core().memory();
        const QList<int> held(memory.begin(), memory.begin() + CONFIGURATION_BYTES);
        const int stored = r.read ? 0 : r.done;
        QCOMPARE(held.mid(0, stored), IMAGE.mid(0, stored));
        QCOMPARE(held.mid(stored + 1), BEFORE.mid(stored + 1));
    }

    void lookup_in_silence_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("at the limit") << false;
        QTest::newRow("stopped") << true;
    }

    // A name that the name server never answers ends the run at the connect limit or when it
    // is stopped, and the process with it: in a network and a mount namespace of its own, where
    // the resolver asks a silent name server. The test runs itself there.
    void lookup_in_silence()
    {
        QFETCH(bool, stop);
        if (qEnvironmentVariableIsSet(SILENT_NAME_SERVER)) {
            QVERIFY(loopback_up());
            // Open until the process ends, so that the resolver never hears that nobody answers.
            const int name_server = ::socket(AF_INET, SOCK_DGRAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(NAME_SERVER_PORT);
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            QVERIFY(::bind(name_server, reinterpret_cast<sockaddr *>(&address), sizeof address) ==
                    0);
            const SessionResult result = probe(UNRESOLVABLE, stop);
            QCOMPARE(result.outcome, stop ? Outcome::Aborted : Outcome::PortFailure);
            if (!stop)
                QCOMPARE(result.reason, NAME_NOT_RESOLVED_IN_TIME.arg(u"module-7.plant"_s)
                                            .arg(CONNECT_TIME_LIMIT.count() / 1000));
            return;
        }
        QTemporaryDir folder;
        QFile resolver(folder.filePath(u"resolv.conf"_s));
        QVERIFY(resolver.open(QIODevice::WriteOnly) && resolver.write(SILENT_RESOLVER) > 0);
        resolver.close();
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(SILENT_NAME_SERVER), u"1"_s);
        child.setProcessEnvironment(environment);
        child.start(u"unshare"_s,
                    {u"-rmn"_s, u"sh"_s, u"-c"_s,
                     u"mount --bind \"$0\" /etc/resolv.conf || exit 77; exec \"$@\""_s,
                     resolver.fileName(), QCoreApplication::applicationFilePath(),
                     u"lookup_in_silence:"_s + QString::fromUtf8(QTest::currentDataTag())});
        QVERIFY(child.waitForStarted());
        const bool ended = child.waitForFinished(CHILD_LIMIT_MS);
        if (!ended)
            child.kill();
        const QByteArray output = child.readAll();
        if (ended && (child.exitCode() == 77 || output.startsWith("unshare:")))
            QSKIP("no network and mount namespace of our own here");
        QVERIFY2(ended, "the process waits for the name server");
        QVERIFY2(child.exitCode() == 0, output.constData());
    }
};

QTEST_GUILESS_MAIN(TestModuleSession)
#include "tst_module_session.moc"
