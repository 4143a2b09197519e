// The module emulator: its replies and faults as the command line sets them, serving it on a
// pseudo-terminal, and the converter-emulator program with its memory files.

#include "emulator_options.h"
#include "memory_image.h"
#include "module_core.h"
#include "module_server.h"

#include <QtTest>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using namespace emulator;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace
{

constexpr int PROGRAM_TIMEOUT_MS = 10000;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// "D000D", "D@100 + 000D@130" (each piece at its delay), "<drop>".
QString describe(const QList<ReplyPiece> &pieces)
{
    QStringList parts;
    for (const ReplyPiece &piece : pieces) {
        parts.append(piece.drop_line ? u"<drop>"_s : QString::fromLatin1(piece.bytes));
        if (piece.delay > 0ms)
            parts.last() += u"@%1"_s.arg(piece.delay.count());
    }
    return parts.join(u" + "_s);
}

// The options of a converter-emulator command line serving a pty, e.g. "--delay 30 --pieces 1".
std::optional<EmulatorOptions> parse_options(const QString &options, QString *error)
{
    QCommandLineParser parser;
    add_emulator_options(parser);
    if (parser.parse(QStringList{u"converter-emulator"_s, u"--pty"_s} +
                     options.split(u' ', Qt::SkipEmptyParts)))
        return emulator_options(parser, error);
    *error = parser.errorText();
    return std::nullopt;
}

// The far end of a line, with plain POSIX calls.
struct LineEnd {
    explicit LineEnd(const QString &path)
        : fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~LineEnd() { ::close(fd); }
    bool send(const QByteArray &data)
    {
        return ::write(fd, data.constData(), static_cast<size_t>(data.size())) == data.size();
    }
    // Everything received so far; a read giving EOF or EIO marks the hang-up.
    QByteArray received()
    {
        char buffer[256];
        ssize_t got = 0;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, got);
        hung_up = hung_up || got == 0 || (got < 0 && errno == EIO);
        return bytes;
    }
    int fd;
    QByteArray bytes;
    bool hung_up = false;
};

} // namespace

class TestEmulator : public QObject
{
    Q_OBJECT
private slots:
    void module_data();
    void module();
    void pty_server_data();
    void pty_server();
    void program_data();
    void program();
    void program_refuses_data();
    void program_refuses();
};

void TestEmulator::module_data()
{
    QTest::addColumn<QString>("options"); // the faults, as given to converter-emulator
    QTest::addColumn<QString>("chunks");  // hex, the chunks fed one by one between bars
    QTest::addColumn<QString>("replies"); // one per chunk, as describe() has it
    // "A" 41; store "S" 0 [a] 0 v "D" 53 00 aa 00 vv 44; read "V" 0 [a] "00V" 56 00 aa 30 30 56.
    const QString store_read_5 = u"530005001F44|560005303056"_s; // [5] = 31, read [5]
    QTest::newRow("attention") << QString() << u"41"_s << u"D000D"_s;
    QTest::newRow("store then read") << QString() << store_read_5 << u"D000D|0310V"_s;
    QTest::newRow("identity") << QString() << u"56003F303056"_s << u"0310V"_s;
    QTest::newRow("byte by byte") << QString() << u"56|00|3F|30|30|56"_s << u"|||||0310V"_s;
    QTest::newRow("noise before attention") << QString() << u"7A0D41"_s << u"D000D"_s;
    QTest::newRow("attention byte as data") // [5] = 65, the "A"
        << QString() << u"530005004144|560005303056"_s << u"D000D|0650V"_s;
    QTest::newRow("torn store, then read") << QString() << u"530005|560005303056"_s << u"|0000V"_s;

    QTest::newRow("silent") << u"--silent"_s << u"41|"_s + store_read_5 << u"||"_s;
    QTest::newRow("answers the third A")
        << u"--answer-from 3"_s << u"41|41|41|41"_s << u"||D000D|D000D"_s;
    QTest::newRow("other identity") << u"--identity 30"_s << u"56003F303056"_s << u"0300V"_s;
    QTest::newRow("addresses read back other values")
        << u"--read-value 12=17 --read-value 22=300"_s
        << u"53000C000544|56000C303056|560016303056"_s << u"D000D|0170V|3000V"_s;
    QTest::newRow("raw reply") << u"--raw-reply 22=3000V"_s << u"560016303056|560005303056"_s
                               << u"3000V|0000V"_s;
    QTest::newRow("short replies") << u"--short 3"_s << u"41|56003F303056"_s << u"D00|031"_s;
    QTest::newRow("extra characters, escaped")
        << uR"(--extra \x58\\)"_s << u"41|56003F303056"_s << uR"(D000DX\|0310VX\)"_s;
    QTest::newRow("lower-case acknowledgement")
        << u"--lower-case-ack"_s << u"41|"_s + store_read_5 << u"D000d|D000d|0310V"_s;
    QTest::newRow("no store kept") << u"--forget all"_s << store_read_5 << u"D000D|0000V"_s;
    QTest::newRow("store to one address not kept")
        << u"--forget 5"_s << u"530005001F44|530006001F44|560005303056|560006303056"_s
        << u"D000D|D000D|0000V|0310V"_s;
    QTest::newRow("drop at the first frame")
        << u"--drop-after 0"_s << u"560005303056"_s << u"<drop>"_s;
    QTest::newRow("drop inside a chunk")
        << u"--drop-after 1"_s << u"414141"_s << u"D000D + <drop>"_s;
    QTest::newRow("late, in pieces")
        << u"--delay 100 --pieces 1 --piece-gap 30"_s << u"41"_s << u"D@100 + 000D@130"_s;
    QTest::newRow("reply byte by byte") << u"--pieces 1,1,1,1 --piece-gap 5"_s << u"56003F303056"_s
                                        << u"0 + 3@5 + 1@10 + 0@15 + V@20"_s;
    QTest::newRow("pieces longer than the reply") << u"--pieces 2,10"_s << u"41"_s << u"D0 + 00D"_s;
    // At 9600 baud a byte takes 1.04 ms: a frame arrives after its length in byte times, and
    // each reply byte one byte time after the one before it (whole milliseconds, rounded).
    QTest::newRow("line rate: attention")
        << u"--line-rate"_s << u"41"_s << u"D@2 + 0@3 + 0@4 + 0@5 + D@6"_s;
    QTest::newRow("line rate: read")
        << u"--line-rate"_s << u"56003F303056"_s << u"0@7 + 3@8 + 1@9 + 0@10 + V@11"_s;
    QTest::newRow("line rate: frame fed byte by byte")
        << u"--line-rate"_s << u"56|00|3F|30|30|56"_s << u"|||||0@7 + 3@8 + 1@9 + 0@10 + V@11"_s;
    // The second "A" arrives a byte time after the first; its reply waits for the first one's.
    QTest::newRow("line rate: two frames in one chunk")
        << u"--line-rate"_s << u"4141"_s
        << u"D@2 + 0@3 + 0@4 + 0@5 + D@6 + D@7 + 0@8 + 0@9 + 0@10 + D@11"_s;
    QTest::newRow("line rate, late")
        << u"--line-rate --delay 100"_s << u"41"_s << u"D@102 + 0@103 + 0@104 + 0@105 + D@106"_s;
    QTest::newRow("line rate, in pieces") << u"--line-rate --pieces 2 --piece-gap 10"_s << u"41"_s
                                          << u"D@2 + 0@3 + 0@12 + 0@13 + D@14"_s;
    QTest::newRow("line rate: drop once the frame is in")
        << u"--line-rate --drop-after 0"_s << u"41"_s << u"<drop>@1"_s;
}

