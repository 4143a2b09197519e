// COM n to a device name in a device folder of the test's own, watched for any open of the
// built-in port that the name falls back to; and the names of network ports.

#include "port_names.h"

#include <QDir>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestPortNames : public QObject
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

    // Opening the name never reaches the built-in port unless the name is that port.
    void named_port_is_the_port_used()
    {
        QFETCH(QString, com1);
        QFETCH(QString, name);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QDir dev(folder.path());
        // Stand-ins for the built-in ports whose opening shows: pipes, watched by inotify.
        for (const QString &port : {u"ttyS0"_s, u"ttyS1"_s})
            QCOMPARE(::mkfifo(QFile::encodeName(dev.filePath(port)).constData(), 0600), 0);
        const QByteArray com1_path = QFile::encodeName(dev.filePath(u"COM1"_s));
        if (com1 == u"file"_s)
            QVERIFY(QFile(dev.filePath(u"COM1"_s)).open(QIODevice::WriteOnly));
        else if (com1 == u"link to ttyS1"_s)
            QCOMPARE(::symlink("ttyS1", com1_path.constData()), 0);
        else if (com1 == u"link to nowhere"_s)
            QCOMPARE(::symlink("/dev/no-such-adapter", com1_path.constData()), 0);

        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(watch >= 0);
        const auto close_watch = qScopeGuard([watch] { ::close(watch); });
        QVERIFY(::inotify_add_watch(watch, QFile::encodeName(dev.filePath(u"ttyS0"_s)).constData(),
                                    IN_OPEN) >= 0);

        const QString port_name = port_name_in(folder.path(), 1);
        QCOMPARE(port_name, dev.filePath(name));
        // As the program opens it; none of these is a serial line, so every open ends in failure.
        QSerialPort port(port_name);
        QVERIFY(!port.open(QIODevice::ReadWrite));
        if (com1 == u"link to nowhere"_s)
            QCOMPARE(port.error(), QSerialPort::DeviceNotFoundError);

        char events[sizeof(inotify_event) + NAME_MAX + 1];
        const ssize_t got = ::read(watch, events, sizeof events);
        const bool built_in_opened = got > 0;
        QVERIFY(got > 0 || errno == EAGAIN);
        QCOMPARE(built_in_opened, name == u"ttyS0"_s);
    }

    void network_names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<PortScheme>("scheme");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port"); // 0: not usable
        const auto row = [](const QString &name, PortScheme scheme, const QString &host, int port) {
            QTest::newRow(qPrintable(name)) << name << scheme << host << port;
        };
        row(u"tcp://127.0.0.1:4000"_s, PortScheme::Tcp, u"127.0.0.1"_s, 4000);
        row(u"RFC2217://Converter-7.example:1"_s, PortScheme::Rfc2217, u"converter-7.example"_s, 1);
        row(u"rfc2217://[::1]:65535"_s, PortScheme::Rfc2217, u"::1"_s, 65535);
        row(u"tcp://host:65536"_s, PortScheme::Tcp, {}, 0);
        row(u"tcp://host:0"_s, PortScheme::Tcp, {}, 0);
        row(u"tcp://host"_s, PortScheme::Tcp, {}, 0);
        row(u"tcp://host:4000/ttyS0"_s, PortScheme::Tcp, {}, 0);
        row(u"tcp:host:4000"_s, PortScheme::Serial, {}, 0);
    }

    // Every name with a network scheme is a network port, usable only when it is a bare host and
    // port.
    void network_names()
    {
        QFETCH(QString, name);
        QFETCH(PortScheme, scheme);
        QFETCH(QString, host);
        QFETCH(int, port);
        const PortAddress address = port_address(name);
        QCOMPARE(address.scheme, scheme);
        QCOMPARE(address.host, host);
        QCOMPARE(address.port, port);
    }
};

QTEST_GUILESS_MAIN(TestPortNames)
#include "tst_port_names.moc"
