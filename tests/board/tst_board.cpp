// The station's board: where it listens, what it answers to each request over a real socket, how
// many browsers it takes and when it lets one go, and the page in headless Chromium against a
// station of emulated modules run by converter-cli's worker.

#include "board.h"
#include "cli_worker.h"
#include "config_record.h"
#include "module_server.h"
#include "panel_notation.h"
#include "whole_files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <netinet/in.h>
#include <netinet/tcp.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace
{

constexpr int TIMEOUT_MS = 30000;
const QString CHROMIUM = u"/usr/bin/chromium"_s;
const QStringList CHROMIUM_FLAGS{u"--headless"_s,
                                 u"--no-sandbox"_s,
                                 u"--disable-gpu"_s,
                                 u"--disable-quic"_s,
                                 u"--no-first-run"_s,
                                 u"--disable-background-networking"_s,
                                 u"--disable-component-update"_s,
                                 u"--disable-sync"_s,
                                 u"--virtual-time-budget=3000"_s};
const QString NORTH = u"IN1=B3 OUT1=C2 IN2=A1 OUT2=C3 L=1,0,0,0"_s;

// A port no one listens on now.
quint16 free_port()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

// Sends `request` on a fresh connection; all that comes back until the board closes it.
QByteArray exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    QByteArray reply;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { reply += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(request);
    const bool closed = QTest::qWaitFor(
        [&] { return socket.state() == QAbstractSocket::UnconnectedState; }, TIMEOUT_MS);
    return closed ? reply + socket.readAll() : QByteArray();
}

QByteArray get(const QByteArray &path, const QByteArray &headers = {})
{
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers +
           "Connection: close\r\n\r\n";
}

struct Ran {
    int code = -1;
    QString out, err;
};

// A station command line through the worker in this thread; `meanwhile` acts while it runs.
Ran run(const QStringList &arguments, const std::function<void(CliWorker &, Ran &)> &meanwhile)
{
    Ran ran;
    QTextStream out(&ran.out), err(&ran.err);
    CliWorker worker({out, err});
    QSignalSpy finished(&worker, &CliWorker::finished);
    worker.start(QStringList{u"converter-cli"_s} + arguments);
    meanwhile(worker, ran);
    if (QTest::qWaitFor([&] { return !finished.isEmpty(); }, TIMEOUT_MS))
        ran.code = finished.first().first().toInt();
    return ran;
}

} // namespace

class TestBoard : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(m_dir.path())); }
    void address_data();
    void address();
    void routes_data();
    void routes();
    void limits();
    void command_line_data();
    void command_line();
    void browser();
};

void TestBoard::address_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address"); // as a browser takes it; empty: refused
    QTest::addColumn<bool>("loopback");
    const auto row = [](const QString &text, const QString &address, bool loopback = false) {
        QTest::newRow(qPrintable(text)) << text << address << loopback;
    };
    row(u"8088"_s, u"127.0.0.1:8088"_s, true);
    row(u"65535"_s, u"127.0.0.1:65535"_s, true);
    row(u"127.0.0.2:1"_s, u"127.0.0.2:1"_s, true);
    row(u"[::1]:8088"_s, u"[::1]:8088"_s, true);
    row(u"[::ffff:127.0.0.1]:8088"_s, u"[::ffff:127.0.0.1]:8088"_s, true);
    row(u"0.0.0.0:8088"_s, u"0.0.0.0:8088"_s);
    row(u"192.0.2.7:80"_s, u"192.0.2.7:80"_s);
    row(u"[::]:8088"_s, u"[::]:8088"_s);
    for (const QString &refused :
         {u""_s, u"0"_s, u"65536"_s, u"80a"_s, u"+80"_s, u"::1:8088"_s, u"[127.0.0.1]:80"_s,
          u"localhost:8088"_s, u"1.2.3.4:"_s, u"[::1]8088"_s, u":8088"_s})
        row(refused, QString());
}

void TestBoard::address()
{
    QFETCH(QString, text);
    QFETCH(QString, address);
    const auto parsed = parse_board_address(text);
    QCOMPARE(parsed ? parsed->text() : QString(), address);
    if (parsed)
        QTEST(parsed->loopback(), "loopback");
}