void TestEmulator::module()
{
    QFETCH(QString, options);
    QFETCH(QString, chunks);
    QFETCH(QString, replies);
    QString error;
    const auto parsed = parse_options(options, &error);
    QVERIFY2(parsed, qPrintable(error));
    ModuleCore core(parsed->faults);
    QStringList got;
    for (const QString &chunk : chunks.split(u'|'))
        got.append(describe(core.feed(QByteArray::fromHex(chunk.toLatin1()))));
    QCOMPARE(got.join(u'|'), replies);
    // Faults change what the module reports, never its memory.
    QCOMPARE(core.byte_at(IDENTITY_ADDRESS), IDENTITY_CODE);
}

void TestEmulator::pty_server_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    // A cooked pty would drop or mangle NUL and 0xFF, in either direction.
    QTest::newRow("zero and FF bytes")
        << QString() << hex("53000000FF44 560000303056 5300FF000044 5600FF303056")
        << QByteArray("D000D2550VD000D0000V");
    QTest::newRow("zero and FF in a reply")
        << uR"(--raw-reply 7=\x00\xff0V)"_s << hex("560007303056") << hex("00FF3056");
    QTest::newRow("late replies") << u"--delay 30"_s << hex("41 56003F303056")
                                  << QByteArray("D000D0310V");
    // The second reply's first piece is due before the first reply's last: it waits its turn.
    QTest::newRow("replies keep their order")
        << u"--pieces 1 --piece-gap 30"_s << hex("41 41") << QByteArray("D000DD000D");
    QTest::newRow("line drop") << u"--drop-after 1"_s << hex("530005001F44") << QByteArray("D000D");
}

void TestEmulator::pty_server()
{
    QFETCH(QString, options);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QString error;
    const auto parsed = parse_options(options, &error);
    QVERIFY2(parsed, qPrintable(error));
    const bool drops = parsed->faults.drop_after.has_value();
    ModuleServer server;
    server.core().set_faults(parsed->faults);
    QSignalSpy dropped(&server, &ModuleServer::line_dropped);
    QVERIFY2(server.open_pty(), qPrintable(server.error_string()));
    {
        LineEnd client(server.port_name());
        QVERIFY(client.send(request));
        QTRY_COMPARE(client.received(), reply);
        // The line-drop fault hangs up on the next frame: the client reads EOF or EIO.
        QVERIFY(!drops || client.send(hex("41")));
        QTRY_COMPARE((client.received(), client.hung_up), drops);
        QCOMPARE(dropped.count(), drops ? 1 : 0);
    }
    // A client leaving keeps the line; a dropped one reopens on a new pty with the memory kept
    // and the fault counters reset.
    if (!server.is_open())
        QVERIFY2(server.open_pty(), qPrintable(server.error_string()));
    LineEnd next(server.port_name());
    QVERIFY(next.send(hex("560005303056"))); // read [5], stored only by the line-drop row
    QTRY_COMPARE(next.received(), QByteArray(drops ? "0310V" : "0000V"));
}

