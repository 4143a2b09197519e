// converter-cli probe on a port whose host name the name server never answers: how long the
// process lives, left to the connect limit and stopped with Ctrl-C once it is connecting. The
// name server is a UDP socket of this program on a loopback address of its own that reads
// nothing; converter-cli runs in a mount namespace where /etc/resolv.conf names only it, with the
// system resolver's longest wait (30 s, twice). Needs root (port 53, the mount namespace).

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QProcess>
#include <QRandomGenerator>
#include <QUdpSocket>
#include <csignal>
#include <cstdio>

namespace
{

constexpr quint16 NAME_SERVER_PORT = 53;
constexpr int LIMIT_MS = 90000;
const QString PORT = QStringLiteral("tcp://module-7.plant:2000");
const QString RESOLVER = QStringLiteral("nameserver %1\noptions timeout:30 attempts:2\n");
const QString IN_NAMESPACE =
    QStringLiteral("f=$(mktemp) && printf \"$0\" > $f && mount --bind $f /etc/resolv.conf "
                   "&& rm $f && exec \"$@\"");
// The traffic log's first line for the port: the lookup has begun.
const QByteArray CONNECTING = "connecting";

void run(const QString &resolver, bool interrupt)
{
    QProcess cli;
    cli.setReadChannel(QProcess::StandardError);
    QElapsedTimer wall;
    wall.start();
    cli.start(QStringLiteral("unshare"),
              {QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"), IN_NAMESPACE,
               resolver, QCoreApplication::applicationDirPath() + QStringLiteral("/converter-cli"),
               QStringLiteral("probe"), QStringLiteral("--port"), PORT, QStringLiteral("--trace"),
               QStringLiteral("-")});
    QByteArray log;
    while (interrupt && !log.contains(CONNECTING) && cli.waitForReadyRead(LIMIT_MS))
        log += cli.readAllStandardError();
    const double at = static_cast<double>(wall.elapsed()) / 1000.0;
    if (interrupt)
        ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    const bool ended = cli.waitForFinished(LIMIT_MS);
    std::printf("%-22s %s after %.1f s (exit code %d): %s",
                interrupt ? "Ctrl-C when connecting" : "left to the limit",
                ended ? "ended" : "STILL RUNNING", static_cast<double>(wall.elapsed()) / 1000.0,
                cli.exitCode(), cli.readAllStandardOutput().constData());
    if (interrupt)
        std::printf("%-22s (Ctrl-C sent after %.1f s)\n", "", at);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QHostAddress address(0x7f000001 + 2 * QRandomGenerator::global()->bounded(1, 1 << 22));
    QUdpSocket name_server;
    if (!name_server.bind(address, NAME_SERVER_PORT)) {
        std::printf("cannot listen on %s port 53: run as root\n", qPrintable(address.toString()));
        return 1;
    }
    const QString resolver = RESOLVER.arg(address.toString());
    run(resolver, false);
    run(resolver, true);
    return 0;
}