void TestBoard::routes_data()
{
    QTest::addColumn<QByteArray>("request");   // {tag}: the state's current tag
    QTest::addColumn<QByteArrayList>("reply"); // its status line, then what else it holds
    QTest::addColumn<QByteArrayList>("absent");
    const QByteArray csp = "Content-Security-Policy: default-src 'none'; script-src 'self'; "
                           "style-src 'self'; connect-src 'self'";
    const auto row = [](const char *name, const QByteArray &request, const QByteArrayList &reply,
                        const QByteArrayList &absent = {}) {
        QTest::newRow(name) << request << reply << absent;
    };
    row("page", get("/"),
        {"HTTP/1.1 200 OK", "Content-Type: text/html", csp, "<script src=\"board.js\""});
    row("style", get("/board.css"), {"HTTP/1.1 200 OK", "Content-Type: text/css", ".tile.pass"});
    row("script", get("/board.js"), {"HTTP/1.1 200 OK", "text/javascript", "textContent"});
    row("state", get("/status.json"),
        {"HTTP/1.1 200 OK", "application/json", "ETag: \"", "\"ports\":[]", "\"recent\":[]"});
    row("unchanged state", get("/status.json", "If-None-Match: {tag}\r\n"),
        {"HTTP/1.1 304 Not Modified", "ETag: {tag}"}, {"Content-Length", "\"ports\""});
    row("changed state", get("/status.json", "If-None-Match: \"0-0\"\r\n"),
        {"HTTP/1.1 200 OK", "\"ports\""});
    row("HEAD", "HEAD / HTTP/1.1\r\nConnection: close\r\n\r\n",
        {"HTTP/1.1 200 OK", "Content-Length: "}, {"Content-Length: 0", "<"});
    row("two on one connection", "GET /status.json HTTP/1.1\r\n\r\n" + get("/board.css"),
        {"HTTP/1.1 200 OK", "Connection: keep-alive", "application/json\r\n", "Connection: close",
         "text/css"});
    row("lines ended by LF", "GET /board.js HTTP/1.0\n\n", {"HTTP/1.1 200 OK", "textContent"});
    for (const char *method : {"POST", "PUT", "DELETE", "OPTIONS", "TRACE", "get"})
        row(method, QByteArray(method) + " / HTTP/1.1\r\nContent-Length: 2\r\n\r\nab",
            {"HTTP/1.1 405 Method Not Allowed", "Allow: GET, HEAD", "Connection: close"});
    for (const char *path : {"/../status.json", "/%2e%2e/status.json", "//status.json",
                             "/./board.js", "/status.json?x=1", "/status.json/", "/index.html",
                             "/%62oard.js", "/board.js#", "http://board/status.json", "*"})
        row(path, get(path), {"HTTP/1.1 404 Not Found"}, {"ETag", "\"ports\"", "function"});
    // On a loopback address, a page of another site that reached here under its own name (DNS
    // rebinding) is refused; this machine's names are answered.
    for (const char *host : {"localhost:1", "[::1]:1", "127.0.0.2"})
        row(host, get("/status.json", "Host: " + QByteArray(host) + "\r\n"), {"HTTP/1.1 200 OK"});
    row("another site's name", get("/status.json", "Host: board.example.com:8088\r\n"),
        {"HTTP/1.1 421 Misdirected Request"}, {"\"ports\""});
    row("no request line", "\r\n\r\n", {"HTTP/1.1 400 Bad Request"});
    row("a header without a name", "GET / HTTP/1.1\r\n: x\r\n\r\n", {"HTTP/1.1 400 Bad Request"});
    row("HTTP/2", "GET / HTTP/2.0\r\n\r\n", {"HTTP/1.1 505 HTTP Version Not Supported"});
    // A head longer than 8 KiB is never read to its end.
    row("8 KiB head", get("/board.css", "X: " + QByteArray(8100, 'a') + "\r\n"),
        {"HTTP/1.1 200 OK"});
    row("head over 8 KiB", "GET / HTTP/1.1\r\nX: " + QByteArray(8200, 'a'),
        {"HTTP/1.1 431 Request Header Fields Too Large", "Connection: close"});
}

void TestBoard::routes()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArrayList, reply);
    AuditLog log;
    Station station(log);
    Board board(station, u"s.log"_s);
    QVERIFY(board.listen({QHostAddress::LocalHost, 0}));
    const quint16 port = board.server().port();
    const QByteArray state = exchange(port, get("/status.json"));
    const QByteArray tag = state.mid(state.indexOf("ETag: ") + 6).split('\r').first();
    const QByteArray answer = exchange(port, request.replace("{tag}", tag));
    QVERIFY2(answer.startsWith(reply.first()), answer.constData());
    for (QByteArray part : reply)
        QVERIFY2(answer.contains(part.replace("{tag}", tag)), part.constData());
    QFETCH(QByteArrayList, absent);
    for (const QByteArray &part : absent)
        QVERIFY2(!answer.contains(part), part.constData());
}

