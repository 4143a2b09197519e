// The module emulator: its protocol and faults, its memory file, its command line, serving it
// on a pseudo-terminal or a serial device, and the converter-emulator program.

#include "emulator_options.h"
#include "fault_options.h"
#include "memory_image.h"
#include "module_core.h"
#include "module_server.h"
#include "port_link.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace emulator;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(emulator::FaultOptions)

namespace
{

constexpr int PROGRAM_TIMEOUT_MS = 10000;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QList<QByteArray> hex_chunks(std::initializer_list<const char *> texts)
{
    QList<QByteArray> chunks;
    for (const char *text : texts)
        chunks.append(hex(text));
    return chunks;
}

// "D000D", "D@100 + 000D@130" (bytes at their delay), "<drop>".
QString describe(const QList<ReplyPiece> &pieces)
{
    QStringList parts;
    for (const ReplyPiece &piece : pieces) {
        QString part =
            piece.drop_line ? QStringLiteral("<drop>") : QString::fromLatin1(piece.bytes);
        if (piece.delay > 0ms)
            part += QStringLiteral("@%1").arg(piece.delay.count());
        parts.append(part);
    }
    return parts.join(QStringLiteral(" + "));
}

QStringList replies_to(ModuleCore &core, const QList<QByteArray> &chunks)
{
    QStringList replies;
    for (const QByteArray &chunk : chunks)
        replies.append(describe(core.feed(chunk)));
    return replies;
}

// The far end of a line, with plain POSIX calls: a pty slave, or a master the test made.
class LineEnd
{
public:
    explicit LineEnd(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    explicit LineEnd(int fd) : m_fd(fd) {}
    ~LineEnd() { close(); }
    LineEnd(const LineEnd &) = delete;
    LineEnd &operator=(const LineEnd &) = delete;

    bool is_open() const { return m_fd >= 0; }
    bool send(const QByteArray &bytes)
    {
        return ::write(m_fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
    }
    // Everything received so far.
    QByteArray received()
    {
        char buffer[256];
        ssize_t got = 0;
        while ((got = ::read(m_fd, buffer, sizeof buffer)) > 0)
            m_received.append(buffer, got);
        if (got == 0 || (got < 0 && errno == EIO))
            m_hung_up = true;
        return m_received;
    }
    bool hung_up()
    {
        received();
        return m_hung_up;
    }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
    QByteArray m_received;
    bool m_hung_up = false;
};

// A pseudo-terminal made by the test, standing in for a serial device.
int open_test_pty(QString *slave_path)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    char name[128] = {};
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0)
        return -1;
    *slave_path = QString::fromLocal8Bit(name);
    return master;
}

} // namespace

class TestEmulator : public QObject
{
    Q_OBJECT
private slots:
    void healthy_module_data();
    void healthy_module();
    void faults_data();
    void faults();
    void faults_leave_memory_alone();
    void frame_log();
    void memory_image_round_trip();
    void memory_image_errors_data();
    void memory_image_errors();
    void command_line_data();
    void command_line();
    void pty_serves_frames_data();
    void pty_serves_frames();
    void pty_outlives_its_clients();
    void line_drop_data();
    void line_drop();
    void serial_port_client();
    void serves_device();
    void device_open_failures_data();
    void device_open_failures();
    void port_link_data();
    void port_link();
    void program_serves_pty_data();
    void program_serves_pty();
    void program_hands_pty_to_sudo_user();
    void program_start_failures_data();
    void program_start_failures();
};

