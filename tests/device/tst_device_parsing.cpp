// What the device library reads from text and bytes: COM n to a device name, in a device folder
// of the test's own; the names of network ports; reply values as the general numeric parse reads
// them; the telnet side of a network port, in hex and over the telnet fuzzer's corpus; and how
// bytes are quoted. The frames themselves meet the emulated module, written apart from them, in
// every run.

#include "device_constants.h"
#include "frame_text.h"
#include "frames.h"
#include "port_names.h"
#include "telnet_codec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

// The telnet fuzzer's entry point: it aborts on a broken promise.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

class TestDeviceParsing : public QObject
{
    Q_OBJECT

private slots:
    void named_port_is_the_port_used_data()
    {
        QTest::addColumn<QString>("com1"); // what /dev/COM1 is: missing, a file, or a link to...
        QTest::addColumn<QString>("name"); // the name COM 1 gets
        QTest::newRow("no COM1: the built-in port") << u"missing"_s << u"ttyS0"_s;
        QTest::newRow("COM1 a link to the other port") << u"link to ttyS1"_s << u"COM1"_s;
        QTest::newRow("COM1 an entry of its own") << u"file"_s << u"COM1"_s;
        // A killed emulator's link, or an unplugged adapter behind a udev link.
        QTest::newRow("COM1 dangling") << u"link to nowhere"_s << u"COM1"_s;
    }

    // The name is opened as it stands, so the built-in port is reached only when the name is
    // that port.
    void named_port_is_the_port_used()
    {
        QFETCH(QString, com1);
        QFETCH(QString, name);
        QTemporaryDir folder;
        const QDir dev(folder.path());
        for (const QString &port : {u"ttyS0"_s, u"ttyS1"_s})
            QVERIFY(QFile(dev.filePath(port)).open(QIODevice::WriteOnly));
        const QByteArray com1_path = QFile::encodeName(dev.filePath(u"COM1"_s));
        if (com1 == u"file"_s)
            QVERIFY(QFile(dev.filePath(u"COM1"_s)).open(QIODevice::WriteOnly));
        else if (com1 == u"link to ttyS1"_s)
            QCOMPARE(::symlink("ttyS1", com1_path.constData()), 0);
        else if (com1 == u"link to nowhere"_s)
            QCOMPARE(::symlink("/dev/no-such-adapter", com1_path.constData()), 0);
        QCOMPARE(port_name_in(folder.path(), 1), dev.filePath(name));
    }

