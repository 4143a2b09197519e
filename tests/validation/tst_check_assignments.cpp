// The assignment check through the real window: edits made through the lists and toggles, the
// boxes recorded, and the window looked at while each box is open.

#include "assignment_notation.h"
#include "check_assignments.h"
#include "form1.h"
#include "recording_prompts.h"
#include "slot_lists.h"
#include "validation_texts.h"

#include <QHash>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCheckAssignments : public QObject
{
    Q_OBJECT

private slots:
    void conflict_by_edit_data();
    void conflict_by_edit();
    void run_after_load_data();
    void run_after_load();
    void refused_input_goes_back_to_na();
    void other_match_waits_for_next_edit();
    void busy_suppresses_the_check();
    void message_texts_data();
    void message_texts();
};

namespace
{
const QString CHANNEL = validation::CHANNEL_ASSIGNMENT_ERROR_TITLE;
const QString DUPLICATE = validation::DUPLICATE_ERROR_TITLE;

// Makes the selections and toggle states as a person would, one control at a time: for each
// side its module list, channel list and loop toggle, touching only those that this side's
// token asks to change. Every change runs the window's own reaction.
void edit(Form1 &form, const QString &notation)
{
    QHash<int, qint16> asked_list;
    QHash<int, bool> asked_toggle;
    const auto change_list = [&](int n, qint16 position) {
        if (asked_list.value(n, form.list_position(n)) != position)
            form.set_list_position(n, position);
        asked_list.insert(n, position);
    };
    for (const SideSetting &side : parse_sides(notation)) {
        change_list(side.module_list(), side.module);
        change_list(side.channel_list(), side.channel);
        const int t = side.toggle();
        if (asked_toggle.value(t, form.toggle_pressed(t)) != side.data_b)
            form.ToggleButton(t)->setChecked(side.data_b);
        asked_toggle.insert(t, side.data_b);
    }
}

// Fills the window as a file open does: with the check held off, then one run.
void load(Form1 &form, const QString &notation)
{
    form.config().busy = TRUE16;
    edit(form, notation);
    form.config().busy = FALSE16;
    form.check_assignments();
}

// What the window shows for the sides named in `notation`, written in the same notation.
QString shown(const Form1 &form, const QString &notation)
{
    QStringList sides;
    for (const SideSetting &side : parse_sides(notation))
        sides << side.name + u'=' + side_shown(form, side.name);
    return sides.join(u' ');
}

QStringList titles(const RecordingPrompts &prompts)
{
    QStringList result;
    for (const auto &message : prompts.messages)
        result << message.title;
    return result;
}

// While box i is open, notes what the window shows for the sides of during[i].
void watch(RecordingPrompts &prompts, const Form1 &form, const QStringList &during,
           QStringList &seen)
{
    prompts.on_message = [&prompts, &form, during, &seen](const RecordingPrompts::Message &) {
        const qsizetype i = prompts.messages.size() - 1;
        seen << (i < during.size() ? shown(form, during.at(i)) : QStringLiteral("(unexpected)"));
    };
}
} // namespace