void TestEmulator::healthy_module_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QStringList>("replies");

    // "A"
    QTest::newRow("attention") << hex_chunks({"41"}) << QStringList{u"D000D"_s};
    // "S" [5] = 31 "D", then "V" [5] "00V"
    QTest::newRow("store then read")
        << hex_chunks({"530005001F44", "560005303056"}) << QStringList{u"D000D"_s, u"0310V"_s};
    // "V" [63] "00V": the identity byte
    QTest::newRow("identity") << hex_chunks({"56003F303056"}) << QStringList{u"0310V"_s};
    // "V" [24] "00V": never written
    QTest::newRow("unwritten address") << hex_chunks({"560018303056"}) << QStringList{u"0000V"_s};
    // "S" [255] = 255 "D", "V" [255] "00V"
    QTest::newRow("highest address and value")
        << hex_chunks({"5300FF00FF44", "5600FF303056"}) << QStringList{u"D000D"_s, u"2550V"_s};
    // "S" [0] = 0 "D", "V" [0] "00V": zero bytes inside frames
    QTest::newRow("zero address and value")
        << hex_chunks({"530000000044", "560000303056"}) << QStringList{u"D000D"_s, u"0000V"_s};
    // Store and read in one chunk: two replies at once.
    QTest::newRow("two frames in one chunk")
        << hex_chunks({"530005001F44560005303056"}) << QStringList{u"D000D + 0310V"_s};
    // "V" then 0 [63] "00V": 1 + 5
    QTest::newRow("chunked 1+5") << hex_chunks({"56", "003F303056"})
                                 << QStringList{QString(), u"0310V"_s};
    // "V" 0 [63] "0" "0" "V" byte by byte
    QTest::newRow("byte by byte") << hex_chunks({"56", "00", "3F", "30", "30", "56"})
                                  << QStringList{{}, {}, {}, {}, {}, u"0310V"_s};
    // "z", CR, then "A": the noise is dropped
    QTest::newRow("noise before attention") << hex_chunks({"7A0D41"}) << QStringList{u"D000D"_s};
    // "S" [5] = 65 ("A") "D": the "A" inside a frame is data, not attention
    QTest::newRow("attention byte as data")
        << hex_chunks({"530005004144", "560005303056"}) << QStringList{u"D000D"_s, u"0650V"_s};
    // "S" with address high byte 1: not a store; nothing is answered, then "A" is
    QTest::newRow("store with high byte")
        << hex_chunks({"530105001F44", "41"}) << QStringList{QString(), u"D000D"_s};
    // A torn "S" 0 [5] followed by a whole read of [5]: the store never happened
    QTest::newRow("torn store, then read")
        << hex_chunks({"530005", "560005303056"}) << QStringList{QString(), u"0000V"_s};
    // "V" [5] with zero bytes instead of the character "0" as fillers: not a read
    QTest::newRow("read with zero fillers")
        << hex_chunks({"560005000056"}) << QStringList{QString()};
}

void TestEmulator::healthy_module()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, replies);
    ModuleCore core;
    QCOMPARE(replies_to(core, chunks), replies);
}