void TestEmulator::program_data()
{
    QTest::addColumn<int>("signal_number");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestEmulator::program()
{
    QFETCH(int, signal_number);
    QTemporaryDir dir;
    const QString link = dir.filePath(u"COM1"_s);
    const QString load = dir.filePath(u"load.txt"_s);
    const QString dump = dir.filePath(u"dump.txt"_s);
    ModuleCore start;
    start.set_byte(6, 42);
    QFile load_file(load);
    QVERIFY(load_file.open(QIODevice::WriteOnly));
    load_file.write(format_memory_image(start.memory()).toLower());
    load_file.close();

    QProcess program;
    // As under sudo: an emulator running as root hands its pty to the user who called sudo.
    constexpr uint SUDO_USER = 4242;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"SUDO_UID"_s, QString::number(SUDO_USER));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(EMULATOR_PROGRAM),
                  {u"--pty"_s, u"--link"_s, link, u"--load"_s, load, u"--dump"_s, dump});
    QTRY_VERIFY_WITH_TIMEOUT(program.canReadLine(), PROGRAM_TIMEOUT_MS);
    const QString pty = QString::fromLocal8Bit(program.readLine()).trimmed();
    QVERIFY2(pty.startsWith(u"/dev/pts/"_s), qPrintable(pty));
    QCOMPARE(QFileInfo(link).symLinkTarget(), pty);
    if (::geteuid() == 0)
        QCOMPARE(QFileInfo(pty).ownerId(), SUDO_USER);

    LineEnd client(link);
    QVERIFY(client.send(hex("41 53000500FF44 560005303056 560006303056"))); // [5] = 255
    QTRY_COMPARE(client.received(), QByteArray("D000DD000D2550V0420V"));

    QCOMPARE(::kill(static_cast<pid_t>(program.processId()), signal_number), 0);
    QVERIFY(program.waitForFinished(PROGRAM_TIMEOUT_MS));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QTRY_VERIFY((client.received(), client.hung_up));
    // Each frame is logged in hex and text.
    QVERIFY(program.readAllStandardError().contains("<- 56 00 06 30 30 56  |V..00V|"));

    QFile dump_file(dump);
    QVERIFY(dump_file.open(QIODevice::ReadOnly));
    QString error;
    const auto memory = parse_memory_image(dump_file.readAll(), &error);
    QVERIFY2(memory, qPrintable(error));
    auto expected = start.memory();
    expected[5] = 255;
    QCOMPARE(*memory, expected);
}

void TestEmulator::program_refuses_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QByteArray>("memory"); // given with --load when not empty
    QTest::addColumn<QString>("message");
    const QByteArray full = QByteArray("00 ").repeated(MEMORY_SIZE);
    QTest::newRow("neither pty nor device")
        << QString() << QByteArray() << u"give either --pty or a device path"_s;
    QTest::newRow("link without pty")
        << u"--link /tmp/x /dev/ttyS0"_s << QByteArray() << u"--link needs --pty"_s;
    QTest::newRow("identity too big") << u"--pty --identity 256"_s << QByteArray()
                                      << u"--identity: \"256\" is not a number from 0 to 255"_s;
    QTest::newRow("cut escape") << uR"(--pty --raw-reply 1=\x1)"_s << QByteArray()
                                << uR"(--raw-reply: bad escape in "1=\x1")"_s;
    QTest::newRow("missing device") << u"/dev/no-such-serial-port"_s << QByteArray()
                                    << u"cannot open /dev/no-such-serial-port"_s;
    QTest::newRow("memory one byte short")
        << u"--pty"_s << full.first(3 * (MEMORY_SIZE - 1)) << u"255 bytes instead of 256"_s;
    QTest::newRow("memory byte with a sign")
        << u"--pty"_s << "+1 " + full << u"line 1: \"+1\" is not a hex byte"_s;
}

void TestEmulator::program_refuses()
{
    QFETCH(QString, arguments);
    QFETCH(QByteArray, memory);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QStringList list = arguments.split(u' ', Qt::SkipEmptyParts);
    if (!memory.isEmpty()) {
        QFile file(dir.filePath(u"memory.txt"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(memory) == memory.size());
        list << u"--load"_s << file.fileName();
    }
    QProcess program;
    program.start(QStringLiteral(EMULATOR_PROGRAM), list);
    QVERIFY(program.waitForFinished(PROGRAM_TIMEOUT_MS));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    QCOMPARE(program.readAllStandardOutput(), QByteArray());
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2(errors.contains(message), qPrintable(errors));
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"
