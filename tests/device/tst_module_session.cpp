// The module session on real lines: a pseudo-terminal with the emulated module on the far end,
// and the same line through the real ser2net on 127.0.0.1, raw and with serial port control;
// and each way a network port ends a run, in the words the person at the program reads.

#include "any_port_link.h"
#include "link_texts.h"
#include "module_server.h"
#include "module_session.h"
#include "ser2net_server.h"
#include "tick_timer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

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
    Pty,       // the emulated module's pseudo-terminal itself
    Raw,       // ser2net passing the bytes as they are
    Rfc2217,   // ser2net speaking telnet with serial port control
    Nothing,   // a port nobody listens on
    NoHost,    // a host name that cannot be found
    FullQueue, // a listener whose queue is full: no connection ever completes
    NoComPort, // a telnet server that refuses serial port control
    Mute,      // a telnet server that accepts and never says a word
};

// What a write stores, with NUL, CR and 255, which a telnet connection or a terminal could take
// for their own; and what the module holds before, a different value at every address.
const QList<int> IMAGE{13,  0, 160, 12, 23, 45, 67, 89, 101, 123, 13, 0,
                       159, 1, 2,   3,  4,  5,  6,  7,  255, 13,  0,  255};
const QList<int> BEFORE{10, 11, 12, 13, 14, 15, 16, 17, 18,  19, 80,  81,
                        82, 83, 84, 85, 86, 87, 88, 89, 255, 3,  170, 2};
// IAC DO BINARY, IAC WILL BINARY, IAC DONT COM-PORT
const QByteArray NO_COM_PORT = QByteArray::fromHex("fffd00fffb00fffe2c");

// A run ends with `outcome` after `done` bytes and as many exchanges as the module counts; a
// port failure for `reason` (%1 the host, %2 the port; any words for the pseudo-terminal).
// ser2net is killed once `kill_at` bytes are done.
struct Row {
    Far far;
    bool read;
    FaultOptions faults;
    Outcome outcome;
    int done, exchanges;
    QString reason = {};
    int kill_at = -1;
    std::chrono::milliseconds reply_wait = REPLY_WAIT_DEFAULT;
};

QString in_seconds(const QString &text, std::chrono::milliseconds limit)
{
    return text.arg(u"%1", u"%2", QString::number(limit.count() / 1000));
}

// The module's line and a session on it. Torn down in reverse: the session before its link and
// timer, those before whatever answers at the port, all before the module's line.
struct Bench {
    emulator::ModuleServer module;
    std::optional<Ser2netServer> ser2net;
    std::optional<QTcpServer> server;
    std::optional<QTcpSocket> filler;
    AnyPortLink link;
    TickTimer timer;
    ModuleSession session{link, timer};