void TestEmulator::faults_data()
{
    QTest::addColumn<FaultOptions>("faults");
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QStringList>("replies");

    const QByteArray attention = hex("41");
    const QByteArray store_5 = hex("530005001F44");  // "S" [5] = 31 "D"
    const QByteArray store_6 = hex("530006001F44");  // "S" [6] = 31 "D"
    const QByteArray store_12 = hex("53000C000544"); // "S" [12] = 5 "D"
    const QByteArray read_5 = hex("560005303056");   // "V" [5] "00V"
    const QByteArray read_6 = hex("560006303056");   // "V" [6] "00V"
    const QByteArray read_12 = hex("56000C303056");  // "V" [12] "00V"
    const QByteArray read_22 = hex("560016303056");  // "V" [22] "00V"
    const QByteArray read_63 = hex("56003F303056");  // "V" [63] "00V"
    FaultOptions f;

    f = {};
    f.silent = true;
    QTest::newRow("silent") << f << QList{attention, store_5, read_5} << QStringList{{}, {}, {}};
    f = {};
    f.answer_attention_from = 3;
    QTest::newRow("answers the third A") << f << QList{attention, attention, attention, attention}
                                         << QStringList{{}, {}, u"D000D"_s, u"D000D"_s};
    f = {};
    f.identity = 30;
    QTest::newRow("other identity") << f << QList{read_63} << QStringList{u"0300V"_s};
    f = {};
    f.read_values = {{12, 17}};
    QTest::newRow("address reads back another value")
        << f << QList{store_12, read_12} << QStringList{u"D000D"_s, u"0170V"_s};
    f = {};
    f.raw_replies = {{22, "3000V"}, {63, "0300V"}};
    QTest::newRow("raw replies") << f << QList{read_22, read_63, read_5}
                                 << QStringList{u"3000V"_s, u"0300V"_s, u"0000V"_s};
    f = {};
    f.reply_length = 3;
    QTest::newRow("short replies")
        << f << QList{attention, read_63} << QStringList{u"D00"_s, u"031"_s};
    f = {};
    f.reply_length = 0;
    QTest::newRow("empty replies") << f << QList{attention} << QStringList{QString()};
    f = {};
    f.extra = "XY";
    QTest::newRow("extra characters")
        << f << QList{attention, read_63} << QStringList{u"D000DXY"_s, u"0310VXY"_s};
    f = {};
    f.lower_case_ack = true;
    QTest::newRow("lower-case acknowledgement") << f << QList{attention, store_5, read_5}
                                                << QStringList{u"D000d"_s, u"D000d"_s, u"0310V"_s};
    f = {};
    f.forget_all_stores = true;
    QTest::newRow("no store kept")
        << f << QList{store_5, read_5} << QStringList{u"D000D"_s, u"0000V"_s};
    f = {};
    f.forget_addresses = {5};
    QTest::newRow("store to one address not kept")
        << f << QList{store_5, store_6, read_5, read_6}
        << QStringList{u"D000D"_s, u"D000D"_s, u"0000V"_s, u"0310V"_s};
    f = {};
    f.drop_after = 2;
    QTest::newRow("drop after two exchanges") << f << QList{attention, store_5, read_5}
                                              << QStringList{u"D000D"_s, u"D000D"_s, u"<drop>"_s};
    f = {};
    f.drop_after = 0;
    QTest::newRow("drop at the first frame") << f << QList{read_5} << QStringList{u"<drop>"_s};
    f = {};
    f.drop_after = 1;
    QTest::newRow("drop inside a chunk")
        << f << QList{attention + attention + attention} << QStringList{u"D000D + <drop>"_s};
    f = {};
    f.reply_delay = 150ms;
    QTest::newRow("late reply") << f << QList{attention} << QStringList{u"D000D@150"_s};
    f = {};
    f.pieces = {1};
    f.piece_gap = 20ms;
    QTest::newRow("pieces 1+4") << f << QList{attention} << QStringList{u"D + 000D@20"_s};
    f = {};
    f.pieces = {4};
    f.piece_gap = 150ms;
    QTest::newRow("last character after the tick")
        << f << QList{read_63} << QStringList{u"0310 + V@150"_s};
    f = {};
    f.pieces = {1, 1, 1, 1};
    f.piece_gap = 5ms;
    QTest::newRow("byte by byte") << f << QList{read_63}
                                  << QStringList{u"0 + 3@5 + 1@10 + 0@15 + V@20"_s};
    f = {};
    f.reply_delay = 100ms;
    f.pieces = {1};
    f.piece_gap = 30ms;
    QTest::newRow("late, in pieces") << f << QList{attention} << QStringList{u"D@100 + 000D@130"_s};
    f = {};
    f.pieces = {2, 10};
    QTest::newRow("pieces longer than the reply")
        << f << QList{attention} << QStringList{u"D0 + 00D"_s};
}

void TestEmulator::faults()
{
    QFETCH(FaultOptions, faults);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, replies);
    ModuleCore core(faults);
    QCOMPARE(replies_to(core, chunks), replies);
}

void TestEmulator::faults_leave_memory_alone()
{
    FaultOptions faults;
    faults.identity = 30;
    faults.forget_all_stores = true;
    ModuleCore core(faults);
    const QByteArray read_63 = hex("56003F303056"); // "V" [63] "00V"
    QCOMPARE(describe(core.feed(read_63)), u"0300V"_s);
    QCOMPARE(core.byte_at(IDENTITY_ADDRESS), IDENTITY_CODE);
    core.set_faults({});
    QCOMPARE(describe(core.feed(read_63)), u"0310V"_s);
}

void TestEmulator::frame_log()
{
    QStringList lines;
    ModuleCore core;
    core.set_log([&lines](const QString &line) { lines.append(line); });
    core.feed(hex("7A530005001F44")); // "z", then "S" [5] = 31 "D"
    QCOMPARE(lines, (QStringList{u"<- 7A  |z|  not a frame, dropped"_s,
                                 u"<- 53 00 05 00 1F 44  |S....D|  store [5] = 31"_s,
                                 u"-> 44 30 30 30 44  |D000D|"_s}));
}

void TestEmulator::memory_image_round_trip()
{
    ModuleCore core;
    core.set_byte(0, 0xFF);
    core.set_byte(20, 133);
    core.set_byte(255, 7);
    const QByteArray text = format_memory_image(core.memory());
    QString error;
    const auto parsed = parse_memory_image(text, &error);
    QVERIFY2(parsed, qPrintable(error));
    QCOMPARE(*parsed, core.memory());
    QVERIFY(text.contains("\nFF 00 00"));
}

