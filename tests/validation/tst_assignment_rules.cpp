// The two latch-up rules on their own: one snapshot of the window in, the rule per input out.

#include "assignment_notation.h"
#include "assignment_rules.h"
#include "converter_config.h"

#include <QTest>

class TestAssignmentRules : public QObject
{
    Q_OBJECT

private slots:
    void rule_per_input_data();
    void rule_per_input();
};

namespace
{
// One character per input IN-1 .. IN-10: '.' no rule, 'O' own-output rule, 'X' other-output.
QString rules_of(const AssignmentSnapshot &snapshot)
{
    QString rules;
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        switch (assignment_rule(snapshot, k)) {
        case AssignmentRule::None:
            rules += u'.';
            break;
        case AssignmentRule::OwnOutput:
            rules += u'O';
            break;
        case AssignmentRule::OtherOutput:
            rules += u'X';
            break;
        }
    }
    return rules;
}
} // namespace

void TestAssignmentRules::rule_per_input_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("rules");

    QTest::newRow("start-up window") << ""
                                     << "..........";
    QTest::newRow("input without channel is not checked") << "IN4=C- OUT4=C1"
                                                          << "..........";

    // Own output.
    QTest::newRow("own output, both DATA-A") << "IN1=A3 OUT1=A3"
                                             << "O.........";
    QTest::newRow("own output, both DATA-B") << "IN1=A3.B OUT1=A3.B"
                                             << "O.........";
    QTest::newRow("own output, other loop") << "IN1=A3 OUT1=A3.B"
                                            << "..........";
    QTest::newRow("own output, input on DATA-B") << "IN5=E2.B OUT5=E2"
                                                 << "..........";
    QTest::newRow("own output, other channel") << "IN1=A3 OUT1=A4"
                                               << "..........";
    QTest::newRow("own output, other module") << "IN1=A3 OUT1=B3"
                                              << "..........";
    QTest::newRow("own output without channel") << "IN1=A3 OUT1=A-"
                                                << "..........";
    QTest::newRow("own output without module") << "IN1=A3 OUT1=-3"
                                               << "..........";
    QTest::newRow("last letter and channel") << "IN10=P10.B OUT10=P10.B"
                                             << ".........O";

    // Another slot's output.
    QTest::newRow("other output") << "IN2=B5 IN7=C1 OUT7=B5"
                                  << ".X........";
    QTest::newRow("other output, other loop") << "IN2=B5 IN7=C1 OUT7=B5.B"
                                              << "..........";
    QTest::newRow("other output, both DATA-B") << "IN2=B5.B IN7=C1 OUT7=B5.B"
                                               << ".X........";
    QTest::newRow("two other outputs") << "IN2=B5 IN4=C1 OUT4=B5 IN7=C1 OUT7=B5"
                                       << ".X........";
    QTest::newRow("lower slot's output") << "IN1=B2 OUT1=A1 IN9=A1"
                                         << "........X.";
    QTest::newRow("own output wins over another") << "IN3=D4 OUT3=D4 IN5=E1 OUT5=D4"
                                                  << "..O.......";

    // Each input is judged on the snapshot alone; the routine re-reads between inputs.
    QTest::newRow("two inputs on one output") << "IN3=D4 OUT3=D4 IN5=D4"
                                              << "..O.X.....";
    QTest::newRow("both sides of one output") << "IN3=D4 IN5=D4 OUT5=D4"
                                              << "..X.O.....";
    QTest::newRow("first and sixth") << "IN1=A1 OUT1=A1 IN6=F6 IN7=C1 OUT7=F6"
                                     << "O....X....";

    // Sharing is allowed.
    QTest::newRow("inputs share a source") << "IN1=A3 IN2=A3"
                                           << "..........";
    QTest::newRow("outputs share a destination") << "IN1=C1 OUT1=A3 IN2=C2 OUT2=A3"
                                                 << "..........";

    // Nothing is named by an input that is off or has no module, nor by a switched-off slot.
    QTest::newRow("N/A input against output without module") << "IN1=N/A3 IN2=B1 OUT2=-3"
                                                             << "..........";
    QTest::newRow("input without module against output without module") << "IN1=-3 IN2=B1 OUT2=-3"
                                                                        << "..........";
    QTest::newRow("output of a switched-off slot") << "IN2=B5 IN7=N/A- OUT7=B5"
                                                   << "..........";
}

void TestAssignmentRules::rule_per_input()
{
    QFETCH(QString, window);
    QFETCH(QString, rules);
    QCOMPARE(rules_of(snapshot_of(window)), rules);
}

QTEST_APPLESS_MAIN(TestAssignmentRules)
#include "tst_assignment_rules.moc"
