// The open and save commands through the real window, with real files in a temporary folder.

#include "blank_record.h"
#include "file_commands.h"
#include "file_texts.h"
#include "form1.h"
#include "point_code.h"
#include "recording_prompts.h"
#include "ui_constants.h"
#include "validation_texts.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <functional>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace
{

constexpr int PANEL_NAME_BOX = 2;

// Everything of the window that a file carries.
QStringList state_of(const Form1 &form)
{
    QStringList state;
    for (qint16 position : form.list_positions())
        state << QString::number(position);
    for (int n = 1; n <= TOGGLE_COUNT; ++n)
        state << QString::number(form.ToggleButton(n)->isChecked());
    for (int n = PANEL_NAME_BOX; n <= output_designation_box(SLOT_COUNT); ++n)
        state << form.Text(n)->text() << QString::number(form.Text(n)->isHidden());
    return state;
}

// Slots 1, 2 and 4 assigned (inputs on module B, outputs on C, so nothing conflicts), slot 3
// "N/A", two loops on DATA-B, designations with commas, blanks and code page letters.
void fill(Form1 &form)
{
    for (int k : {1, 2, 4}) {
        const auto channel = static_cast<qint16>(k - 1);
        form.set_list_position(input_module_list(k), 2);
        form.set_list_position(input_channel_list(k), channel);
        form.set_list_position(output_module_list(k), 2);
        form.set_list_position(output_channel_list(k), channel);
    }
    form.ToggleButton(input_toggle(1))->setChecked(true);
    form.ToggleButton(output_toggle(2))->setChecked(true);
    form.Text(input_designation_box(1))->setText(u"PUMP, MAIN"_s);
    form.Text(output_designation_box(1))->setText(u"  VALVE  "_s);
    form.Text(input_designation_box(2))->setText(u"ÉCLAIRAGE €"_s);
    form.Text(PANEL_NAME_BOX)->setText(u"NORTH PANEL"_s);
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A window with its commands, and a person who answers the file dialogs from a queue.
struct Session {
    RecordingPrompts prompts;
    Form1 form{prompts};
    FileCommands commands{form};
    bool busy_during_a_box = false;

    Session()
    {
        prompts.on_message = [this](const auto &) { busy_during_a_box |= form.config().busy; };
    }
    void open(const QString &path) { prompts.file_answers = {path}, commands.READ_FILE(); }
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

class TestFilesCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void save_over_a_file_and_open_round_trip();
    void save_checks_in_order_data();
    void save_checks_in_order();
    void failed_save_keeps_the_old_file_data();
    void failed_save_keeps_the_old_file();
    void open_failures_data();
    void open_failures();
    void open_applies_and_validates_the_record();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

void TestFilesCommands::save_over_a_file_and_open_round_trip()
{
    Session writer;
    fill(writer.form);
    // Typing stops at 12 characters; a name that long comes only from an opened file.
    writer.form.Text(PANEL_NAME_BOX)->setMaxLength(40);
    writer.form.Text(PANEL_NAME_BOX)->setText(u"../NORTH\\PANEL: 2"_s);
    const QString file = path(u"round.olc"_s);
    put(file, QByteArray(4096, 'x') + "\r\nsecond line\r\n");
    writer.save(file);
    // The proposed name cannot lead into another folder.
    QCOMPARE(writer.prompts.file_requests.value(0).file_name, u".._NORTH_PANEL_ 2.olc"_s);
    const QByteArray saved = contents(file);
    QVERIFY(saved.startsWith("\"00-00574-000\",\"../NORTH\\PANEL: 2\",\"PUMP, MAIN\",10,"));
    QVERIFY(saved.contains(",\"\xc9"
                           "CLAIRAGE \x80\",11,"));
    QVERIFY(saved.endsWith(",1,0,2,0\r\n"));

    Session reader;
    reader.open(file);
    QCOMPARE(writer.boxes() + reader.boxes(), QStringList());
    QCOMPARE(state_of(reader.form), state_of(writer.form));
    QCOMPARE(reader.form.config().busy, FALSE16);
    // And the window it opened saves the very same bytes.
    reader.save(path(u"again.olc"_s));
    QCOMPARE(contents(path(u"again.olc"_s)), saved);
}

void TestFilesCommands::save_checks_in_order_data()
{
    QTest::addColumn<int>("first");         // the first of the faults below the window gets
    QTest::addColumn<QStringList>("shown"); // the status text and its colour, then any box
    const QString red = ui::RED.name();
    QTest::newRow("inputs") << 0 << QStringList{files::INPUTS_INCOMPLETE, red};
    QTest::newRow("outputs") << 1 << QStringList{files::OUTPUTS_INCOMPLETE, red};
    QTest::newRow("panel name") << 2
                                << QStringList{qApp->applicationName(), files::PANEL_NAME_MISSING};
    QTest::newRow("double quote") << 3
                                  << QStringList{
                                         files::UNWRITABLE_TITLE,
                                         files::DOUBLE_QUOTE_TEXT.arg(u"IN-2 DESIGNATION"_s)};
    QTest::newRow("outside the code page")
        << 4
        << QStringList{files::UNWRITABLE_TITLE,
                       files::NOT_IN_CODE_PAGE_TEXT.arg(u"OUT-10 DESIGNATION"_s, u"U+1F600 (😀)"_s)};
}

void TestFilesCommands::save_checks_in_order()
{
    QFETCH(int, first);
    QFETCH(QStringList, shown);
    Session session;
    Form1 &form = session.form;
    fill(form);
    form.show_status(u"EARLIER"_s, ui::GREEN);
    // Every fault from the first on, so the one reported shows the order of the checks.
    const std::function<void()> faults[] = {
        [&] { form.set_list_position(input_module_list(3), 4); },
        [&] { form.set_list_position(output_channel_list(4), NO_SELECTION); },
        [&] { form.Text(PANEL_NAME_BOX)->clear(); },
        [&] { form.Text(input_designation_box(2))->setText(u"12\" PIPE"_s); },
        [&] { form.Text(output_designation_box(10))->setText(u"OK 😀"_s); }};
    for (int i = first; i < int(std::size(faults)); ++i)
        faults[i]();
    session.save(path(u"refused.olc"_s));

    QVERIFY(session.prompts.file_requests.isEmpty());
    QStringList seen;
    if (!form.Text1()->isHidden())
        seen << form.status_text() << form.status_background().name();
    QCOMPARE(seen + session.boxes(), shown);
}

void TestFilesCommands::failed_save_keeps_the_old_file_data()
{
    QTest::addColumn<QString>("limit");           // as the child takes it
    QTest::newRow("file size limit") << u"512"_s; // the new record is over a kilobyte
    QTest::newRow("folder not writable") << u"nobody"_s;
}

// The save runs in a child process, which alone gets the limit.
void TestFilesCommands::failed_save_keeps_the_old_file()
{
    QFETCH(QString, limit);
    const QString folder = path(limit);
    QVERIFY(QDir().mkpath(folder));
    const QString file = QDir(folder).filePath(u"old.olc"_s);
    const QByteArray old = write_config_record(blank_record()).bytes;
    put(file, old);
    // Anyone may write the old file, so only the folder can stop the save; nobody must reach
    // the folder but not write in it.
    const QByteArray folder_name = QFile::encodeName(folder);
    QCOMPARE(chmod(QFile::encodeName(file), 0666), 0);
    if (limit == u"nobody") {
        QCOMPARE(chmod(QFile::encodeName(m_dir.path()), 0755), 0);
        QCOMPARE(chmod(folder_name, 0555), 0);
    }

    QProcess child;
    child.start(QStringLiteral(SAVE_CHILD), {file, limit});
    QVERIFY(child.waitForFinished());
    chmod(folder_name, 0755);
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(child.readAllStandardOutput()),
             files::SAVE_FAILED_TITLE + u'\n');
    QCOMPARE(contents(file), old);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"old.olc"_s});
}