void TestEmulator::memory_image_errors_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error"); // empty: accepted

    const QByteArray full = QByteArray("00 ").repeated(MEMORY_SIZE);
    QTest::newRow("comments and loose whitespace")
        << "# header\n" + QByteArray("a\tB  # tail\n") + QByteArray("0 ").repeated(MEMORY_SIZE - 2)
        << QString();
    QTest::newRow("empty") << QByteArray() << u"0 bytes instead of 256"_s;
    QTest::newRow("one short") << QByteArray("00 ").repeated(MEMORY_SIZE - 1)
                               << u"255 bytes instead of 256"_s;
    QTest::newRow("one too many") << full + "01" << u"line 1: more than 256 bytes"_s;
    QTest::newRow("not hex") << "0G " + full << u"line 1: \"0G\" is not a hex byte"_s;
    QTest::newRow("three digits") << "\n100 " + full << u"line 2: \"100\" is not a hex byte"_s;
    QTest::newRow("sign") << "+1 " + full << u"line 1: \"+1\" is not a hex byte"_s;
}

void TestEmulator::memory_image_errors()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    QString reason;
    const auto parsed = parse_memory_image(text, &reason);
    QCOMPARE(reason, error);
    QCOMPARE(parsed.has_value(), error.isEmpty());
}

void TestEmulator::command_line_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<FaultOptions>("faults");
    QTest::addColumn<QString>("error"); // empty: accepted

    FaultOptions f;
    QTest::newRow("pty, healthy") << QStringList{u"--pty"_s} << f << QString();
    QTest::newRow("device") << QStringList{u"/dev/ttyUSB0"_s} << f << QString();
    QTest::newRow("neither") << QStringList{} << f << u"give either --pty or a device path"_s;
    QTest::newRow("both") << QStringList{u"--pty"_s, u"/dev/ttyUSB0"_s} << f
                          << u"give either --pty or a device path"_s;
    QTest::newRow("link without pty")
        << QStringList{u"--link"_s, u"/tmp/x"_s, u"/dev/ttyS0"_s} << f << u"--link needs --pty"_s;

    f.silent = true;
    f.answer_attention_from = 3;
    f.identity = 30;
    f.read_values = {{12, 17}, {22, 300}};
    f.raw_replies = {{63, "0300V"}, {7, hex("00FF3056")}};
    f.reply_delay = 150ms;
    f.reply_length = 3;
    f.extra = "\r\\";
    f.lower_case_ack = true;
    f.forget_all_stores = true;
    f.forget_addresses = {5};
    f.drop_after = 4;
    f.pieces = {1, 1};
    f.piece_gap = 20ms;
    QTest::newRow("every fault") << QStringList{u"--pty"_s,
                                                u"--silent"_s,
                                                u"--answer-from"_s,
                                                u"3"_s,
                                                u"--identity"_s,
                                                u"30"_s,
                                                u"--read-value"_s,
                                                u"12=17"_s,
                                                u"--read-value"_s,
                                                u"22=300"_s,
                                                u"--raw-reply"_s,
                                                u"63=0300V"_s,
                                                u"--raw-reply"_s,
                                                u"7=\\x00\\xff0V"_s,
                                                u"--delay"_s,
                                                u"150"_s,
                                                u"--short"_s,
                                                u"3"_s,
                                                u"--extra"_s,
                                                u"\\x0D\\\\"_s,
                                                u"--lower-case-ack"_s,
                                                u"--forget"_s,
                                                u"all"_s,
                                                u"--forget"_s,
                                                u"5"_s,
                                                u"--drop-after"_s,
                                                u"4"_s,
                                                u"--pieces"_s,
                                                u"1,1"_s,
                                                u"--piece-gap"_s,
                                                u"20"_s}
                                 << f << QString();

    f = {};
    const QStringList pty{u"--pty"_s};
    QTest::newRow("identity too big") << pty + QStringList{u"--identity"_s, u"256"_s} << f
                                      << u"--identity: \"256\" is not a number from 0 to 255"_s;
    QTest::newRow("answer from zero")
        << pty + QStringList{u"--answer-from"_s, u"0"_s} << f
        << u"--answer-from: \"0\" is not a number from 1 to 1000000"_s;
    QTest::newRow("read value without =") << pty + QStringList{u"--read-value"_s, u"12"_s} << f
                                          << u"--read-value: \"12\" is not ADDRESS=VALUE"_s;
    QTest::newRow("read value too big")
        << pty + QStringList{u"--read-value"_s, u"12=1000"_s} << f
        << u"--read-value: \"1000\" is not a number from 0 to 999"_s;
    QTest::newRow("raw reply address") << pty + QStringList{u"--raw-reply"_s, u"256=1V"_s} << f
                                       << u"--raw-reply: \"256\" is not a number from 0 to 255"_s;
    QTest::newRow("bad escape") << pty + QStringList{u"--extra"_s, u"\\xG0"_s} << f
                                << u"--extra: bad escape in \"\\xG0\""_s;
    QTest::newRow("cut escape") << pty + QStringList{u"--raw-reply"_s, u"1=\\x1"_s} << f
                                << u"--raw-reply: bad escape in \"1=\\x1\""_s;
    QTest::newRow("forget word") << pty + QStringList{u"--forget"_s, u"some"_s} << f
                                 << u"--forget: \"some\" is not a number from 0 to 255"_s;
    QTest::newRow("negative delay") << pty + QStringList{u"--delay"_s, u"-1"_s} << f
                                    << u"--delay: \"-1\" is not a number from 0 to 60000"_s;
    QTest::newRow("empty piece") << pty + QStringList{u"--pieces"_s, u"1,,2"_s} << f
                                 << u"--pieces: \"\" is not a number from 1 to 1000000"_s;
}

