// The open and save commands through the real window, with real files in a temporary folder;
// what the window holds after an open against what the model says it holds.

#include "config_record.h"
#include "file_commands.h"
#include "file_texts.h"
#include "form1.h"
#include "panel_check.h"
#include "recording_prompts.h"
#include "ui_constants.h"
#include "validation_texts.h"
#include "whole_files.h"
#include "window_notation.h"

#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace
{

const QString SLOW = u"slow.olc"_s; // a file on a disk that answers late, or never

// Everything of the window that a file carries, and the colours of its lists.
QStringList state_of(const Form1 &form)
{
    QStringList state;
    for (qint16 position : form.panel().positions())
        state << QString::number(position);
    for (int n = 1; n <= LIST_COUNT; ++n)
        state << Form1::background(form.List(n)).name();
    for (int n = 1; n <= TOGGLE_COUNT; ++n)
        state << QString::number(form.ToggleButton(n)->isChecked());
    for (int n = ui::PANEL_NAME_BOX; n <= output_designation_box(SLOT_COUNT); ++n)
        state << form.Text(n)->text() << QString::number(form.Text(n)->isHidden());
    return state;
}

// Slots 1, 2 and 4 assigned (inputs on module B, outputs on C, so nothing conflicts), slot 3
// "N/A", two loops on DATA-B, designations with commas, blanks and code page letters.
void fill(Form1 &form)
{
    edit(form, u"IN1=B1.B OUT1=C1 IN2=B2 OUT2=C2.B IN4=B4 OUT4=C4"_s);
    form.Text(input_designation_box(1))->setText(u"PUMP, MAIN"_s);
    form.Text(output_designation_box(1))->setText(u"  VALVE  "_s);
    form.Text(input_designation_box(2))->setText(u"ÉCLAIRAGE €"_s);
    form.Text(ui::PANEL_NAME_BOX)->setText(u"NORTH PANEL"_s);
}

// A window with its commands, and a person who answers the file dialogs from a queue.
struct Session {
    RecordingPrompts prompts;
    Form1 form{prompts};
    FileCommands commands{form};
    bool busy_during_a_box = false;

    Session()
    {
        prompts.on_message = [this](const auto &) { busy_during_a_box |= form.busy(); };
    }
    // An ordinary file opens inside the click; a machine too loaded to read it within the
    // quick wait finishes it soon after.
    void open(const QString &path)
    {
        prompts.file_answers = {path};
        commands.READ_FILE();
        QVERIFY(QTest::qWaitFor([this] { return !commands.running(); }));
    }
    void save(const QString &path) { prompts.file_answers = {path}, commands.WRITE_FILE(); }
    // Title and text of every box shown so far.
    QStringList boxes() const
    {
        QStringList shown;
        for (const RecordingPrompts::Message &message : prompts.messages)
            shown << message.title << message.text;
        return shown;
    }
};

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void save_and_open_round_trip()
    {
        Session writer;
        fill(writer.form);
        // Typing stops at 12 characters; a name that long comes only from an opened file.
        writer.form.Text(ui::PANEL_NAME_BOX)->setText(u"../NORTH\\PANEL: 2"_s);
        const QString file = path(u"round.olc"_s);
        QVERIFY(put_file(file, QByteArray(4096, 'x') + "\r\nsecond line\r\n"));
        writer.save(file);
        // The proposed name cannot lead into another folder.
        QCOMPARE(writer.prompts.file_requests.value(0).file_name, u".._NORTH_PANEL_ 2.olc"_s);
        const QByteArray saved = file_bytes(file);
        QVERIFY(saved.startsWith("\"00-00574-000\",\"../NORTH\\PANEL: 2\",\"PUMP, MAIN\",10,"));
        QVERIFY(saved.contains(",\"\xc9"
                               "CLAIRAGE \x80\",11,"));
        // Opened again, it shows what the window that saved it showed, designations hidden where
        // their slot is off; also after an earlier open that pressed the hidden toggle of the
        // "N/A" slot 3, released again and its list greyed.
        const QString pressed = path(u"pressed.olc"_s);
        QVERIFY(put_file(pressed, write_config_record(record_of(u"IN3=N/A.B"_s)).bytes));
        Session reader;
        reader.open(pressed);
        reader.open(file);
        QCOMPARE(state_of(reader.form), state_of(writer.form));
        // Typed over, the long name takes 12 characters again.
        reader.form.Text(ui::PANEL_NAME_BOX)->selectAll();
        QTest::keyClicks(reader.form.Text(ui::PANEL_NAME_BOX), u"ABCDEFGHIJKLMNOP"_s);
        QCOMPARE(reader.form.Text(ui::PANEL_NAME_BOX)->text(), u"ABCDEFGHIJKL"_s);

        // A save the disk refuses says so, names the file and leaves what was there.
        const QString nowhere = path(u"no such folder/x.olc"_s);
        writer.save(nowhere);
        QCOMPARE(writer.boxes().value(0), ui::SAVE_FAILED_TITLE);
        QVERIFY(writer.boxes().value(1).startsWith(ui::SAVE_FAILED_KEPT_TEXT.section(u'\n', 0, 0) +
                                                   u'\n' + nowhere + u'\n'));
    }

    void save_checks_in_order_data()
    {
        QTest::addColumn<int>("first");         // the first of the faults below the window gets
        QTest::addColumn<QStringList>("shown"); // the status text and its colour, then any box
        const auto row = [](const char *name, int first, const QStringList &shown) {
            QTest::newRow(name) << first << shown;
        };
        const QString red = ui::RED.name();
        row("inputs", 0, {INCOMPLETE_INPUT_TEXT, red});
        row("outputs", 1, {INCOMPLETE_OUTPUT_TEXT, red});
        row("panel name", 2, {qApp->applicationName(), PANEL_NAME_MISSING});
        row("double quote", 3,
            {ui::UNWRITABLE_TITLE, ui::DOUBLE_QUOTE_TEXT.arg(u"IN-2 DESIGNATION"_s)});
        row("outside the code page", 4,
            {ui::UNWRITABLE_TITLE,
             ui::NOT_IN_CODE_PAGE_TEXT.arg(u"OUT-10 DESIGNATION"_s, u"U+1F600 (😀)"_s)});
    }

    void save_checks_in_order()
    {
        QFETCH(int, first);
        Session session;
        Form1 &form = session.form;
        fill(form);
        form.show_status(u"EARLIER"_s, ui::GREEN);
        // Every fault from the first on, so the one reported shows the order of the checks.
        const std::function<void()> faults[] = {
            [&] { form.set_list_position(input_module_list(3), 4); },
            [&] { form.set_list_position(output_channel_list(4), NO_SELECTION); },
            [&] { form.Text(ui::PANEL_NAME_BOX)->clear(); },
            [&] { form.Text(input_designation_box(2))->setText(u"12\" PIPE"_s); },
            [&] { form.Text(output_designation_box(10))->setText(u"OK 😀"_s); }};
        for (int i = first; i < int(std::size(faults)); ++i)
            faults[i]();
        session.save(path(u"refused.olc"_s));

        QVERIFY(session.prompts.file_requests.isEmpty());
        QStringList seen;
        if (!form.Text1()->isHidden())
            seen << form.status_text() << form.status_background().name();
        QTEST(seen + session.boxes(), "shown");
    }

    void open_agrees_with_the_model_data()
    {
        QTest::addColumn<QString>("record"); // every side's designation is its name, "IN3" ...
        // Each box as its title's first word and the sides it names as the window shows them while
        // it is open, "; " between boxes.
        QTest::addColumn<QString>("boxes");
        const auto row = [](const char *name, const char *record, const char *boxes) {
            QTest::newRow(name) << record << boxes;
        };
        row("own output on DATA-B", "IN1=B3.B OUT1=B3.B", "CHANNEL: IN1=B3.B OUT1=--.B");
        row("own output on the other loop", "IN1=B3.B OUT1=B3", "");
        // One run, no early stop, IN-1's box first; then IN-6's, refused by a lower slot's output.
        row("IN-1 own, IN-6 other", "IN1=A1 OUT1=A1 IN6=F6 OUT6=A2 IN10=C1 OUT10=F6",
            "CHANNEL: IN1=A1 OUT1=-- IN6=F6; DUPLICATE: IN1=A1 OUT1=-- IN6=F6");
        // The run nested in IN-3's return to "N/A" clears OUT-5; the outer run does not report it
        // a second time.
        row("IN-3 and IN-5 on OUT-5", "IN3=D4 OUT3=A1 IN5=D4 OUT5=D4",
            "DUPLICATE: IN3=D4 IN5=D4 OUT5=D4; CHANNEL: IN3=N/A- IN5=D4 OUT5=--");
        // A switched-off slot's hidden output never reaches the module, so it refuses nothing.
        row("hidden output of a switched-off slot", "OUT7=B5 IN2=B5 OUT2=A1", "");
        // Codes above 160, -1 (module A, no channel), an unassigned output of an active slot, and
        // loop bytes whose unused bits press nothing.
        row("odd codes and loop bytes",
            "IN1=B3 OUT1=P10 IN2=#200 OUT2=A1 IN3=A1 OUT3=#160 IN5=#-1 OUT5=#-1 L=5,252,0,0", "");
        // A code no list has a position for stops the open there, with the mismatch box.
        row("code below -1", "IN1=B3 IN8=#-2", "FILE/MODEL");
    }

    // The window opening a record holds what the model says the open leaves: every list, toggle,
    // designation and the panel name, and the same boxes. (Which designations show: the round
    // trip, and the window test's rows that switch a slot off.)
    void open_agrees_with_the_model()
    {
        QFETCH(QString, record);
        QFETCH(QString, boxes);
        ConfigRecord opened = record_of(record);
        for (int k = 1; k <= SLOT_COUNT; ++k) {
            opened.indesig[std::size_t(k - 1)] = u"IN%1"_s.arg(k);
            opened.outdesig[std::size_t(k - 1)] = u"OUT%1"_s.arg(k);
        }
        const QString file = path(u"parity.olc"_s);
        QVERIFY(put_file(file, write_config_record(opened).bytes));

        Session session;
        QStringList seen;
        const QStringList expected = boxes.split(u"; "_s);
        session.prompts.on_message = [&](const RecordingPrompts::Message &box) {
            const QString sides = expected.value(seen.size()).section(u": "_s, 1);
            seen << box.title.section(u' ', 0, 0) +
                        (sides.isEmpty() ? QString()
                                         : u": "_s + sides_of(session.form.panel(), sides));
        };
        session.open(file);
        QCOMPARE(seen.join(u"; "_s), boxes);

        const OpenedRecord model = open_record(opened);
        if (model.load.refused_list != 0) {
            QCOMPARE(boxes, MISMATCH_TITLE.section(u' ', 0, 0));
            return;
        }
        QCOMPARE(session.form.panel(), model.checked.panel);
        QCOMPARE(model.checked.findings.size(), seen.size());
        for (qsizetype i = 0; i < seen.size(); ++i)
            QCOMPARE(seen[i].startsWith(u"CHANNEL"_s),
                     model.checked.findings[i].rule == AssignmentRule::OwnOutput);
    }

    void open_refusals_data()
    {
        QTest::addColumn<QString>("made");     // what the test puts at the path
        QTest::addColumn<QByteArray>("bytes"); // what a file made holds
        // What a FILE READ FAILURE box calls it; or the mismatch box's title; empty: no box.
        QTest::addColumn<QString>("shown");
        const QByteArray good = write_config_record(record_of(QString())).bytes;
        const auto row = [](const char *name, const char *made, const QByteArray &bytes,
                            const QString &shown) {
            QTest::newRow(name) << made << bytes << shown;
        };
        row("other model", "file", QByteArray(good).replace("00574", "00575"), MISMATCH_TITLE);
        row("not a number", "file", QByteArray(good).replace(",160,", ",N/A,"), MISMATCH_TITLE);
        row("no such file", "", {}, MISMATCH_TITLE);
        // Each would block an open for as long as nobody writes, or never end a read.
        row("FIFO without a writer", "fifo", {}, ui::PIPE_KIND);
        row("/dev/zero", "zero", {}, ui::DEVICE_KIND);
        // The system refuses to read a folder: silent, as any refused access.
        row("folder", "folder", {}, QString());
    }

    // A refused open leaves the window as it was, and not busy, so the check works again.
    void open_refusals()
    {
        QFETCH(QString, made);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QString file = path(QString::fromLatin1(QTest::currentDataTag()).remove(u'/'));
        if (made == u"file"_s)
            QVERIFY(put_file(file, bytes));
        else if (made == u"fifo"_s)
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else if (made == u"zero"_s)
            file = u"/dev/zero"_s;
        else if (made == u"folder"_s)
            QVERIFY(QDir().mkpath(file));

        Session session;
        fill(session.form);
        session.form.show_status(u"EARLIER"_s, ui::GREEN);
        const auto before = state_of(session.form);
        session.open(file);
        QStringList expected{ui::OPEN_FAILED_TITLE, ui::OPEN_NOT_A_FILE_TEXT.arg(file, shown)};
        if (shown.isEmpty() || shown == MISMATCH_TITLE)
            expected = shown.isEmpty() ? QStringList() : QStringList{shown, ui::MISMATCH_TEXT};
        QCOMPARE(session.boxes(), expected);
        QVERIFY(!session.busy_during_a_box);
        QVERIFY(!session.form.busy() && !session.commands.running());
        QVERIFY(session.form.Text1()->isHidden());
        QCOMPARE(state_of(session.form), before);
    }

    void open_waits_for_a_slow_file_data()
    {
        QTest::addColumn<bool>("arrives");      // the file comes while the window waits, or never
        QTest::addColumn<QStringList>("shown"); // the boxes after the wait
        QTest::newRow("late file") << true << QStringList();
        QTest::newRow("disk that never answers")
            << false
            << QStringList{ui::OPEN_FAILED_TITLE,
                           ui::OPEN_TIMED_OUT_TEXT.arg(path(SLOW), u"0.3"_s)};
    }

    void open_waits_for_a_slow_file()
    {
        QFETCH(bool, arrives);
        QVERIFY(put_file(path(SLOW), write_config_record(record_of(QString())).bytes));
        // Stands in for a hung network mount: the load waits until the test lets it go.
        auto gate = std::make_shared<std::atomic<bool>>(false);
        const auto let_go = [gate] {
            *gate = true;
            gate->notify_all();
        };
        const auto at_end = qScopeGuard(let_go);
        Session session;
        session.commands.loader().set_load_function([gate](const QString &name) {
            gate->wait(false);
            return load_record_file(name);
        });
        if (!arrives)
            session.commands.loader().set_time_limit(300ms);
        fill(session.form);

        session.prompts.file_answers = {path(SLOW)};
        session.commands.READ_FILE();
        QVERIFY(session.commands.running());
        QVERIFY(QGuiApplication::overrideCursor());
        // Meanwhile, with the load still held, the window answers a click, ignores a second open
        // and a save, and validates edits as always: OUT-4 on IN-4's own point and loop is refused.
        bool answered = false;
        connect(session.form.WRITE_CONFIG(), &QAbstractButton::clicked, [&] { answered = true; });
        QMetaObject::invokeMethod(session.form.WRITE_CONFIG(), &QAbstractButton::click,
                                  Qt::QueuedConnection);
        QTRY_VERIFY(answered);
        session.commands.READ_FILE();
        session.save(path(u"meanwhile.olc"_s));
        QCOMPARE(session.prompts.file_requests.size(), 1);
        session.form.set_list_position(output_module_list(4), 1);
        QCOMPARE(session.boxes().value(0), validation::CHANNEL_ASSIGNMENT_ERROR_TITLE);
        session.prompts.messages.clear();
        const QStringList before = state_of(session.form);

        if (arrives)
            let_go();
        QTRY_VERIFY(!session.commands.running());
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(session.form.busy(), false);
        QVERIFY(!session.busy_during_a_box);
        QTEST(session.boxes(), "shown");
        QCOMPARE(state_of(session.form) == before, !arrives);
        // The next open is a new one, on a disk that answers.
        session.commands.loader().set_load_function(load_record_file);
        session.open(path(SLOW));
        QCOMPARE(session.form.Text(ui::PANEL_NAME_BOX)->text(), record_of(QString()).panel);
    }

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

QTEST_MAIN(TestFileCommands)
#include "tst_file_commands.moc"