void TestCheckAssignments::conflict_by_edit_data()
{
    QTest::addColumn<QString>("edits");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("during"); // the window while each box is open
    QTest::addColumn<QString>("after");

    // OUT-1 is cleared before its box appears; IN-1 keeps its choice.
    QTest::newRow("own output, output channel last")
        << "IN1=A3 OUT1=A3" << QStringList{CHANNEL} << QStringList{u"IN1=A3 OUT1=--"_s}
        << "IN1=A3 OUT1=--";
    QTest::newRow("own output, input channel last")
        << "IN1=A- OUT1=A3 IN1=A3" << QStringList{CHANNEL} << QStringList{u"IN1=A3 OUT1=--"_s}
        << "IN1=A3 OUT1=--";
    QTest::newRow("own output, output module last")
        << "IN1=A3 OUT1=-3 OUT1=A3" << QStringList{CHANNEL} << QStringList{u"IN1=A3 OUT1=--"_s}
        << "IN1=A3 OUT1=--";
    QTest::newRow("own output on the other loop")
        << "IN1=A3 OUT1=--.B OUT1=A3.B" << QStringList{} << QStringList{} << "IN1=A3 OUT1=A3.B";

    // The loop toggles make and unmake conflicts as much as the lists do.
    QTest::newRow("toggle: input pressed to match")
        << "IN5=E2 OUT5=--.B OUT5=E2.B IN5=E2.B" << QStringList{CHANNEL}
        << QStringList{u"IN5=E2.B OUT5=--.B"_s} << "IN5=E2.B OUT5=--.B";
    QTest::newRow("toggle: output released to match")
        << "IN5=E2 OUT5=--.B OUT5=E2.B OUT5=E2" << QStringList{CHANNEL}
        << QStringList{u"IN5=E2 OUT5=--"_s} << "IN5=E2 OUT5=--";

    // IN-2 still shows its choice while the box is open, and "N/A" after it.
    QTest::newRow("other output") << "IN7=C1 OUT7=B5 IN2=B5" << QStringList{DUPLICATE}
                                  << QStringList{u"IN2=B5 OUT7=B5"_s} << "IN2=N/A- IN7=C1 OUT7=B5";
    QTest::newRow("other output on the other loop")
        << "IN7=C1 OUT7=--.B OUT7=B5.B IN2=B5" << QStringList{} << QStringList{}
        << "IN2=B5 OUT7=B5.B";
    QTest::newRow("two other outputs, one box")
        << "IN4=C1 OUT4=B5 IN7=C1 OUT7=B5 IN2=B5" << QStringList{DUPLICATE}
        << QStringList{u"IN2=B5 OUT4=B5 OUT7=B5"_s} << "IN2=N/A- OUT4=B5 OUT7=B5";

    // Sharing a source or a destination is allowed, and an input without channel is not checked.
    QTest::newRow("inputs share a source") << "IN1=A3 IN2=A3 OUT1=C1 OUT2=C1" << QStringList{}
                                           << QStringList{} << "IN1=A3 IN2=A3 OUT1=C1 OUT2=C1";
    QTest::newRow("outputs share a destination on DATA-B")
        << "IN1=C1 IN2=C2 OUT1=--.B OUT2=--.B OUT1=A3.B OUT2=A3.B" << QStringList{} << QStringList{}
        << "OUT1=A3.B OUT2=A3.B";
    QTest::newRow("input without channel")
        << "IN4=C- OUT4=C1" << QStringList{} << QStringList{} << "IN4=C- OUT4=C1";
}

void TestCheckAssignments::conflict_by_edit()
{
    QFETCH(QString, edits);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, during);
    QFETCH(QString, after);

    RecordingPrompts prompts;
    Form1 form(prompts);
    QStringList seen;
    watch(prompts, form, during, seen);

    edit(form, edits);

    QCOMPARE(titles(prompts), messages);
    QCOMPARE(seen, during);
    QCOMPARE(shown(form, after), after);
}