    // The port name for a row, with whatever answers there started.
    QString far_end(Far far)
    {
        if (far == Far::Pty)
            return module.port_name();
        if (far == Far::Raw || far == Far::Rfc2217) {
            if (!ser2net.emplace().start(module.port_name()) ||
                !QTest::qWaitFor([this] { return ser2net->listening(); }))
                qFatal("ser2net does not listen");
            return far == Far::Raw ? ser2net->raw_url() : ser2net->rfc2217_url();
        }
        if (far == Far::NoHost)
            return QStringLiteral("tcp://no-such-host.invalid:4000");
        QTcpServer &listener = server.emplace();
        listener.setListenBacklogSize(0);
        listener.listen(QHostAddress::LocalHost);
        const bool telnet = far == Far::NoComPort || far == Far::Mute;
        const QString name = QStringLiteral("%1://127.0.0.1:%2")
                                 .arg(telnet ? QStringLiteral("rfc2217") : QStringLiteral("tcp"))
                                 .arg(listener.serverPort());
        if (far == Far::Nothing)
            listener.close();
        if (far == Far::NoComPort)
            QObject::connect(&listener, &QTcpServer::newConnection, &listener,
                             [&listener] { listener.nextPendingConnection()->write(NO_COM_PORT); });
        if (far == Far::FullQueue) {
            listener.pauseAccepting();
            filler.emplace().connectToHost(QHostAddress::LocalHost, listener.serverPort());
            if (!QTest::qWaitFor([this] { return filler->state() == QTcpSocket::ConnectedState; }))
                qFatal("the queue does not fill");
        }
        return name;
    }
};

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
        // It wakes at the sixth "A" and answers everything 150 ms late.
        const FaultOptions late{.answer_attention_from = 6, .reply_delay = 150ms};
        using enum Outcome;
        // clang-format off
        row("read", {Far::Pty, READ, {}, Success, 24, 26});
        // Replies that come in pieces still end each wait at the fifth character.
        row("write, replies in pieces 1 + 4",
            {Far::Pty, WRITE, {.pieces = {1}, .piece_gap = 30ms}, Success, 24, 50});
        // The line goes as the fourth byte is to be read back: three bytes verified.
        row("line drops in the fourth store",
            {Far::Pty, WRITE, {.drop_after = 9}, PortFailure, 3, 9});
        // The answer to the last "A" comes after the last wait; with longer waits, all in time.
        row("late module", {Far::Pty, READ, late, NoAnswer, 0, 6});
        row("late module, waits of 250 ms", {Far::Pty, READ, late, Success, 24, 31, {}, -1, 250ms});
        row("raw", {Far::Raw, WRITE, {}, Success, 24, 50});
        row("rfc2217", {Far::Rfc2217, WRITE, {}, Success, 24, 50});
        // Gone while the run paces after the fourth byte.
        row("server killed", {Far::Rfc2217, WRITE, {}, PortFailure, 4, 10, CONNECTION_CLOSED, 4});
        row("refused", {Far::Nothing, READ, {}, PortFailure, 0, 0, CONNECTION_REFUSED});
        row("no such host", {Far::NoHost, READ, {}, PortFailure, 0, 0, HOST_NOT_FOUND});
        row("never connects", {Far::FullQueue, READ, {}, PortFailure, 0, 0,
                               in_seconds(NO_CONNECTION_IN_TIME, CONNECT_TIME_LIMIT)});
        row("no serial port control",
            {Far::NoComPort, READ, {}, PortFailure, 0, 0, REFUSED_COM_PORT});
        row("never agrees", {Far::Mute, READ, {}, PortFailure, 0, 0,
                             in_seconds(NO_AGREEMENT_IN_TIME, NEGOTIATION_TIME_LIMIT)});
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
        const QString name = bench.far_end(r.far);
        std::optional<SessionResult> result;
        connect(&session, &ModuleSession::finished,
                [&](const SessionResult &end) { result = end; });
        connect(&session, &ModuleSession::progress, [&](const SessionProgress &event) {
            if (event.done == r.kill_at)
                bench.ser2net->kill();
        });
        ModuleImage image;
        std::copy(IMAGE.begin(), IMAGE.end(), image.bytes.begin());
        QVERIFY(r.read ? session.read(name) : session.write(name, image));
        QVERIFY(QTest::qWaitFor([&] { return result.has_value(); }, RUN_TIMEOUT_MS));
        QVERIFY(!session.running() && !bench.link.is_open());
        QCOMPARE(result->outcome, r.outcome);
        // A network port that fails before the handshake fails as the port's opening.
        QCOMPARE(result->step, r.done > 0 || r.outcome == Outcome::Success
                                   ? SessionStep::Configuration
                               : r.outcome == Outcome::NoAnswer ? SessionStep::Handshake
                                                                : SessionStep::Open);
        const PortAddress address = port_address(name);
        QString reason = r.reason;
        reason.replace(u"%1"_s, address.host).replace(u"%2"_s, QString::number(address.port));
        if (r.far != Far::Pty)
            QCOMPARE(result->reason, reason);
        QCOMPARE(result->reason.isEmpty(), r.outcome != Outcome::PortFailure);
        QCOMPARE(bench.module.core().exchanges(), r.exchanges);
        // What went over the line is what the module holds, byte for byte; the byte a write was
        // storing when the line went may be either.
        QCOMPARE(result->done, r.done);
        const QList<int> expected = r.read ? BEFORE : IMAGE;
        QCOMPARE(QList<int>(result->image.bytes.begin(), result->image.bytes.begin() + r.done),
                 expected.mid(0, r.done));
        const auto &memory = bench.module.core().memory();
        const QList<int> held(memory.begin(), memory.begin() + CONFIGURATION_BYTES);
        const int stored = r.read ? 0 : r.done;
        QCOMPARE(held.mid(0, stored), IMAGE.mid(0, stored));
        QCOMPARE(held.mid(stored + 1), BEFORE.mid(stored + 1));
    }
};

QTEST_GUILESS_MAIN(TestModuleSession)
#include "tst_module_session.moc"