// 32 browsers at once; the next is told the board is busy, and taken once one has gone. A
// connection with no request, or whose reader stalls, is closed after the idle limit, while
// others are answered meanwhile.
void TestBoard::limits()
{
    AuditLog log;
    Station station(log);
    BoardLimits limits;
    limits.idle = 2s;
    Board board(station, u"s.log"_s, limits);
    QVERIFY(board.listen({QHostAddress::LocalHost, 0}));
    const quint16 port = board.server().port();
    std::vector<std::unique_ptr<QTcpSocket>> open;
    for (int i = 0; i < 32; ++i) {
        auto &socket = *open.emplace_back(std::make_unique<QTcpSocket>());
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.write("GET / HTTP/1.1\r\n"); // an unfinished head keeps a connection taken
        QVERIFY(socket.waitForConnected());
    }
    QTRY_VERIFY(exchange(port, get("/")).startsWith("HTTP/1.1 503 Service Unavailable"));
    open.back()->abort();
    QTRY_VERIFY(exchange(port, get("/")).startsWith("HTTP/1.1 200 OK"));
    // The unfinished heads are dropped at the idle limit.
    QTRY_VERIFY_WITH_TIMEOUT(open.front()->state() == QAbstractSocket::UnconnectedState,
                             TIMEOUT_MS);

    // A reader that takes nothing: answers wait for it, one at a time, until it is let go. What
    // came stays unread, so the end shows in the system's state of the connection.
    QTcpSocket stalled;
    stalled.setReadBufferSize(1);
    stalled.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(stalled.waitForConnected());
    for (int i = 0; i < 5000; ++i)
        stalled.write("GET / HTTP/1.1\r\n\r\n");
    QTRY_VERIFY(stalled.bytesAvailable() > 0);
    QVERIFY(exchange(port, get("/status.json")).startsWith("HTTP/1.1 200 OK"));
    const auto closed = [&] {
        tcp_info info{};
        socklen_t size = sizeof info;
        ::getsockopt(static_cast<int>(stalled.socketDescriptor()), IPPROTO_TCP, TCP_INFO, &info,
                     &size);
        return info.tcpi_state == TCP_CLOSE;
    };
    QTRY_VERIFY_WITH_TIMEOUT(closed(), TIMEOUT_MS);
}

void TestBoard::command_line_data()
{
    QTest::addColumn<QString>("board"); // {free}: a port no one listens on, {held}: one held
    QTest::addColumn<int>("exit_code");
    QTest::addColumn<QString>("err");
    QTest::newRow("no port") << u"--board localhost"_s << 2
                             << u"converter-cli: --board localhost: give a port from 1 to 65535 "
                                "(8088), or an IP address and a port (0.0.0.0:8088, "
                                "[::1]:8088)\n"_s;
    QTest::newRow("twice") << u"--board 1 --board 2"_s << 2
                           << u"converter-cli: --board is given twice; give it once\n"_s;
    QTest::newRow("in use") << u"--board {held}"_s << 2
                            << u"converter-cli: --board 127.0.0.1:{held}: another program "
                               "listens there; choose another port\n"_s;
    QTest::newRow("loopback") << u"--board {free}"_s << 0 << QString();
    QTest::newRow("open to the network")
        << u"--board 0.0.0.0:{free}"_s << 0
        << u"converter-cli: warning: the board on 0.0.0.0:{free} has no password and shows file "
           "names and ports to whoever can reach it\n"_s;
}

// The board's option on a station whose one module must not be touched by a refused command
// line; one that runs is stopped at once.
void TestBoard::command_line()
{
    QFETCH(QString, board);
    QFETCH(QString, err);
    QTcpServer held;
    QVERIFY(held.listen(QHostAddress::LocalHost));
    const QString free = QString::number(free_port()), taken = QString::number(held.serverPort());
    emulator::ModuleServer module;
    QVERIFY(module.open_pty());
    QSignalSpy frames(&module, &emulator::ModuleServer::frame_logged);
    QVERIFY(put_file(u"f.olc"_s, write_config_record(record_of(NORTH)).bytes));
    const QStringList arguments =
        QString(u"station f.olc --log s.log --port "_s + module.port_name() + u' ' + board)
            .replace(u"{free}"_s, free)
            .replace(u"{held}"_s, taken)
            .split(u' ');
    const Ran ran = run(arguments, [](CliWorker &worker, Ran &) { worker.interrupt(); });
    QTEST(ran.code, "exit_code");
    QCOMPARE(ran.err, QString(err).replace(u"{free}"_s, free).replace(u"{held}"_s, taken));
    if (ran.code != 0)
        QVERIFY(frames.isEmpty());
}

