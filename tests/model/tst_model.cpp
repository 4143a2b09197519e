// Point codes, loop bytes and what the commands that write take from a panel, without a window.

#include "config_record.h"
#include "panel_gathering.h"
#include "panel_notation.h"
#include "point_code.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestModel : public QObject
{
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QList<int>>("point"); // input module and channel list positions
        QTest::newRow("A/1 is a point, not nothing") << 0 << QList<int>{1, 0};
        QTest::newRow("A/10") << 9 << QList<int>{1, 9};
        QTest::newRow("B/1") << 10 << QList<int>{2, 0};
        QTest::newRow("P/10") << 159 << QList<int>{16, 9};
        QTest::newRow("not assigned") << 160 << QList<int>{0, -1};
        QTest::newRow("above 160") << 255 << QList<int>{0, -1};
        QTest::newRow("-1 leaves the channel empty") << -1 << QList<int>{1, -1};
        QTest::newRow("-5 matches no channel") << -5 << QList<int>{1, -5};
    }
    void decode()
    {
        QFETCH(int, code);
        const DecodedPoint point = decode_point_code(qint16(code));
        QTEST((QList<int>{point.module, point.channel}), "point");
    }

    // Slot k is bit k - 1 of the low byte; slots 9 and 10 are bits 0 and 1 of the high byte.
    void loop_bytes_data()
    {
        QTest::addColumn<QList<int>>("pressed"); // the slots of one side on DATA-B
        QTest::addColumn<QList<int>>("bytes");   // low, high
        QTest::newRow("all") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10} << QList<int>{255, 3};
        QTest::newRow("1, 3 and 8") << QList<int>{1, 3, 8} << QList<int>{133, 0};
        QTest::newRow("10 alone") << QList<int>{10} << QList<int>{0, 2};
    }
    void loop_bytes()
    {
        QFETCH(QList<int>, pressed);
        LoopFlags flags{};
        for (int k : pressed)
            flags[std::size_t(k - 1)] = true;
        const auto [low, high] = pack_loop_flags(flags);
        QTEST((QList<int>{low, high}), "bytes");
        // Bits that belong to no slot are dropped, and bits above the byte too.
        QCOMPARE(unpack_loop_flags(qint16(low + 256), qint16(high | 252)), flags);
    }

    // What a write stores and a save writes, or the side that keeps them from it.
    void gathering_data()
    {
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("incomplete"); // every incomplete side, first one first
        QTest::addColumn<QString>("image");      // when complete, in the notation of a module
        const auto row = [](const char *name, const char *panel, const char *incomplete,
                            const char *image) {
            QTest::newRow(name) << panel << incomplete << image;
        };
        row("every slot N/A", "", "", "");
        row("IN-1 C/4 DATA-B, IN-3 B/5 to A/1, loops of 8, 9, 10",
            "IN1=C4.B OUT1=F8 IN3=B5 OUT3=A1 IN8=A1.B OUT8=A2 IN9=A3 OUT9=A4.B IN10=A5 OUT10=A6.B",
            "",
            "IN1=#23 OUT1=#57 IN3=#14 OUT3=#0 IN8=#0 OUT8=#1 IN9=#2 OUT9=#3 IN10=#4 OUT10=#5 "
            "L=129,0,0,3");
        // A switched-off slot is written as not assigned, whatever its hidden lists hold.
        row("output of an N/A slot", "OUT6=D4", "", "");
        row("inputs before outputs", "IN2=B1 OUT2=-- IN5=C- OUT5=A1",
            "IN5 channel; OUT2 module channel", "");
    }
    void gathering()
    {
        QFETCH(QString, panel);
        QFETCH(QString, incomplete);
        QFETCH(QString, image);
        const Panel p = panel_of(panel);
        QStringList found;
        for (const IncompleteSide &side : incomplete_sides(p))
            found << (side.output ? u"OUT%1"_s : u"IN%1"_s).arg(side.slot) +
                         (side.module_missing ? u" module"_s : u""_s) +
                         (side.channel_missing ? u" channel"_s : u""_s);
        QCOMPARE(found.join(u"; "_s), incomplete);
        const auto written = image_to_write(p);
        QCOMPARE(written.has_value(), incomplete.isEmpty());
        QCOMPARE(record_to_save(p).has_value(), incomplete.isEmpty());
        if (!written)
            return;
        QCOMPARE(*written, image_of(image));
        // The record carries the same codes and loop bytes, and the panel's name.
        Panel named = p;
        named.name = u"PANEL"_s;
        QCOMPARE(*record_to_save(named), record_of(image));
    }
};

QTEST_APPLESS_MAIN(TestModel)
#include "tst_model.moc"
