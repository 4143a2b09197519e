// Frames byte for byte and reply values as the general numeric parse reads them.

#include "frames.h"

#include <QTest>

class TestDeviceFrames : public QObject
{
    Q_OBJECT

private slots:
    void frames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("expected");
        // S, address high 0, address 5, value high 0, value 31, D
        QTest::newRow("store 5 = 31") << store_frame(5, 31) << QByteArray::fromHex("530005001f44");
        // NUL and 0xFF travel as bytes like any other
        QTest::newRow("store 0 = 255")
            << store_frame(0, 255) << QByteArray::fromHex("53000000ff44");
        // V, address high 0, address 63, "0", "0", V
        QTest::newRow("read 63") << read_frame(63) << QByteArray::fromHex("56003f303056");
    }

    void frames()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, expected);
        QCOMPARE(frame.toHex(' '), expected.toHex(' '));
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
        row("1610V", "161");
        row("0310", "31");
        row("1235", "124");
        row("1225", "122");
        row("0000V", "0");
        row("ABCD", none);
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
        row("1E3", "100");
        row("1D3", "100");
        row("15EV", "2");
        row("12.5V", "1");
        row("-0310", "-31");
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

QTEST_APPLESS_MAIN(TestDeviceFrames)
#include "tst_device_frames.moc"