// Two modules, one of which answers a read with markup, programmed by a station whose board the
// browser draws: the state as JSON, then the page as Chromium leaves it.
void TestBoard::browser()
{
    emulator::ModuleServer good, marked;
    QVERIFY(good.open_pty() && marked.open_pty());
    emulator::FaultOptions markup;
    markup.raw_replies = {{3, "<b>0V"}};
    marked.core().set_faults(markup);
    QVERIFY(put_file(u"f.olc"_s, write_config_record(record_of(NORTH)).bytes));
    const QString address = u"127.0.0.1:%1"_s.arg(free_port());
    const QString url = u"http://%1/"_s.arg(address);
    QJsonObject state;
    QString page;
    run({u"station"_s, u"f.olc"_s, u"--log"_s, u"s.log"_s, u"--port"_s, good.port_name(),
         u"--port"_s, marked.port_name(), u"--board"_s, address},
        [&](CliWorker &worker, Ran &ran) {
            QTRY_VERIFY_WITH_TIMEOUT(ran.out.contains(u" PASS "_s) && ran.out.contains(u" FAIL "_s),
                                     TIMEOUT_MS);
            QNetworkAccessManager network;
            QNetworkReply *reply = network.get(QNetworkRequest(QUrl(url + u"status.json"_s)));
            QTRY_VERIFY(reply->isFinished());
            state = QJsonDocument::fromJson(reply->readAll()).object();
            QTemporaryDir profile;
            QProcess chromium;
            chromium.start(CHROMIUM,
                           CHROMIUM_FLAGS + QStringList{u"--user-data-dir="_s + profile.path(),
                                                        u"--dump-dom"_s, url});
            QTRY_VERIFY_WITH_TIMEOUT(chromium.state() == QProcess::NotRunning, TIMEOUT_MS);
            page = QString::fromUtf8(chromium.readAllStandardOutput());
            worker.interrupt();
        });

    QCOMPARE(state[u"file"_s].toString(), u"f.olc"_s);
    QCOMPARE(state[u"log"_s].toString(), u"s.log"_s);
    QCOMPARE(state[u"passed"_s].toInt(), 1);
    QCOMPARE(state[u"failed"_s].toInt(), 1);
    const QJsonArray ports = state[u"ports"_s].toArray();
    QCOMPARE(ports[0][u"state"_s].toString(), u"pass"_s);
    QCOMPARE(ports[0][u"passed"_s].toInt(), 1);
    QCOMPARE(ports[1][u"state"_s].toString(), u"fail"_s);
    QCOMPARE(ports[1][u"last"_s][u"outcome"_s].toString(), u"bad_data"_s);
    QVERIFY(ports[1][u"last"_s][u"detail"_s].toString().contains(u"|<b>0V|"_s));
    QCOMPARE(state[u"recent"_s].toArray().size(), 2);
    QCOMPARE(state[u"recent"_s][0], ports[0][u"last"_s]); // newest first

    // Each tile in words; the reply's markup shown as the characters it is.
    const auto tile = [&](const QString &state, const QString &port, const QString &words) {
        return QRegularExpression(u"<article class=\"tile %1\">\\s*<h2 class=\"port\">%2</h2>.*?"
                                  "<p class=\"state\">%3</p>"_s.arg(state, port, words),
                                  QRegularExpression::DotMatchesEverythingOption);
    };
    QVERIFY2(page.contains(tile(u"pass"_s, good.port_name(), u"PASS"_s)), qPrintable(page));
    QVERIFY2(page.contains(tile(u"fail"_s, marked.port_name(), u"FAIL"_s)), qPrintable(page));
    QVERIFY(page.contains(u"|&lt;b&gt;0V|"_s));
    QVERIFY(!page.contains(u"<b>"_s));
}

QTEST_GUILESS_MAIN(TestBoard)
#include "tst_board.moc"
