// Modules on the network: the session through the real ser2net on 127.0.0.1 in front of the
// emulated module's pseudo-terminal, raw and with serial port control, and each way a network
// port ends a run, in the words the person at the program reads.

#include "link_texts.h"
#include "ser2net_server.h"
#include "session_fixture.h"

#include <QTcpServer>
#include <QTcpSocket>

using namespace device;

namespace
{

// What answers at the port a run is given.
enum class Far {
    Raw,       // ser2net passing the bytes as they are
    Rfc2217,   // ser2net speaking telnet with serial port control
    Nothing,   // a port nobody listens on
    NoHost,    // a host name that cannot be found
    FullQueue, // a listener whose queue is full: no connection ever completes
    NoComPort, // a telnet server that refuses serial port control
    Mute,      // a telnet server that accepts and never says a word
};

// NUL, CR and 255, which a telnet connection or a terminal could take for their own.
const QList<int> IMAGE{13,  0, 160, 12, 23, 45, 67, 89, 101, 123, 13, 0,
                       159, 1, 2,   3,  4,  5,  6,  7,  255, 13,  0,  255};
const QList<int> BEFORE{10, 11, 12, 13, 14, 15, 16, 17, 18,  19, 80,  81,
                        82, 83, 84, 85, 86, 87, 88, 89, 255, 3,  170, 2};
// IAC DO BINARY, IAC WILL BINARY, IAC DONT COM-PORT
const QByteArray NO_COM_PORT = QByteArray::fromHex("fffd00fffb00fffe2c");

// A run succeeds, or fails on the port for `reason` (%1 the host, %2 the port) after `done`
// bytes. ser2net is killed once `kill_at` bytes are done.
struct Row {
    Far far;
    bool read;
    QString reason;
    int done;
    int kill_at = -1;
};

QString in_seconds(const QString &text, std::chrono::milliseconds limit)
{
    return text.arg(u"%1", u"%2", QString::number(limit.count() / 1000));
}

} // namespace
Q_DECLARE_METATYPE(Row)

class TestNetworkLinks : public QObject
{
    Q_OBJECT

    std::optional<SessionFixture> m_fx;
    std::optional<Ser2netServer> m_ser2net;
    std::optional<QTcpServer> m_server;
    std::optional<QTcpSocket> m_filler;

    // The port name for a row, with whatever answers there started.
    QString far_end(Far far)
    {
        if (far == Far::Raw || far == Far::Rfc2217) {
            if (!m_ser2net.emplace().start(m_fx->module->port_name()) ||
                !QTest::qWaitFor([this] { return m_ser2net->listening(); }))
                qFatal("ser2net does not listen");
            return far == Far::Raw ? m_ser2net->raw_url() : m_ser2net->rfc2217_url();
        }
        if (far == Far::NoHost)
            return QStringLiteral("tcp://no-such-host.invalid:4000");
        QTcpServer &server = m_server.emplace();
        server.setListenBacklogSize(0);
        server.listen(QHostAddress::LocalHost);
        const bool telnet = far == Far::NoComPort || far == Far::Mute;
        const QString name = QStringLiteral("%1://127.0.0.1:%2")
                                 .arg(telnet ? QStringLiteral("rfc2217") : QStringLiteral("tcp"))
                                 .arg(server.serverPort());
        if (far == Far::Nothing)
            server.close();
        if (far == Far::NoComPort)
            connect(&server, &QTcpServer::newConnection, this,
                    [&server] { server.nextPendingConnection()->write(NO_COM_PORT); });
        if (far == Far::FullQueue) {
            server.pauseAccepting();
            m_filler.emplace().connectToHost(QHostAddress::LocalHost, server.serverPort());
            if (!QTest::qWaitFor(
                    [this] { return m_filler->state() == QTcpSocket::ConnectedState; }))
                qFatal("the queue does not fill");
        }
        return name;
    }

private slots:
    void init()
    {
        QVERIFY(m_fx.emplace().start());
        for (int address = 0; address < CONFIGURATION_BYTES; ++address)
            m_fx->core().set_byte(address, quint8(BEFORE[address]));
    }
    void cleanup()
    {
        m_filler.reset();
        m_server.reset();
        m_ser2net.reset();
        m_fx.reset();
    }

    void runs_data()
    {
        QTest::addColumn<Row>("r");
        constexpr bool READ = true, WRITE = false;
        const auto row = [](const char *name, const Row &r) { QTest::newRow(name) << r; };
        row("raw, write", {Far::Raw, WRITE, {}, 24});
        row("raw, read", {Far::Raw, READ, {}, 24});
        row("rfc2217, write", {Far::Rfc2217, WRITE, {}, 24});
        row("rfc2217, read", {Far::Rfc2217, READ, {}, 24});
        // Gone while the run paces after the fourth byte.
        row("server killed", {Far::Rfc2217, WRITE, CONNECTION_CLOSED, 4, 4});
        row("refused", {Far::Nothing, READ, CONNECTION_REFUSED, 0});
        row("no such host", {Far::NoHost, READ, HOST_NOT_FOUND, 0});
        row("never connects",
            {Far::FullQueue, READ, in_seconds(NO_CONNECTION_IN_TIME, CONNECT_TIME_LIMIT), 0});
        row("no serial port control", {Far::NoComPort, READ, REFUSED_COM_PORT, 0});
        row("never agrees",
            {Far::Mute, READ, in_seconds(NO_AGREEMENT_IN_TIME, NEGOTIATION_TIME_LIMIT), 0});
    }

    void runs()
    {
        QFETCH(Row, r);
        SessionFixture &fx = *m_fx;
        const QString name = far_end(r.far);
        connect(&fx.session, &ModuleSession::progress, this, [&](const SessionProgress &event) {
            if (event.done == r.kill_at)
                m_ser2net->kill();
        });
        ModuleImage image;
        std::copy(IMAGE.begin(), IMAGE.end(), image.bytes.begin());
        QVERIFY(fx.run(r.read, image, name));
        const SessionResult &result = *fx.result;
        const bool failed = !r.reason.isEmpty();
        QCOMPARE(result.outcome, failed ? SessionOutcome::PortFailure : SessionOutcome::Success);
        // A network port that fails before the handshake fails as the port's opening.
        QCOMPARE(result.step,
                 r.done > 0 || !failed ? SessionStep::Configuration : SessionStep::Open);
        const PortAddress address = port_address(name);
        QCOMPARE(result.reason, QString(r.reason)
                                    .replace(QStringLiteral("%1"), address.host)
                                    .replace(QStringLiteral("%2"), QString::number(address.port)));
        // What went over the network is what the module holds, byte for byte.
        QCOMPARE(result.done, r.done);
        const QList<int> expected = r.read ? BEFORE : IMAGE;
        QCOMPARE(QList<int>(result.image.bytes.begin(), result.image.bytes.begin() + r.done),
                 expected.mid(0, r.done));
        const int stored = r.read ? 0 : r.done;
        QCOMPARE(fx.module_bytes(), IMAGE.mid(0, stored) + BEFORE.mid(stored));
    }
};

QTEST_GUILESS_MAIN(TestNetworkLinks)
#include "tst_network_links.moc"
