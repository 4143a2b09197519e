// Modules on the network: the module session through the real ser2net on 127.0.0.1 in front of
// the emulated module's pseudo-terminal, raw and with serial port control, and every way a
// network port ends a run, each with the words the person at the program reads.

#include "link_texts.h"
#include "ser2net_server.h"
#include "session_fixture.h"

#include <QTcpServer>
#include <QTcpSocket>

using namespace device;

namespace
{

// What answers at the port the run is given.
enum class Far {
    Raw,        // ser2net passing the bytes as they are
    Rfc2217,    // ser2net speaking telnet with serial port control
    Nothing,    // a port nobody listens on
    NoSuchHost, // a host name that cannot be found
    FullQueue,  // a listener whose queue is full: the connection never completes
    NoComPort,  // a telnet server that refuses serial port control
    Mute,       // a server that accepts the connection and never says a word
};

// Every byte a telnet connection or a terminal could take for its own: NUL, CR and 255.
const QList<int> IMAGE{13,  0, 160, 12, 23, 45, 67, 89, 101, 123, 13, 0,
                       159, 1, 2,   3,  4,  5,  6,  7,  255, 13,  0,  255};
const QList<int> BEFORE{10, 11, 12, 13, 14, 15, 16, 17, 18,  19, 80,  81,
                        82, 83, 84, 85, 86, 87, 88, 89, 255, 3,  170, 2};

// IAC DO BINARY, IAC WILL BINARY, IAC DONT COM-PORT.
const QByteArray NO_COM_PORT = QByteArray::fromHex("fffd00fffb00fffe2c");
const QString NO_SUCH_HOST = QStringLiteral("no-such-host.invalid");

using Outcome = SessionOutcome;
using Step = SessionStep;

// `reason`: %1 the host, %2 the port. ser2net is killed once `kill_at` bytes are done.
struct Row {
    Far far;
    bool read;
    Outcome outcome;
    Step step;
    QString reason;
    int done;
    int kill_at = -1;
    FaultOptions faults = {};
};

QString seconds(std::chrono::milliseconds limit)
{
    return QString::number(std::chrono::duration_cast<std::chrono::seconds>(limit).count());
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

    // The port name for the row, with whatever stands behind it started.
    QString far_end(Far far)
    {
        const auto url = [](const char *scheme, quint16 port) {
            return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(scheme)).arg(port);
        };
        if (far == Far::Raw || far == Far::Rfc2217) {
            m_ser2net.emplace();
            if (!m_ser2net->start(m_fx->module->port_name()))
                qFatal("ser2net: %s", qPrintable(m_ser2net->error()));
            if (!QTest::qWaitFor([this] { return m_ser2net->listening(); }))
                qFatal("ser2net does not listen");
            return far == Far::Raw ? m_ser2net->raw_url() : m_ser2net->rfc2217_url();
        }
        if (far == Far::NoSuchHost)
            return QStringLiteral("tcp://%1:4000").arg(NO_SUCH_HOST);
        QTcpServer &server = m_server.emplace();
        server.setListenBacklogSize(0);
        server.listen(QHostAddress::LocalHost);
        const quint16 port = server.serverPort();
        if (far == Far::Nothing) {
            server.close();
        } else if (far == Far::FullQueue) {
            server.pauseAccepting();
            m_filler.emplace().connectToHost(QHostAddress::LocalHost, port);
            if (!QTest::qWaitFor(
                    [this] { return m_filler->state() == QTcpSocket::ConnectedState; }))
                qFatal("the queue does not fill");
        } else if (far == Far::NoComPort) {
            connect(&server, &QTcpServer::newConnection, this, [&server] {
                QTcpSocket *client = server.nextPendingConnection();
                connect(client, &QTcpSocket::readyRead, client, [client] {
                    client->readAll();
                    client->write(NO_COM_PORT);
                });
            });
        }
        return url(far == Far::Nothing || far == Far::FullQueue ? "tcp" : "rfc2217", port);
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
        const Step open = Step::Open, config = Step::Configuration;
        // clang-format off
        //                      far             kind   outcome               step    reason  done
        row("raw, write",      {Far::Raw,       WRITE, Outcome::Success,     config, {},     24});
        row("raw, read",       {Far::Raw,       READ,  Outcome::Success,     config, {},     24});
        row("rfc2217, write",  {Far::Rfc2217,   WRITE, Outcome::Success,     config, {},     24});
        row("rfc2217, read",   {Far::Rfc2217,   READ,  Outcome::Success,     config, {},     24});
        // Gone while the run paces after the fourth byte.
        row("rfc2217, server killed",
                               {Far::Rfc2217,   WRITE, Outcome::PortFailure, config, CONNECTION_CLOSED, 4, 4});
        // The module's line drops as the fifth store arrives; ser2net hangs up.
        row("raw, module line dropped",
                               {Far::Raw,       WRITE, Outcome::PortFailure, config, CONNECTION_CLOSED, 4, -1,
                                {.drop_after = 10}});
        row("nothing listens", {Far::Nothing,   READ,  Outcome::PortFailure, open,   CONNECTION_REFUSED, 0});
        row("no such host",    {Far::NoSuchHost, READ, Outcome::PortFailure, open,   HOST_NOT_FOUND, 0});
        row("never connects",  {Far::FullQueue, READ,  Outcome::PortFailure, open,
                                NO_CONNECTION_IN_TIME.arg(u"%1", u"%2", seconds(CONNECT_TIME_LIMIT)), 0});
        row("no serial port control",
                               {Far::NoComPort, READ,  Outcome::PortFailure, open,   REFUSED_COM_PORT, 0});
        row("server never negotiates",
                               {Far::Mute,      READ,  Outcome::PortFailure, open,
                                NO_AGREEMENT_IN_TIME.arg(u"%1", u"%2", seconds(NEGOTIATION_TIME_LIMIT)), 0});
        // clang-format on
    }

    void runs()
    {
        QFETCH(Row, r);
        SessionFixture &fx = *m_fx;
        fx.core().set_faults(r.faults);
        const QString name = far_end(r.far);
        connect(&fx.session, &ModuleSession::progress, this, [&](const SessionProgress &event) {
            if (event.done == r.kill_at)
                m_ser2net->kill();
        });
        ModuleImage image;
        std::copy(IMAGE.begin(), IMAGE.end(), image.bytes.begin());
        QVERIFY(fx.run(r.read, image, name));
        const SessionResult &result = *fx.result;
        QCOMPARE(result.outcome, r.outcome);
        QCOMPARE(result.step, r.step);
        const PortAddress address = port_address(name);
        QCOMPARE(result.reason, QString(r.reason)
                                    .replace(QStringLiteral("%1"), address.host)
                                    .replace(QStringLiteral("%2"), QString::number(address.port)));
        QCOMPARE(result.done, r.done);
        // What went over the network is what the module holds, byte for byte.
        const QList<int> done = r.read ? BEFORE : IMAGE;
        QCOMPARE(QList<int>(result.image.bytes.begin(), result.image.bytes.begin() + r.done),
                 done.mid(0, r.done));
        const int stored = r.read ? 0 : r.done;
        QCOMPARE(fx.module_bytes(), IMAGE.mid(0, stored) + BEFORE.mid(stored));
    }
};

QTEST_GUILESS_MAIN(TestNetworkLinks)
#include "tst_network_links.moc"
