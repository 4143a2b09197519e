// Frames byte for byte, reply values as the general numeric parse reads them, and the memory map.

#include "converter_config.h"
#include "frames.h"
#include "loop_bytes.h"
#include "memory_map.h"

#include <QTest>

class TestDeviceFrames : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void acknowledgement_data();
    void acknowledgement();
    void reply_values_data();
    void reply_values();
    void memory_map_order();
    void memory_image_data();
    void memory_image();
};

void TestDeviceFrames::frames_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("attention") << attention_frame() << QByteArray("A");
    // S, address high 0, address 5, value high 0, value 31, D
    QTest::newRow("store 5 = 31") << store_frame(5, 31) << QByteArray::fromHex("530005001f44");
    // NUL and 0xFF travel as bytes like any other
    QTest::newRow("store 0 = 255") << store_frame(0, 255) << QByteArray::fromHex("53000000ff44");
    // V, address high 0, address 63, "0", "0", V
    QTest::newRow("read 63") << read_frame(63) << QByteArray::fromHex("56003f303056");
    QTest::newRow("read 0") << read_frame(0) << QByteArray::fromHex("560000303056");
}

void TestDeviceFrames::frames()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
}

void TestDeviceFrames::acknowledgement_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("exact") << QByteArray("D000D") << true;
    QTest::newRow("lower-case last letter") << QByteArray("D000d") << false;
    QTest::newRow("extra character") << QByteArray("D000DX") << false;
    QTest::newRow("one missing") << QByteArray("D000") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("leading stale byte") << QByteArray("VD000D") << false;
}

void TestDeviceFrames::acknowledgement()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, accepted);
    QCOMPARE(is_acknowledgement(reply), accepted);
}

void TestDeviceFrames::reply_values_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("value");
    QTest::newRow("1600V") << QByteArray("1600V") << true << 160;
    QTest::newRow("1610V") << QByteArray("1610V") << true << 161;
    QTest::newRow("0310V") << QByteArray("0310V") << true << 31;
    QTest::newRow("half up to even") << QByteArray("1235") << true << 124;
    QTest::newRow("half down to even") << QByteArray("1225") << true << 122;
    QTest::newRow("below half") << QByteArray("1234V") << true << 123;
    QTest::newRow("no number") << QByteArray("ABCD") << true << 0;
    QTest::newRow("empty") << QByteArray() << true << 0;
    QTest::newRow("leading blanks, tab, line feed") << QByteArray(" \t\n0310V") << true << 31;
    QTest::newRow("blanks inside") << QByteArray("03 10V") << true << 31;
    QTest::newRow("carriage return stops") << QByteArray("\r0310") << true << 0;
    QTest::newRow("hex") << QByteArray("&H10") << true << 2;
    QTest::newRow("hex lower case, stops at G") << QByteArray("&hFFG") << true << 26;
    QTest::newRow("octal") << QByteArray("&O20V") << true << 2;
    QTest::newRow("ampersand alone") << QByteArray("&X10") << true << 0;
    QTest::newRow("exponent E") << QByteArray("1E3") << true << 100;
    QTest::newRow("exponent D") << QByteArray("1D3") << true << 100;
    QTest::newRow("signed exponent") << QByteArray("5E-1") << true << 0;
    QTest::newRow("exponent without digits") << QByteArray("15EV") << true << 2;
    QTest::newRow("fraction") << QByteArray("12.5V") << true << 1;
    QTest::newRow("negative") << QByteArray("-0310") << true << -31;
    QTest::newRow("plus sign") << QByteArray("+0310") << true << 31;
    QTest::newRow("sign alone") << QByteArray("-V") << true << 0;
    QTest::newRow("largest") << QByteArray("327670") << true << 32767;
    QTest::newRow("just below the top, half to even") << QByteArray("327665") << true << 32766;
    QTest::newRow("smallest") << QByteArray("-327680") << true << -32768;
    QTest::newRow("overflow") << QByteArray("327680") << false << 0;
    QTest::newRow("overflow by rounding") << QByteArray("327675") << false << 0;
    QTest::newRow("negative overflow") << QByteArray("-327690") << false << 0;
    QTest::newRow("overflow by exponent") << QByteArray("1E9") << false << 0;
    QTest::newRow("beyond double") << QByteArray("1E999") << false << 0;
    QTest::newRow("vanishing exponent") << QByteArray("1E-999") << true << 0;
}

void TestDeviceFrames::reply_values()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, fits);
    QFETCH(int, value);
    const std::optional<qint16> got = reply_value(reply);
    QCOMPARE(got.has_value(), fits);
    if (fits)
        QCOMPARE(*got, value);
}

void TestDeviceFrames::memory_map_order()
{
    const MemoryMap &map = memory_map();
    for (int i = 0; i < CONFIGURATION_BYTES; ++i)
        QCOMPARE(map[i].address, i);
    QCOMPARE(map[0].content, CellContent::InputPointCode);
    QCOMPARE(map[0].slot, 1);
    QCOMPARE(map[9].slot, 10);
    QCOMPARE(map[10].content, CellContent::OutputPointCode);
    QCOMPARE(map[10].slot, 1);
    QCOMPARE(map[19].read_limit, 160);
    QCOMPARE(map[20].loop_byte, &ConverterConfig::inllsb);
    QCOMPARE(map[21].loop_byte, &ConverterConfig::inlmsb);
    QCOMPARE(map[22].loop_byte, &ConverterConfig::outllsb);
    QCOMPARE(map[23].loop_byte, &ConverterConfig::outlmsb);
    QCOMPARE(map[23].read_limit, 255);
}

void TestDeviceFrames::memory_image_data()
{
    QTest::addColumn<QList<int>>("pressed_inputs");
    QTest::addColumn<QList<int>>("pressed_outputs");
    QTest::addColumn<QList<int>>("loop_bytes");
    QTest::newRow("none") << QList<int>{} << QList<int>{} << QList<int>{0, 0, 0, 0};
    QTest::newRow("IN-1, IN-3, IN-8")
        << QList<int>{1, 3, 8} << QList<int>{} << QList<int>{133, 0, 0, 0};
    QTest::newRow("IN-10 alone") << QList<int>{10} << QList<int>{} << QList<int>{0, 2, 0, 0};
    QTest::newRow("OUT-9 and OUT-10")
        << QList<int>{} << QList<int>{9, 10} << QList<int>{0, 0, 0, 3};
    QTest::newRow("all") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}
                         << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10} << QList<int>{255, 3, 255, 3};
}

void TestDeviceFrames::memory_image()
{
    QFETCH(QList<int>, pressed_inputs);
    QFETCH(QList<int>, pressed_outputs);
    QFETCH(QList<int>, loop_bytes);
    ConverterConfig config;
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        config.inw[k - 1] = static_cast<qint16>(k == 1 ? 23 : 160); // IN-1 = C4
        config.outw[k - 1] = static_cast<qint16>(100 + k);
    }
    for (int k : pressed_inputs)
        config.inl[k - 1] = loop_bit_value(k);
    for (int k : pressed_outputs)
        config.outl[k - 1] = loop_bit_value(k);
    config.inllsb = 99; // stale: the image packs the flags, not these

    const MemoryImage image = ::memory_image(config);
    QCOMPARE(image[0], 23);
    QCOMPARE(image[1], 160);
    QCOMPARE(image[10], 101);
    QCOMPARE(image[19], 110);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(image[20 + i], loop_bytes[i]);
}

QTEST_APPLESS_MAIN(TestDeviceFrames)
#include "tst_device_frames.moc"
