// The file check and the comparison of a module with a file, as the data both front ends word:
// each finding by kind, slot, field and code, each difference by side, slot and address.

#include "config_record.h"
#include "configuration_texts.h"
#include "panel_check.h"
#include "panel_comparison.h"
#include "panel_loading.h"
#include "panel_notation.h"
#include "record_check.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace
{

const QString NORTH = u"IN1=B3 OUT1=C2 IN2=A1 OUT2=C3 L=1,0,0,0"_s;

QByteArray record(const QString &notation)
{
    return write_config_record(record_of(notation)).bytes;
}

// "damaged out_of_range field 8", "other_output IN2 4,7", "incomplete OUT5 module channel".
QString finding(const RecordProblem &p)
{
    using Kind = RecordProblem::Kind;
    const QString side = (p.output ? u"OUT%1"_s : u"IN%1"_s).arg(p.slot);
    switch (p.kind) {
    case Kind::Damaged: {
        static const QStringList damage{u"none"_s,         u"too_short"_s,    u"too_large"_s,
                                        u"not_a_number"_s, u"out_of_range"_s, u"no_code_page"_s,
                                        u"no_position"_s};
        const QString text = u"damaged "_s + damage.at(int(p.damage));
        if (p.damage == RecordProblem::Damage::NoPosition)
            return text + u" %1 %2"_s.arg(side).arg(p.code);
        return p.field ? text + u" field %1"_s.arg(p.field) : text;
    }
    case Kind::OtherModel:
        return u"other_model "_s + p.model;
    case Kind::OwnOutput:
        return u"own_output %1 %2"_s.arg(side, p.point.data_b ? u"B"_s : u"A"_s);
    case Kind::OtherOutput: {
        QStringList outputs;
        for (int j : p.outputs)
            outputs << QString::number(j);
        return u"other_output %1 %2"_s.arg(side, outputs.join(u','));
    }
    case Kind::IncompleteInput:
    case Kind::IncompleteOutput:
        break;
    }
    return u"incomplete "_s + side + (p.module_missing ? u" module"_s : u""_s) +
           (p.channel_missing ? u" channel"_s : u""_s);
}

} // namespace

class TestValidation : public QObject
{
    Q_OBJECT

private slots:
    void check_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("truncated"); // the start of a larger file
        QTest::addColumn<QStringList>("findings");
        const auto row = [](const char *name, const QByteArray &bytes, const QStringList &found,
                            bool truncated = false) {
            QTest::newRow(name) << bytes << truncated << found;
        };
        QByteArray other = record(NORTH);
        other.replace("00-00574-000", "00-00999-000");
        row("sound", record(NORTH), {});
        row("other model", other, {u"other_model 00-00999-000"_s});
        row("short", record(NORTH).left(100), {u"damaged too_short"_s});
        row("short in a larger file", record(NORTH).left(100), {u"damaged too_large"_s}, true);
        row("number beyond 16 bits", record(NORTH).replace(",160,", ",40000,"),
            {u"damaged out_of_range field 8"_s});
        row("text in a loop byte", record(NORTH).replace("1,0,0,0", "1,0,X,0"),
            {u"damaged not_a_number field 45"_s});
        row("a code that names no channel", record(u"IN3=#-7 OUT3=A1"_s),
            {u"damaged no_position IN3 -7"_s});
        row("two other outputs", record(u"IN2=B5 OUT2=A1 IN4=A2 OUT4=B5 IN7=A3 OUT7=B5"_s),
            {u"other_output IN2 4,7"_s});
        // The open clears OUT-3 first; then IN-3 still names OUT-5 on DATA-B.
        row("own and another output on DATA-B", record(u"IN3=C4.B OUT3=C4.B IN5=A1 OUT5=C4.B"_s),
            {u"own_output IN3 B"_s, u"other_output IN3 5"_s});
        row("incomplete sides", record(u"IN4=#-1 OUT4=H8 IN5=A1 OUT5=#160 IN6=A2 OUT6=#-1"_s),
            {u"incomplete IN4 channel"_s, u"incomplete OUT5 module channel"_s,
             u"incomplete OUT6 channel"_s});
    }
    void check()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, truncated);
        const RecordCheck checked = check_record(bytes, truncated);
        QStringList findings;
        for (const RecordProblem &problem : checked.problems)
            findings << finding(problem);
        QTEST(findings, "findings");
        QCOMPARE(checked.sound(), findings.isEmpty());
    }

    void differences_data()
    {
        QTest::addColumn<QString>("module");          // read from a module whose bytes are these
        QTest::addColumn<QStringList>("differences"); // "point OUT-1 at 10: C/2 -> N/A"
        QTest::newRow("the same") << NORTH << QStringList();
        QTest::newRow("a point and a loop")
            << u"IN1=C4 OUT1=C2 IN2=A1 OUT2=C3 L=1,0,2,0"_s
            << QStringList{u"point IN1 at 0: 2,3 -> 3,4"_s, u"loop OUT2 at 22: A -> B"_s};
        QTest::newRow("a slot switched off")
            << u"IN1=B3 OUT1=C2 L=1,0,0,0"_s
            << QStringList{u"point IN2 at 1: 1,1 -> N/A"_s, u"point OUT2 at 11: 2,3 -> N/A"_s};
        // Neither the bits that belong to no slot, nor the lists of a slot that is off.
        QTest::newRow("what the window never shows")
            << u"IN1=B3 OUT1=C2 IN2=A1 OUT2=C3 OUT5=F8 L=1,252,16,0"_s << QStringList();
    }
    void differences()
    {
        QFETCH(QString, module);
        const Panel file = open_record(record_of(NORTH)).checked.panel;
        QStringList listed;
        for (const PanelDifference &d : panel_differences(file, read_panel(image_of(module)))) {
            const auto value = [&](const std::optional<PanelSide> &side) {
                if (d.kind == PanelDifference::Kind::Loop)
                    return side && side->data_b ? u"B"_s : u"A"_s;
                return side ? u"%1,%2"_s.arg(side->module).arg(side->channel + 1) : u"N/A"_s;
            };
            listed << u"%1 %2%3 at %4: %5 -> %6"_s.arg(
                d.kind == PanelDifference::Kind::Point ? u"point"_s : u"loop"_s,
                d.output ? u"OUT"_s : u"IN"_s, QString::number(d.slot), QString::number(d.address),
                value(d.file), value(d.module));
        }
        QTEST(listed, "differences");
    }
};

QTEST_GUILESS_MAIN(TestValidation)
#include "tst_validation.moc"