void TestCheckAssignments::run_after_load_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("during");
    QTest::addColumn<QString>("after");

    QTest::newRow("nothing to refuse") << "IN1=A3 OUT1=B4 IN2=B3 OUT2=A4" << QStringList{}
                                       << QStringList{} << "IN1=A3 OUT1=B4 IN2=B3 OUT2=A4";
    // One run, no early stop: IN-1's box first, and IN-1 already undone during IN-6's.
    QTest::newRow("IN-1 own, IN-6 other")
        << "IN1=A1 OUT1=A1 IN6=F6 IN7=C1 OUT7=F6" << QStringList{CHANNEL, DUPLICATE}
        << QStringList{u"IN1=A1 OUT1=-- IN6=F6"_s, u"IN1=A1 OUT1=-- IN6=F6"_s}
        << "IN1=A1 OUT1=-- IN6=N/A- OUT7=F6";
    QTest::newRow("IN-1 other, IN-6 other")
        << "IN1=B2 IN2=C1 OUT2=B2 IN6=F6 IN7=C1 OUT7=F6" << QStringList{DUPLICATE, DUPLICATE}
        << QStringList{u"IN1=B2 IN6=F6"_s, u"IN1=N/A- IN6=F6"_s} << "IN1=N/A- IN6=N/A-";
    // OUT-3 goes in block 3, so block 5 has nothing left to refuse.
    QTest::newRow("IN-3 and IN-5 on OUT-3")
        << "IN3=D4 OUT3=D4 IN5=D4" << QStringList{CHANNEL}
        << QStringList{u"IN3=D4 OUT3=-- IN5=D4"_s} << "IN3=D4 OUT3=-- IN5=D4";
    // IN-3 goes back to "N/A" first; the run nested in that change clears OUT-5, and the outer
    // run, reading the window again, does not report it a second time.
    QTest::newRow("IN-3 and IN-5 on OUT-5")
        << "IN3=D4 IN5=D4 OUT5=D4" << QStringList{DUPLICATE, CHANNEL}
        << QStringList{u"IN3=D4 IN5=D4 OUT5=D4"_s, u"IN3=N/A- IN5=D4 OUT5=--"_s}
        << "IN3=N/A- IN5=D4 OUT5=--";
    // A switched-off slot keeps whatever a file put into its hidden output lists; that output
    // never reaches the module, so it refuses nothing.
    QTest::newRow("hidden output of a switched-off slot")
        << "IN7=N/A- OUT7=B5 IN2=B5" << QStringList{} << QStringList{} << "IN2=B5 OUT7=B5";
}

void TestCheckAssignments::run_after_load()
{
    QFETCH(QString, window);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, during);
    QFETCH(QString, after);

    RecordingPrompts prompts;
    Form1 form(prompts);
    QStringList seen;
    watch(prompts, form, during, seen);

    load(form, window);

    QCOMPARE(titles(prompts), messages);
    QCOMPARE(seen, during);
    QCOMPARE(shown(form, after), after);
}

void TestCheckAssignments::refused_input_goes_back_to_na()
{
    RecordingPrompts prompts;
    Form1 form(prompts);
    const int k = 2;
    edit(form, QStringLiteral("IN7=C1 OUT7=--.B OUT7=B5.B IN2=B5 OUT2=A1"));
    QVERIFY(prompts.messages.isEmpty());

    // Pressing IN-2's toggle puts it on OUT-7's loop.
    form.ToggleButton(input_toggle(k))->setChecked(true);

    QCOMPARE(titles(prompts), QStringList{DUPLICATE});
    // The whole slot is switched off, as choosing "N/A" by hand does.
    QCOMPARE(shown(form, QStringLiteral("IN2=N/A- OUT2=--")), QStringLiteral("IN2=N/A- OUT2=--"));
    QVERIFY(form.List(input_channel_list(k))->isHidden());
    QVERIFY(form.List(output_module_list(k))->isHidden());
    QVERIFY(form.ToggleButton(input_toggle(k))->isHidden());
    QCOMPARE(form.config().inl[k - 1], qint16{0});
    QCOMPARE(Form1::background(form.List(input_module_list(k))), Form1::greyed_text_colour());
    // The output it named and its loop are left alone.
    QCOMPARE(shown(form, QStringLiteral("OUT7=B5.B")), QStringLiteral("OUT7=B5.B"));
}

