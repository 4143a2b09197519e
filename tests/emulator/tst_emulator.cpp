// The module emulator: its replies and faults as the command line sets them, fed to it and on a
// pseudo-terminal it serves, and the converter-emulator program with its memory files.

#include "emulator_options.h"
#include "memory_image.h"
#include "module_core.h"
#include "module_server.h"
#include "whole_files.h"

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

// "D000D", "D@100 + 000D@130" (each piece at its delay), "<drop>"; the bytes go to *bytes.
QString describe(const QList<ReplyPiece> &pieces, QByteArray *bytes)
{
    QStringList parts;
    for (const ReplyPiece &piece : pieces) {
        *bytes += piece.bytes;
        parts.append(piece.drop_line ? u"<drop>"_s : QString::fromLatin1(piece.bytes));
        if (piece.delay > 0ms)
            parts.last() += u"@%1"_s.arg(piece.delay.count());
    }
    return parts.join(u" + "_s);
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
    void module_data()
    {
        QTest::addColumn<QString>("options"); // the faults, as given to converter-emulator
        QTest::addColumn<QString>("chunks");  // hex, the chunks fed one by one between bars
        QTest::addColumn<QString>("replies"); // one per chunk, as describe() has it
        const auto row = [](const char *name, const QString &options, const QString &chunks,
                            const QString &replies) {
            QTest::newRow(name) << options << chunks << replies;
        };
        // "A" 41; store "S" 0 [a] 0 v "D" 53 00 aa 00 vv 44; read "V" 0 [a] "00V" 56 00 aa 3030 56.
        const QString store_read_5 = u"530005001F44|560005303056"_s; // [5] = 31, read [5]
        // clang-format off
        row("attention, store, read, identity", {}, u"41|"_s + store_read_5 + u"|56003F303056"_s,
            u"D000D|D000D|0310V|0310V"_s);
        // Noise, a store torn off by the next one, and an "A" as a store's value.
        row("back in step", {}, u"7A0D41|530005|530006004144|560006303056"_s,
            u"D000D||D000D|0650V"_s);
        row("silent", u"--silent"_s, u"41|"_s + store_read_5, u"||"_s);
        row("answers the third A", u"--answer-from 3"_s, u"41|41|41|41"_s, u"||D000D|D000D"_s);
        row("reads report other values",
            u"--identity 30 --read-value 12=17 --read-value 20=300 --raw-reply 22=3000X"_s,
            u"56003F303056|53000C000544|56000C303056|560014303056|560016303056|560005303056"_s,
            u"0300V|D000D|0170V|3000V|3000X|0000V"_s);
        row("short replies with extra characters, escaped", uR"(--short 3 --extra \x58\\)"_s,
            u"41|56003F303056"_s, uR"(D00X\|031X\)"_s);
        row("lower-case acknowledgement, a store to one address not kept",
            u"--lower-case-ack --forget 5"_s,
            u"530005001F44|530006001F44|560005303056|560006303056"_s, u"D000d|D000d|0000V|0310V"_s);
        row("no store kept", u"--forget all"_s, store_read_5, u"D000D|0000V"_s);
        // NUL and 0xFF travel as bytes like any other (a cooked pseudo-terminal would mangle them).
        row("zero and FF bytes", uR"(--raw-reply 7=\x00\xff0V)"_s,
            u"53000000FF44|560000303056|5300FF000044|5600FF303056|560007303056"_s,
            u"D000D|2550V|D000D|0000V|\0\u00ff0V"_s);
        // The second frame of a chunk arrives on a line that is gone.
        row("drop", u"--drop-after 1"_s, u"530005001F44|4141"_s, u"D000D|<drop>"_s);
        // The second reply's first piece is due before the first reply's last: it waits its turn.
        row("late, in pieces", u"--delay 100 --pieces 1,2 --piece-gap 30"_s, u"4141"_s,
            u"D@100 + 00@130 + 0D@160 + D@100 + 00@130 + 0D@160"_s);
        // At 9600 baud a byte takes 1.04 ms: a frame arrives after its length in byte times (fed
        // byte by byte too), and each reply byte one byte time after the one before it, the second
        // "A" of a chunk a byte time after the first, its reply after the first one's (whole
        // milliseconds, rounded).
        row("line rate", u"--line-rate"_s, u"56|00|3F|30|30|56|4141"_s,
            u"|||||0@7 + 3@8 + 1@9 + 0@10 + V@11|D@2 + 0@3 + 0@4 + 0@5 + D@6 + D@7 + 0@8 + 0@9 + "
            "0@10 + D@11"_s);
        row("line rate, late, in pieces", u"--line-rate --delay 100 --pieces 2 --piece-gap 10"_s,
            u"41"_s, u"D@102 + 0@103 + 0@112 + 0@113 + D@114"_s);
        row("line rate: drop once the frame is in", u"--line-rate --drop-after 0"_s, u"41"_s,
            u"<drop>@1"_s);
        // clang-format on
    }

    // Each chunk fed to the module, and sent to the same module served on a raw pseudo-terminal,
    // where the bytes come back at their time and in their order, and a dropped line hangs up
    // (the client reads EOF or EIO).
    void module()
    {
        QFETCH(QString, options);
        QFETCH(QString, chunks);
        QCommandLineParser parser;
        add_emulator_options(parser);
        QString error;
        QVERIFY2(parser.parse(QStringList{u"converter-emulator"_s, u"--pty"_s} +
                              options.split(u' ', Qt::SkipEmptyParts)),
                 qPrintable(parser.errorText()));
        const auto parsed = emulator_options(parser, &error);
        QVERIFY2(parsed, qPrintable(error));
        ModuleCore core(parsed->faults);
        ModuleServer server;
        server.core().set_faults(parsed->faults);
        QSignalSpy dropped(&server, &ModuleServer::line_dropped);
        QVERIFY2(server.open_pty(), qPrintable(server.error_string()));
        QStringList got;
        bool drops = false;
        {
            LineEnd client(server.port_name());
            QByteArray expected;
            for (const QString &chunk : chunks.split(u'|')) {
                const QByteArray bytes = QByteArray::fromHex(chunk.toLatin1());
                got.append(describe(core.feed(bytes), &expected));
                drops |= got.last().contains(u"<drop>"_s);
                QVERIFY(client.send(bytes));
                QTRY_COMPARE(client.received(), expected);
            }
            QTRY_COMPARE((client.received(), client.hung_up), drops);
        }
        QTEST(got.join(u'|'), "replies");
        QCOMPARE(dropped.count(), drops ? 1 : 0);
        // Faults change what the module reports, never its memory. The line stays for the next
        // client; a dropped one reopens on a new pty with the fault counters reset.
        QCOMPARE(core.byte_at(IDENTITY_ADDRESS), IDENTITY_CODE);
        if (drops) {
            core.reset_session();
            QVERIFY2(server.open_pty(), qPrintable(server.error_string()));
        }
        LineEnd next(server.port_name());
        const QByteArray read_5 = QByteArray::fromHex("560005303056");
        QByteArray answer;
        describe(core.feed(read_5), &answer);
        QVERIFY(next.send(read_5));
        QTRY_COMPARE(next.received(), answer);
    }

    void program_data()
    {
        QTest::addColumn<QString>("arguments"); // {dir}: a folder of the test's own
        QTest::addColumn<QByteArray>("memory"); // given with --load when not empty
        QTest::addColumn<int>("signal_number"); // 0: refused at the start
        QTest::addColumn<QString>("message");   // among what it writes on standard error
        const auto row = [](const char *name, const QString &arguments, const QByteArray &memory,
                            int signal_number, const QString &message) {
            QTest::newRow(name) << arguments << memory << signal_number << message;
        };
        ModuleCore start;
        start.set_byte(6, 42);
        const QByteArray loaded = format_memory_image(start.memory()).toLower();
        const QString serve = u"--pty --link {dir}/COM1 --dump {dir}/dump.txt"_s;
        const QByteArray zeros = QByteArray("00 ").repeated(MEMORY_SIZE);
        const QString frame = u"<- 56 00 06 30 30 56  |V..00V|"_s; // the last one the test sends
        row("stopped by SIGTERM", serve, loaded, SIGTERM, frame);
        row("stopped by SIGINT", serve, loaded, SIGINT, frame);
        row("neither pty nor device", {}, {}, 0, u"give either --pty or a device path"_s);
        row("link without pty", u"--link /tmp/x /dev/ttyS0"_s, {}, 0, u"--link needs --pty"_s);
        row("identity too big", u"--pty --identity 256"_s, {}, 0,
            u"--identity: \"256\" is not a number from 0 to 255"_s);
        row("cut escape", uR"(--pty --raw-reply 1=\x1)"_s, {}, 0,
            uR"(--raw-reply: bad escape in "1=\x1")"_s);
        row("missing device", u"/dev/no-such-serial-port"_s, {}, 0,
            u"cannot open /dev/no-such-serial-port"_s);
        row("memory one byte short", u"--pty"_s, zeros.first(3 * (MEMORY_SIZE - 1)), 0,
            u"255 bytes instead of 256"_s);
        row("memory byte with a sign", u"--pty"_s, "+1 " + zeros, 0,
            u"line 1: \"+1\" is not a hex byte"_s);
    }

    // The real program serves the memory it loaded on a pty behind a link, hands the pty to the
    // user who called sudo (when it runs as root), logs each frame in hex and text on standard
    // error, and on a signal closes the line, removes the link and dumps the memory; or it refuses
    // at the start. Standard output carries the pty's name alone.
    void program()
    {
        QFETCH(QString, arguments);
        QFETCH(QByteArray, memory);
        QFETCH(int, signal_number);
        QTemporaryDir dir;
        QStringList list =
            arguments.replace(u"{dir}"_s, dir.path()).split(u' ', Qt::SkipEmptyParts);
        if (!memory.isEmpty()) {
            QVERIFY(put_file(dir.filePath(u"load.txt"_s), memory));
            list << u"--load"_s << dir.filePath(u"load.txt"_s);
        }
        QProcess program;
        constexpr uint SUDO_USER = 4242;
        program.setEnvironment(QProcess::systemEnvironment() << u"SUDO_UID=%1"_s.arg(SUDO_USER));
        program.start(QStringLiteral(EMULATOR_PROGRAM), list);
        const QString link = dir.filePath(u"COM1"_s);
        std::optional<LineEnd> client;
        if (signal_number != 0) {
            QTRY_VERIFY_WITH_TIMEOUT(program.canReadLine(), PROGRAM_TIMEOUT_MS);
            const QString pty = QString::fromLocal8Bit(program.readLine()).trimmed();
            QVERIFY2(pty.startsWith(u"/dev/pts/"_s), qPrintable(pty));
            QCOMPARE(QFileInfo(link).symLinkTarget(), pty);
            if (::geteuid() == 0)
                QCOMPARE(QFileInfo(pty).ownerId(), SUDO_USER);
            client.emplace(link);
            QVERIFY(client->send(QByteArray::fromHex("41 53000500FF44 560005303056 560006303056")));
            QTRY_COMPARE(client->received(), QByteArray("D000DD000D2550V0420V")); // [5] = 255
            QCOMPARE(::kill(static_cast<pid_t>(program.processId()), signal_number), 0);
        }
        // A crash would end it with the signal's number as its code.
        QVERIFY(program.waitForFinished(PROGRAM_TIMEOUT_MS));
        QCOMPARE(program.exitCode(), signal_number ? 0 : 1);
        QCOMPARE(program.readAllStandardOutput(), QByteArray());
        const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
        QFETCH(QString, message);
        QVERIFY2(errors.contains(message), qPrintable(errors));
        if (!client)
            return;
        QVERIFY(!QFileInfo(link).isSymLink());
        QTRY_VERIFY((client->received(), client->hung_up));
        QString error;
        auto expected = parse_memory_image(memory, &error);
        QVERIFY2(expected, qPrintable(error));
        (*expected)[5] = 255;
        QCOMPARE(file_bytes(dir.filePath(u"dump.txt"_s)), format_memory_image(*expected));
    }
};

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"