void TestFilesCommands::open_failures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // null: nothing is written there

    const QByteArray good = write_config_record(blank_record()).bytes;
    QTest::newRow("other model") << u"a.olc"_s << QByteArray(good).replace("00574", "00575");
    QTest::newRow("not a number") << u"b.olc"_s << QByteArray(good).replace(",160,", ",N/A,");
    QTest::newRow("no such file") << u"missing.olc"_s << QByteArray();
}

void TestFilesCommands::open_failures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    Session session;
    fill(session.form);
    session.form.show_status(u"EARLIER"_s, ui::GREEN);
    const QStringList before = state_of(session.form);
    const QString file = path(name);
    if (!bytes.isNull())
        put(file, bytes);
    session.open(file);

    QCOMPARE(session.prompts.file_requests.size(), 1);
    QCOMPARE(session.boxes(), (QStringList{files::MISMATCH_TITLE, files::MISMATCH_TEXT}));
    QVERIFY(!session.busy_during_a_box);
    QCOMPARE(session.form.config().busy, FALSE16);
    QVERIFY(session.form.Text1()->isHidden());
    QCOMPARE(state_of(session.form), before);

    // The validation works again: OUT-4 on IN-4's own point and loop is refused at once.
    session.prompts.messages.clear();
    session.form.set_list_position(output_module_list(4), 1);
    QCOMPARE(session.prompts.messages.size(), 1);
    QCOMPARE(session.boxes().value(0), validation::CHANNEL_ASSIGNMENT_ERROR_TITLE);
}