void TestEmulator::command_line()
{
    QFETCH(QStringList, arguments);
    QFETCH(FaultOptions, faults);
    QFETCH(QString, error);
    QCommandLineParser parser;
    add_emulator_options(parser);
    QVERIFY2(parser.parse(QStringList{u"converter-emulator"_s} + arguments),
             qPrintable(parser.errorText()));
    QString reason;
    const auto options = emulator_options(parser, &reason);
    QCOMPARE(reason, error);
    QCOMPARE(options.has_value(), error.isEmpty());
    if (options)
        QVERIFY(options->faults == faults);
}

void TestEmulator::pty_serves_frames_data()
{
    QTest::addColumn<FaultOptions>("faults");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    FaultOptions f;
    // "S" [0] = 255 "D", "V" [0] "00V", "S" [255] = 0 "D", "V" [255] "00V": NUL and 0xFF
    // must pass the pty untouched.
    QTest::newRow("zero and FF bytes")
        << f << hex("53000000FF44 560000303056 5300FF000044 5600FF303056")
        << QByteArray("D000D2550VD000D0000V");
    f.raw_replies = {{7, hex("00FF3056")}};
    QTest::newRow("zero and FF in a reply") << f << hex("560007303056") << hex("00FF3056");
    f = {};
    f.reply_delay = 30ms;
    QTest::newRow("late replies") << f << hex("41 56003F303056") << QByteArray("D000D0310V");
    // The second reply's first piece is due before the first reply's last: it waits its turn.
    f = {};
    f.pieces = {1};
    f.piece_gap = 30ms;
    QTest::newRow("replies keep their order") << f << hex("41 41") << QByteArray("D000DD000D");
}

void TestEmulator::pty_serves_frames()
{
    QFETCH(FaultOptions, faults);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    ModuleServer server;
    server.core().set_faults(faults);
    QVERIFY2(server.open_pty(), qPrintable(server.error_string()));
    QVERIFY(server.port_name().startsWith(u"/dev/pts/"_s));
    LineEnd client(server.port_name());
    QVERIFY(client.is_open());
    QVERIFY(client.send(request));
    QTRY_COMPARE(client.received(), reply);
}

void TestEmulator::pty_outlives_its_clients()
{
    ModuleServer server;
    QVERIFY2(server.open_pty(), qPrintable(server.error_string()));
    {
        LineEnd first(server.port_name());
        QVERIFY(first.send(hex("41")));
        QTRY_COMPARE(first.received(), QByteArray("D000D"));
    }
    // The first client has gone; the line stays usable for the next one.
    LineEnd second(server.port_name());
    QVERIFY(second.send(hex("41")));
    QTRY_COMPARE(second.received(), QByteArray("D000D"));
    QVERIFY(server.is_open());
}