    void network_names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address"); // the scheme, the host and the port; 0: not usable
        const auto row = [](const QString &name, const QString &address) {
            QTest::newRow(qPrintable(name)) << name << address;
        };
        row(u"tcp://127.0.0.1:4000"_s, u"tcp 127.0.0.1:4000"_s);
        row(u"RFC2217://Converter-7.example:1"_s, u"rfc2217 converter-7.example:1"_s);
        row(u"rfc2217://[::1]:65535"_s, u"rfc2217 ::1:65535"_s);
        row(u"tcp://host:65536"_s, u"tcp :0"_s);
        row(u"tcp://host:0"_s, u"tcp :0"_s);
        row(u"tcp://host"_s, u"tcp :0"_s);
        row(u"tcp://host:4000/ttyS0"_s, u"tcp :0"_s);
        row(u"tcp:host:4000"_s, u"serial :0"_s);
    }

    // Every name with a network scheme is a network port, usable only when it is a bare host and
    // port.
    void network_names()
    {
        QFETCH(QString, name);
        const PortAddress address = port_address(name);
        const QString scheme = address.scheme == PortScheme::Tcp       ? u"tcp"_s
                               : address.scheme == PortScheme::Rfc2217 ? u"rfc2217"_s
                                                                       : u"serial"_s;
        QTEST(u"%1 %2:%3"_s.arg(scheme, address.host).arg(address.port), "address");
    }

    // What the server sends after our opening: the module's bytes that come out, what is
    // answered, and how the negotiation stands. The same in pieces: see telnet_corpus.
    void telnet_data()
    {
        QTest::addColumn<QByteArray>("server");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<TelnetCodec::Refusal>("refusal");
        QTest::addColumn<bool>("ready");
        using R = TelnetCodec::Refusal;
        const auto row = [](const char *name, const QByteArray &server, const char *data,
                            const QByteArray &reply, R refusal, bool ready) {
            QTest::newRow(name) << server << QByteArray::fromHex(data) << reply << refusal << ready;
        };
        const auto hex = [](const char *text) { return QByteArray::fromHex(text); };
        // DO BINARY, WILL BINARY, DO COM-PORT
        const QByteArray yes = hex("fffd00 fffb00 fffd2c");
        // SB COM-PORT SET-BAUDRATE 9600 SE, SET-DATASIZE 8, SET-PARITY none, SET-STOPSIZE 1,
        // SET-CONTROL no flow control; the server answers each under its command + 100
        const QByteArray settings = hex("fffa2c0100002580fff0 fffa2c0208fff0 fffa2c0301fff0 "
                                        "fffa2c0401fff0 fffa2c0501fff0");
        const QByteArray agreed = hex("fffa2c6500002580fff0 fffa2c6608fff0 fffa2c6701fff0 "
                                      "fffa2c6801fff0 fffa2c6901fff0");
        // ser2net's WILL SGA, DO SGA, WILL ECHO, DONT ECHO, yes, SB COM-PORT 107 0 SE (modem
        // state), and DO TERMINAL-TYPE: DO SGA, WILL SGA, DONT ECHO, the settings, WONT 24
        row("ser2net",
            hex("fffb03 fffd03 fffb01 fffe01") + yes + hex("fffa2c6b00fff0 fffd18") + agreed, "",
            hex("fffd03 fffb03 fffe01") + settings + hex("fffc18"), R::None, true);
        row("settings not confirmed yet", yes, "", settings, R::None, false);
        // NUL, CR, IAC IAC for 255; NO-OPERATION and SB TERMINAL-TYPE 255 1 SE vanish
        row("data between negotiations",
            hex("00 0d ffff 41") + yes + hex("fff1 fffa18ffff01fff0") + agreed + hex("31"),
            "000dff4131", settings, R::None, true);
        row("WONT BINARY", hex("fffc00"), "", {}, R::Binary, false);
        // A WONT refuses serial port control as DONT does (see the network runs), except as the
        // answer to our DONT for the server's offer.
        row("WONT COM-PORT", hex("fffc2c"), "", {}, R::ComPort, false);
        row("WILL COM-PORT declined, then WONT", yes + hex("fffb2c fffc2c") + agreed, "",
            settings + hex("fffe2c"), R::None, true);
        // SET-BAUDRATE answered 19200
        row("the line at another speed", yes + hex("fffa2c6500004b00fff0") + agreed.mid(10), "",
            settings, R::LineSettings, false);
    }

    void telnet()
    {
        QFETCH(QByteArray, server);
        TelnetCodec codec;
        // WILL BINARY, DO BINARY, WILL COM-PORT
        QCOMPARE(codec.start().toHex(' '), QByteArray("ff fb 00 ff fd 00 ff fb 2c"));
        const TelnetCodec::Output out = codec.feed(server);
        QTEST(out.data, "data");
        QTEST(out.reply, "reply");
        QTEST(codec.refusal(), "refusal");
        QTEST(codec.ready(), "ready");
    }

    // Every stream the fuzzer kept: the same in pieces, escaped data back as itself.
    void telnet_corpus()
    {
        const QDir corpus(QStringLiteral(TELNET_CORPUS));
        QVERIFY(!corpus.isEmpty(QDir::Files));
        for (const QString &name : corpus.entryList(QDir::Files)) {
            QFile file(corpus.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray stream = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(stream.data()),
                                   size_t(stream.size()));
        }
    }

    // Up to the limit whole; past it, the first bytes and how many more.
    void quotes()
    {
        const QString whole = frame_text(QByteArray(device::QUOTE_LIMIT, 'A'));
        QVERIFY(whole.endsWith(u"AA|"_s));
        QCOMPARE(frame_text(QByteArray(1 << 20, 'A')), whole + u" (1048512 more bytes)"_s);
    }

    // The value divided by ten, rounded half to even; none for a reply that does not start with a
    // number (never 0) or whose value does not fit 16 bits.
    void reply_values_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("value");
        const auto row = [](const char *reply, const char *value) {
            QTest::newRow(QByteArray(reply).toPercentEncoding(" "))
                << QByteArray(reply) << QString::fromLatin1(value);
        };
        constexpr const char *none = "no number", *overflow = "too large";
        row("1600V", "160");
        row("1235", "124");
        row("1225", "122");
        row("0000V", "0");
        row("D000D", none);      // an acknowledgement that straggled in late
        row(" \t\n0310V", "31"); // blanks, tabs and line feeds skipped
        row("03 10V", "31");     // even inside the number
        row("\r0310", none);     // but not a carriage return
        row("&H10", "2");
        row("&hFFG", "26");
        row("&O20V", "2");
        row("&HG", none);
        row("-.V", none);
        row(".5E2", "5");
        row("1D3", "100");
        row("15EV", "2");
        row("12.5V", "1");
        row("327670", "32767");
        row("-327680", "-32768");
        row("327680", overflow);
        row("327675", overflow); // by rounding
        row("1E999", overflow);
    }

    void reply_values()
    {
        QFETCH(QByteArray, reply);
        const std::optional<qint16> value = reply_value(reply);
        QTEST(value                   ? QString::number(*value)
              : leading_number(reply) ? QStringLiteral("too large")
                                      : QStringLiteral("no number"),
              "value");
    }
};

QTEST_GUILESS_MAIN(TestDeviceParsing)
#include "tst_device_parsing.moc"