void TestFilesCommands::open_applies_and_validates_the_record()
{
    // IN-2 and IN-4 (code 200) are "N/A" with designations in the file, IN-3 is module A
    // channel 1, IN-5 module A with no channel, OUT-3 unassigned with a designation, and OUT-6
    // on IN-6's own point and loop, which the validation refuses once the file is in.
    ConfigRecord record = blank_record();
    record.in = {12, 160, 0, 200, -1, 14, 160, 160, 160, 160};
    record.out = {159, 160, 160, 160, 160, 14, 160, 160, 160, 160};
    record.indesig = {u"FIRE ALARM"_s, u"IGNORED"_s, u"VALVE 3"_s, u"IGNORED TOO"_s};
    record.outdesig = {u"SIREN"_s, u"IGNORED"_s, u"NO OUTPUT"_s, u"IGNORED TOO"_s};
    record.loops = {5, 252, 0, 0};
    const QString file = path(u"applied.olc"_s);
    put(file, write_config_record(record).bytes);

    Session session;
    Form1 &form = session.form;
    session.open(file);
    QCOMPARE(session.boxes().value(0), validation::CHANNEL_ASSIGNMENT_ERROR_TITLE);
    QCOMPARE(session.prompts.messages.size(), 1);
    QVERIFY(!session.busy_during_a_box);
    // Per slot: input module and channel, output module and channel, as list positions.
    constexpr qint16 NA = NA_POSITION, NONE = NO_SELECTION;
    const qint16 positions[][4] = {{2, 2, 15, 9},         {NA, NONE, NONE, NONE},
                                   {1, 0, NONE, NONE},    {NA, NONE, NONE, NONE},
                                   {1, NONE, NONE, NONE}, {2, 4, NONE, NONE}};
    for (int k = 1; k <= 6; ++k) {
        const int lists[] = {input_module_list(k), input_channel_list(k), output_module_list(k),
                             output_channel_list(k)};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(form.list_position(lists[i]), positions[k - 1][i]);
    }
    // A designation shows where its side is assigned; elsewhere the placeholder, hidden.
    const QString shown[][2] = {{u"FIRE ALARM"_s, u"SIREN"_s}, {}, {u"VALVE 3"_s, {}}, {}};
    for (int k = 1; k <= 4; ++k)
        for (int side : {0, 1}) {
            const QString &text = shown[k - 1][side];
            QLineEdit *box =
                form.Text(side == 0 ? input_designation_box(k) : output_designation_box(k));
            QCOMPARE(box->text(), text.isEmpty() ? ui::DESIGNATION : text);
            QCOMPARE(box->isHidden(), text.isEmpty());
        }
    // 5 presses IN-1 and IN-3; the unused high bits of 252 press nothing.
    for (int n = 1; n <= TOGGLE_COUNT; ++n)
        QCOMPARE(form.ToggleButton(n)->isChecked(), n == 1 || n == 3);

    // A code no list holds stops a later open.
    record.in[7] = -2;
    put(file, write_config_record(record).bytes);
    session.prompts.messages.clear();
    session.open(file);
    QCOMPARE(session.boxes(), (QStringList{files::MISMATCH_TITLE, files::MISMATCH_TEXT}));
}

QTEST_MAIN(TestFilesCommands)
#include "tst_files_commands.moc"