void TestEmulator::line_drop_data()
{
    QTest::addColumn<bool>("by_fault");
    QTest::newRow("dropped by the test") << false;
    QTest::newRow("dropped after one exchange") << true;
}

void TestEmulator::line_drop()
{
    QFETCH(bool, by_fault);
    ModuleServer server;
    if (by_fault) {
        FaultOptions faults;
        faults.drop_after = 1;
        server.core().set_faults(faults);
    }
    QSignalSpy dropped(&server, &ModuleServer::line_dropped);
    QVERIFY2(server.open_pty(), qPrintable(server.error_string()));
    LineEnd client(server.port_name());
    QVERIFY(client.send(hex("530005001F44"))); // "S" [5] = 31 "D"
    QTRY_COMPARE(client.received(), QByteArray("D000D"));

    if (by_fault)
        QVERIFY(client.send(hex("41")));
    else
        server.drop_line();
    QTRY_VERIFY(client.hung_up());
    QCOMPARE(dropped.count(), 1);
    QVERIFY(!server.is_open());

    // Reopened, on a new pty: the memory is kept and the fault counters start again.
    QVERIFY2(server.open_pty(), qPrintable(server.error_string()));
    LineEnd again(server.port_name());
    QVERIFY(again.send(hex("560005303056"))); // "V" [5] "00V"
    QTRY_COMPARE(again.received(), QByteArray("0310V"));
    QVERIFY(server.is_open());
}

// The configuration program's own port class on the pty, in the same thread as the server.
void TestEmulator::serial_port_client()
{
    ModuleServer server;
    QVERIFY2(server.open_pty(), qPrintable(server.error_string()));
    QSerialPort port(server.port_name());
    port.setBaudRate(QSerialPort::Baud9600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    QByteArray received;
    connect(&port, &QSerialPort::readyRead, this, [&] { received += port.readAll(); });
    port.write(hex("53000000FF44 560000303056")); // "S" [0] = 255 "D", "V" [0] "00V"
    QTRY_COMPARE(received, QByteArray("D000D2550V"));

    QSignalSpy errors(&port, &QSerialPort::errorOccurred);
    server.drop_line();
    QTRY_VERIFY(errors.contains(QVariantList{QVariant::fromValue(QSerialPort::ResourceError)}));
}

void TestEmulator::serves_device()
{
    QString slave;
    LineEnd program(open_test_pty(&slave));
    QVERIFY(program.is_open());
    ModuleServer server;
    QSignalSpy failed(&server, &ModuleServer::error_occurred);
    QVERIFY2(server.open_device(slave), qPrintable(server.error_string()));
    QCOMPARE(server.port_name(), slave);
    QVERIFY(program.send(hex("41 56003F303056")));
    QTRY_COMPARE(program.received(), QByteArray("D000D0310V"));

    // The device goes away under the server: reported once, and no more watching.
    program.close();
    QVERIFY(failed.wait());
    QVERIFY(!server.is_open());
    QVERIFY(failed.front().front().toString().contains(slave));
}

void TestEmulator::device_open_failures_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("missing") << u"/dev/no-such-serial-port"_s;
    QTest::newRow("not a terminal") << u"/dev/null"_s;
}

void TestEmulator::device_open_failures()
{
    QFETCH(QString, path);
    ModuleServer server;
    QVERIFY(!server.open_device(path));
    QVERIFY(!server.is_open());
    QVERIFY2(server.error_string().contains(path), qPrintable(server.error_string()));
}

void TestEmulator::port_link_data()
{
    QTest::addColumn<QString>("existing"); // what is at the link's path before
    QTest::addColumn<bool>("replaced");
    QTest::newRow("nothing") << u"nothing"_s << true;
    QTest::newRow("dangling link") << u"dangling"_s << true;
    QTest::newRow("link to something else") << u"link"_s << false;
    QTest::newRow("plain file") << u"file"_s << false;
}