void TestCheckAssignments::other_match_waits_for_next_edit()
{
    RecordingPrompts prompts;
    Form1 form(prompts);
    load(form, QStringLiteral("IN3=D4 OUT3=D4 IN5=E1 OUT5=D4"));
    QCOMPARE(titles(prompts), QStringList{CHANNEL});

    // The next edit, in any slot, runs the check again and finds IN-3 on OUT-5.
    edit(form, QStringLiteral("IN9=A1"));
    QCOMPARE(titles(prompts), (QStringList{CHANNEL, DUPLICATE}));
    QCOMPARE(shown(form, QStringLiteral("IN3=N/A- OUT5=D4")), QStringLiteral("IN3=N/A- OUT5=D4"));
}

void TestCheckAssignments::busy_suppresses_the_check()
{
    RecordingPrompts prompts;
    Form1 form(prompts);
    const QString conflicts = QStringLiteral("IN1=A1 OUT1=A1 IN7=C1 OUT7=B5 IN2=B5");

    // As during a device read: edits and toggles change the window but refuse nothing.
    form.config().busy = TRUE16;
    edit(form, conflicts);
    form.ToggleButton(output_toggle(9))->setChecked(true);
    form.check_assignments();
    QVERIFY(prompts.messages.isEmpty());
    QCOMPARE(shown(form, conflicts), conflicts);

    // The read ends without a run; the next edit, anywhere, reports both conflicts.
    form.config().busy = FALSE16;
    QVERIFY(prompts.messages.isEmpty());
    edit(form, QStringLiteral("IN9=A1"));
    QCOMPARE(titles(prompts), (QStringList{CHANNEL, DUPLICATE}));
    QCOMPARE(shown(form, QStringLiteral("IN1=A1 OUT1=-- IN2=N/A-")),
             QStringLiteral("IN1=A1 OUT1=-- IN2=N/A-"));
}

void TestCheckAssignments::message_texts_data()
{
    QTest::addColumn<QString>("edits");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("lines");

    const QString spaces(54, u' ');
    QTest::newRow("channel assignment")
        << "IN1=A3 OUT1=A3"
        << "CHANNEL ASSIGNMENT ERROR"
        << QStringList{
               u"THE ASSIGNED OUTPUT CHANNEL MUST BE DIFFERENT THAN THE ASSIGNED INPUT CHANNEL"_s,
               spaces + u"-- ON THE SAME LOOP --"_s};
    QTest::newRow("duplicate")
        << "IN7=C1 OUT7=B5 IN2=B5"
        << "DUPLICATE INPUT AND OUTPUT ERROR"
        << QStringList{
               u"WARNING! YOU HAVE ASSIGNED AN OUTPUT ON THIS MODULE TO ANOTHER INPUT ON THIS "
               "MODULE."_s,
               u"THIS MAY CAUSE SYSTEM LATCH-UP AND WILL NOT BE PERMITTED."_s,
               u"IF YOU DESIRE, YOU CAN:"_s,
               u"  1)  ASSIGN MULTIPLE INPUTS TO THE SAME CHANNEL, WITH DIFFERENT OUTPUT CHANNELS "
               "ASSIGNED."_s,
               u"  2)  ASSIGN MULTIPLE INPUTS FROM DIFFERENT CHANNELS TO THE SAME OUTPUT."_s,
               u"IT IS A GOOD PRACTICE TO ONLY USE INPUT CHANNELS TO THE DATA CONVERTER MODULE "
               "THAT ARE"_s,
               u"GENERATED BY A QMB MODULE OTHER THAN A DATA CONVERTER MODULE."_s};
}

void TestCheckAssignments::message_texts()
{
    QFETCH(QString, edits);
    QFETCH(QString, title);
    QFETCH(QStringList, lines);

    RecordingPrompts prompts;
    Form1 form(prompts);
    edit(form, edits);

    QCOMPARE(prompts.messages.size(), 1);
    const QString text = prompts.messages.first().text;
    QCOMPARE(prompts.messages.first().title, title);
    // Bare line feeds only, none leading or trailing.
    QVERIFY(!text.contains(u'\r'));
    QCOMPARE(text.split(u'\n'), lines);
}

QTEST_MAIN(TestCheckAssignments)
#include "tst_check_assignments.moc"