void TestEmulator::port_link()
{
    QFETCH(QString, existing);
    QFETCH(bool, replaced);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"COM1"_s);
    const QString other = dir.filePath(u"other"_s);
    QFile other_file(other);
    QVERIFY(other_file.open(QIODevice::WriteOnly));
    other_file.close();
    if (existing == u"dangling"_s)
        QVERIFY(QFile::link(dir.filePath(u"gone"_s), path));
    else if (existing == u"link"_s)
        QVERIFY(QFile::link(other, path));
    else if (existing == u"file"_s)
        QVERIFY(QFile::copy(other, path));

    const QString target = u"/dev/null"_s;
    {
        PortLink link;
        QCOMPARE(link.create(path, target), replaced);
        QCOMPARE(QFileInfo(path).symLinkTarget() == target, replaced);
        if (replaced) {
            // Pointing our own link elsewhere, as a restarted line does.
            QVERIFY(link.create(path, other));
            QCOMPARE(QFileInfo(path).symLinkTarget(), other);
        } else {
            QVERIFY(!link.error_string().isEmpty());
        }
    }
    // Gone with its owner, when it was ours; untouched otherwise.
    QCOMPARE(QFileInfo(path).exists() || QFileInfo(path).isSymLink(), !replaced);
}

void TestEmulator::program_serves_pty_data()
{
    QTest::addColumn<int>("signal_number");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void TestEmulator::program_serves_pty()
{
    QFETCH(int, signal_number);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(u"COM1"_s);
    const QString dump = dir.filePath(u"memory.txt"_s);
    QProcess program;
    program.start(QStringLiteral(EMULATOR_PROGRAM),
                  {u"--pty"_s, u"--link"_s, link, u"--dump"_s, dump});
    QVERIFY2(program.waitForStarted(PROGRAM_TIMEOUT_MS), qPrintable(program.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(program.canReadLine(), PROGRAM_TIMEOUT_MS);
    const QString pty = QString::fromLocal8Bit(program.readLine()).trimmed();
    QVERIFY2(pty.startsWith(u"/dev/pts/"_s), qPrintable(pty));
    QCOMPARE(QFileInfo(link).symLinkTarget(), pty);

    LineEnd client(link);
    QVERIFY(client.is_open());
    QVERIFY(client.send(hex("41 53000500FF44 560005303056"))); // "A", [5] = 255, read [5]
    QTRY_COMPARE(client.received(), QByteArray("D000DD000D2550V"));

    QCOMPARE(::kill(static_cast<pid_t>(program.processId()), signal_number), 0);
    QVERIFY(program.waitForFinished(PROGRAM_TIMEOUT_MS));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QTRY_VERIFY(client.hung_up());

    QFile file(dump);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString error;
    const auto memory = parse_memory_image(file.readAll(), &error);
    QVERIFY2(memory, qPrintable(error));
    QCOMPARE((*memory)[5], quint8{255});
    QCOMPARE((*memory)[IDENTITY_ADDRESS], IDENTITY_CODE);
}

void TestEmulator::program_hands_pty_to_sudo_user()
{
    if (::geteuid() != 0)
        QSKIP("needs root, as under sudo");
    constexpr uint SUDO_USER = 4242;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"SUDO_UID"_s, QString::number(SUDO_USER));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(EMULATOR_PROGRAM), {u"--pty"_s, u"--quiet"_s});
    QTRY_VERIFY_WITH_TIMEOUT(program.canReadLine(), PROGRAM_TIMEOUT_MS);
    const QString pty = QString::fromLocal8Bit(program.readLine()).trimmed();
    struct stat status {
    };
    QCOMPARE(::stat(QFile::encodeName(pty).constData(), &status), 0);
    QCOMPARE(status.st_uid, SUDO_USER);
    program.terminate();
    QVERIFY(program.waitForFinished(PROGRAM_TIMEOUT_MS));
    QCOMPARE(program.exitCode(), 0);
}

void TestEmulator::program_start_failures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing memory file")
        << QStringList{u"--pty"_s, u"--load"_s, u"/nonexistent/memory.txt"_s}
        << u"cannot read /nonexistent/memory.txt"_s;
    QTest::newRow("bad option value")
        << QStringList{u"--pty"_s, u"--identity"_s, u"300"_s} << u"--identity"_s;
    QTest::newRow("missing device")
        << QStringList{u"/dev/no-such-serial-port"_s} << u"cannot open /dev/no-such-serial-port"_s;
}

void TestEmulator::program_start_failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QProcess program;
    program.start(QStringLiteral(EMULATOR_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(PROGRAM_TIMEOUT_MS));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    QCOMPARE(program.readAllStandardOutput(), QByteArray());
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2(errors.contains(message), qPrintable(errors));
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"
