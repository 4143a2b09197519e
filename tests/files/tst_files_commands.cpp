// The open and save commands through the real window, with real files in a temporary folder.

#include "config_record.h"
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
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

constexpr int PANEL_NAME_BOX = 2;
constexpr uid_t NOBODY = 65534;
constexpr rlim_t SMALL_FILE_LIMIT = 512; // bytes: above the old file, below the new record

// Everything of the window that a file carries.
struct WindowState {
    ListPositions positions{};
    std::array<bool, TOGGLE_COUNT> pressed{};
    std::array<QString, 2 * SLOT_COUNT + 3> texts;
    std::array<bool, 2 * SLOT_COUNT + 3> shown{};
    bool operator==(const WindowState &) const = default;
};

WindowState state_of(const Form1 &form)
{
    WindowState state;
    state.positions = form.list_positions();
    for (int n = 1; n <= TOGGLE_COUNT; ++n)
        state.pressed[static_cast<std::size_t>(n - 1)] = form.ToggleButton(n)->isChecked();
    for (int n = PANEL_NAME_BOX; n <= output_designation_box(SLOT_COUNT); ++n) {
        state.texts[static_cast<std::size_t>(n)] = form.Text(n)->text();
        state.shown[static_cast<std::size_t>(n)] = !form.Text(n)->isHidden();
    }
    return state;
}

// Selects IN-k and OUT-k by list positions, as clicks would.
void assign(Form1 &form, int k, int in_module, int in_channel, int out_module, int out_channel)
{
    form.set_list_position(input_module_list(k), static_cast<qint16>(in_module));
    form.set_list_position(input_channel_list(k), static_cast<qint16>(in_channel));
    form.set_list_position(output_module_list(k), static_cast<qint16>(out_module));
    form.set_list_position(output_channel_list(k), static_cast<qint16>(out_channel));
}

// Slots 1, 2 and 4 assigned (inputs on module B, outputs on C, so nothing conflicts), slot 3
// "N/A", two loops on DATA-B, designations with commas, blanks and code page letters.
void fill(Form1 &form)
{
    assign(form, 1, 2, 0, 2, 0);
    assign(form, 2, 2, 1, 2, 1);
    assign(form, 4, 2, 3, 2, 3);
    form.ToggleButton(input_toggle(1))->setChecked(true);
    form.ToggleButton(output_toggle(2))->setChecked(true);
    form.Text(input_designation_box(1))->setText(QStringLiteral("PUMP, MAIN"));
    form.Text(output_designation_box(1))->setText(QStringLiteral("  VALVE  "));
    form.Text(input_designation_box(2))->setText(QStringLiteral("ÉCLAIRAGE €"));
    form.Text(PANEL_NAME_BOX)->setText(QStringLiteral("NORTH PANEL"));
}

// A record of ten unassigned slots; the cases below change what they need.
ConfigRecord blank_record()
{
    ConfigRecord record;
    record.model = files::MODEL_ID;
    record.panel = QStringLiteral("FROM FILE");
    record.indesig.fill(ui::DESIGNATION);
    record.outdesig.fill(ui::DESIGNATION);
    record.in.fill(NOT_ASSIGNED);
    record.out.fill(NOT_ASSIGNED);
    return record;
}

QByteArray bytes_of(const ConfigRecord &record)
{
    return write_config_record(record).bytes;
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

// One window with its commands and a person who answers from a queue.
struct Session {
    RecordingPrompts prompts;
    Form1 form{prompts};
    FileCommands commands{form};

    // Wired as the program wires them.
    Session()
    {
        QObject::connect(form.READ_FILE(), &QPushButton::clicked, &commands,
                         &FileCommands::READ_FILE);
        QObject::connect(form.WRITE_FILE(), &QPushButton::clicked, &commands,
                         &FileCommands::WRITE_FILE);
    }

    void open(const QString &path)
    {
        prompts.file_answers = {path};
        form.READ_FILE()->click();
    }
    void save(const QString &path)
    {
        prompts.file_answers = {path};
        form.WRITE_FILE()->click();
    }
};

} // namespace

class TestFilesCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void save_and_open_round_trip();
    void long_panel_name_is_shown_and_saved_whole();
    void dialogs_share_the_file_name();
    void proposed_name_stays_in_its_folder_data();
    void proposed_name_stays_in_its_folder();
    void save_checks_in_order_data();
    void save_checks_in_order();
    void save_replaces_an_existing_file();
    void failed_save_keeps_the_old_file_data();
    void failed_save_keeps_the_old_file();
    void open_failures_data();
    void open_failures();
    void open_applies_the_record();
    void open_validates_once_afterwards();
    void open_stops_at_a_code_no_list_holds();
    void commands_wait_for_a_running_load();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

void TestFilesCommands::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestFilesCommands::save_and_open_round_trip()
{
    Session writer;
    fill(writer.form);
    const QString file = path(QStringLiteral("round.olc"));
    writer.save(file);
    QVERIFY(writer.prompts.messages.isEmpty());
    const QByteArray saved = contents(file);
    QVERIFY(saved.startsWith("\"00-00574-000\",\"NORTH PANEL\",\"PUMP, MAIN\",10,"));
    QVERIFY(saved.contains(",\"\xc9"
                           "CLAIRAGE \x80\",11,"));
    QVERIFY(saved.endsWith(",1,0,2,0\r\n"));

    Session reader;
    reader.open(file);
    QVERIFY(reader.prompts.messages.isEmpty());
    QCOMPARE(state_of(reader.form), state_of(writer.form));
    QCOMPARE(reader.form.config().busy, FALSE16);

    // And the window it opened saves the very same bytes.
    const QString again = path(QStringLiteral("again.olc"));
    reader.save(again);
    QCOMPARE(contents(again), saved);
}

void TestFilesCommands::long_panel_name_is_shown_and_saved_whole()
{
    ConfigRecord record = blank_record();
    record.panel = QStringLiteral("A PANEL NAME OF TWENTY-NINE");
    const QString file = path(QStringLiteral("long.olc"));
    put(file, bytes_of(record));

    Session session;
    session.open(file);
    QCOMPARE(session.form.Text(PANEL_NAME_BOX)->text(), record.panel);
    const QString again = path(QStringLiteral("long-again.olc"));
    session.save(again);
    QCOMPARE(contents(again), bytes_of(record));
}

void TestFilesCommands::dialogs_share_the_file_name()
{
    Session session;
    session.form.Text(PANEL_NAME_BOX)->setText(QStringLiteral("PANEL7"));
    session.save(QString()); // cancelled
    session.open(QString());
    const QString chosen = path(QStringLiteral("chosen.olc"));
    session.save(chosen);
    session.open(QString());
    session.save(QString());

    const auto &requests = session.prompts.file_requests;
    QCOMPARE(requests.size(), 5);
    QVERIFY(requests[0].save);
    QCOMPARE(requests[0].title, files::SAVE_TITLE);
    QCOMPARE(requests[0].filter, files::FILE_FILTER);
    QCOMPARE(requests[0].file_name, QStringLiteral("PANEL7.olc"));
    QVERIFY(!requests[1].save);
    QCOMPARE(requests[1].title, files::OPEN_TITLE);
    QCOMPARE(requests[1].filter, files::FILE_FILTER);
    QCOMPARE(requests[1].file_name, QStringLiteral("PANEL7.olc"));
    QCOMPARE(requests[3].file_name, chosen);
    QCOMPARE(requests[4].file_name, path(QStringLiteral("PANEL7.olc")));
    QVERIFY(session.prompts.messages.isEmpty());
    QVERIFY(session.form.Text1()->isHidden());
}

void TestFilesCommands::proposed_name_stays_in_its_folder_data()
{
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("proposed");
    QTest::newRow("plain") << QStringLiteral("PANEL7") << QStringLiteral("PANEL7.olc");
    QTest::newRow("parent folder") << QStringLiteral("../../UP") << QStringLiteral(".._.._UP.olc");
    QTest::newRow("absolute") << QStringLiteral("/etc/X") << QStringLiteral("_etc_X.olc");
    QTest::newRow("back slashes") << QStringLiteral("A\\B:C") << QStringLiteral("A_B_C.olc");
    QTest::newRow("dots only") << QStringLiteral("..") << QStringLiteral("...olc");
}

void TestFilesCommands::proposed_name_stays_in_its_folder()
{
    QFETCH(QString, panel);
    QFETCH(QString, proposed);
    Session session;
    session.form.Text(PANEL_NAME_BOX)->setText(QStringLiteral("FIRST"));
    session.save(path(QStringLiteral("first.olc")));
    session.form.Text(PANEL_NAME_BOX)->setText(panel);
    session.save(QString());
    QCOMPARE(session.prompts.file_requests.last().file_name, path(proposed));
}

enum class SaveCase { InputIncomplete, OutputIncomplete, NoPanelName, Quote, NotInCodePage };

void TestFilesCommands::save_checks_in_order_data()
{
    QTest::addColumn<SaveCase>("save_case");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    QTest::newRow("input incomplete, no panel name")
        << SaveCase::InputIncomplete << files::INPUTS_INCOMPLETE << QString() << QString();
    QTest::newRow("output incomplete, no panel name")
        << SaveCase::OutputIncomplete << files::OUTPUTS_INCOMPLETE << QString() << QString();
    QTest::newRow("no panel name")
        << SaveCase::NoPanelName << QString() << QCoreApplication::applicationName()
        << files::PANEL_NAME_MISSING;
    QTest::newRow("double quote") << SaveCase::Quote << QString() << files::UNWRITABLE_TITLE
                                  << files::DOUBLE_QUOTE_TEXT.arg(
                                         QStringLiteral("OUT-4 DESIGNATION"));
    QTest::newRow("outside the code page")
        << SaveCase::NotInCodePage << QString() << files::UNWRITABLE_TITLE
        << files::NOT_IN_CODE_PAGE_TEXT.arg(QStringLiteral("PANEL NAME"),
                                            QStringLiteral("U+0141 (Ł)"));
}

void TestFilesCommands::save_checks_in_order()
{
    QFETCH(SaveCase, save_case);
    QFETCH(QString, status);
    QFETCH(QString, title);
    QFETCH(QString, text);

    Session session;
    Form1 &form = session.form;
    fill(form);
    form.show_status(QStringLiteral("EARLIER"), ui::GREEN);
    switch (save_case) {
    case SaveCase::InputIncomplete:
        form.set_list_position(input_module_list(3), 4);
        form.Text(PANEL_NAME_BOX)->clear();
        break;
    case SaveCase::OutputIncomplete:
        form.set_list_position(output_channel_list(4), NO_SELECTION);
        form.Text(PANEL_NAME_BOX)->clear();
        break;
    case SaveCase::NoPanelName:
        form.Text(PANEL_NAME_BOX)->clear();
        break;
    case SaveCase::Quote:
        form.Text(output_designation_box(4))->setText(QStringLiteral("12\" PIPE"));
        break;
    case SaveCase::NotInCodePage:
        form.Text(PANEL_NAME_BOX)->setText(QStringLiteral("ŁÓDŹ"));
        break;
    }
    const QString file = path(QStringLiteral("refused.olc"));
    session.save(file);

    QVERIFY(session.prompts.file_requests.isEmpty());
    QVERIFY(!QFile::exists(file));
    QCOMPARE(form.Text1()->isHidden(), status.isEmpty());
    if (!status.isEmpty()) {
        QCOMPARE(form.status_text(), status);
        QCOMPARE(form.status_background(), ui::RED);
    }
    QCOMPARE(session.prompts.messages.size(), title.isEmpty() ? 0 : 1);
    if (!title.isEmpty()) {
        QCOMPARE(session.prompts.messages[0].title, title);
        QCOMPARE(session.prompts.messages[0].text, text);
    }
}

void TestFilesCommands::save_replaces_an_existing_file()
{
    const QString file = path(QStringLiteral("existing.olc"));
    put(file, QByteArray(4096, 'x') + "\r\nsecond line\r\n");
    Session session;
    fill(session.form);
    session.save(file);
    QVERIFY(session.prompts.messages.isEmpty());
    ConfigRecord record;
    const QByteArray saved = contents(file);
    QCOMPARE(read_config_record(saved, record), RecordStatus::Ok);
    QCOMPARE(saved.count('\n'), 1);
    QVERIFY(saved.endsWith("\r\n"));
    QCOMPARE(bytes_of(record), saved);
}

enum class Limit { FileSize, ReadOnlyFolder };

void TestFilesCommands::failed_save_keeps_the_old_file_data()
{
    QTest::addColumn<Limit>("limit");
    QTest::newRow("file size limit") << Limit::FileSize;
    QTest::newRow("folder not writable") << Limit::ReadOnlyFolder;
}

// The save runs in a child process, which alone gets the limit.
void TestFilesCommands::failed_save_keeps_the_old_file()
{
    QFETCH(Limit, limit);
    const QString folder = path(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_'));
    QVERIFY(QDir().mkpath(folder));
    const QString file = QDir(folder).filePath(QStringLiteral("old.olc"));
    const QByteArray old = bytes_of(blank_record());
    QVERIFY(old.size() < qsizetype(SMALL_FILE_LIMIT));
    put(file, old);
    QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadOther | QFileDevice::WriteOther));
    const QFileDevice::Permissions read_only_folder =
        QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
        QFileDevice::ExeOther;
    if (limit == Limit::ReadOnlyFolder) {
        // The child runs as nobody when the tests run as root, who may write anywhere.
        QVERIFY(QFile::setPermissions(m_dir.path(),
                                      QFile::permissions(m_dir.path()) | QFileDevice::ExeOther));
        QVERIFY(QFile::setPermissions(folder, read_only_folder));
    }

    QProcess child;
    child.setProgram(QStringLiteral(SAVE_CHILD));
    child.setArguments({file});
    child.setChildProcessModifier([limit] {
        if (limit == Limit::FileSize) {
            // Without this the first write past the limit would kill the child.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit size{SMALL_FILE_LIMIT, SMALL_FILE_LIMIT};
            setrlimit(RLIMIT_FSIZE, &size);
        } else if (geteuid() == 0) {
            if (setgid(NOBODY) != 0 || setuid(NOBODY) != 0)
                _exit(3);
        }
    });
    child.start();
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    const QString shown = QString::fromLocal8Bit(child.readAllStandardOutput());
    QFile::setPermissions(folder, read_only_folder | QFileDevice::WriteOwner);

    QCOMPARE(shown, files::SAVE_FAILED_TITLE + u'\n');
    QCOMPARE(contents(file), old);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("old.olc")});
}

enum class OpenCase { Bytes, Missing, Folder, Cancelled };

void TestFilesCommands::open_failures_data()
{
    QTest::addColumn<OpenCase>("open_case");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("mismatch_box");

    const QByteArray good = bytes_of(blank_record());
    QByteArray other_model = good;
    other_model.replace("00-00574-000", "00-00575-000");
    QByteArray too_large = good;
    too_large.replace(",160,", ",32768,");
    QByteArray not_a_number = good;
    not_a_number.replace(",160,", ",N/A,");

    QTest::newRow("other model") << OpenCase::Bytes << other_model << true;
    QTest::newRow("45 fields") << OpenCase::Bytes << good.left(good.lastIndexOf(',')) << true;
    QTest::newRow("empty file") << OpenCase::Bytes << QByteArray() << true;
    QTest::newRow("number out of range") << OpenCase::Bytes << too_large << true;
    QTest::newRow("not a number") << OpenCase::Bytes << not_a_number << true;
    QTest::newRow("no such file") << OpenCase::Missing << QByteArray() << true;
    QTest::newRow("a folder") << OpenCase::Folder << QByteArray() << false;
    QTest::newRow("cancelled") << OpenCase::Cancelled << QByteArray() << false;
}

void TestFilesCommands::open_failures()
{
    QFETCH(OpenCase, open_case);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, mismatch_box);

    Session session;
    Form1 &form = session.form;
    fill(form);
    form.show_status(QStringLiteral("EARLIER"), ui::GREEN);
    const WindowState before = state_of(form);
    QString file = path(QStringLiteral("failing.olc"));
    switch (open_case) {
    case OpenCase::Bytes:
        put(file, bytes);
        break;
    case OpenCase::Missing:
        file = path(QStringLiteral("missing.olc"));
        break;
    case OpenCase::Folder:
        file = m_dir.path();
        break;
    case OpenCase::Cancelled:
        file.clear();
        break;
    }
    bool busy_while_shown = true;
    session.prompts.on_message = [&](const RecordingPrompts::Message &) {
        busy_while_shown = form.config().busy != FALSE16;
    };
    session.open(file);

    QCOMPARE(session.prompts.file_requests.size(), 1);
    QCOMPARE(session.prompts.messages.size(), mismatch_box ? 1 : 0);
    if (mismatch_box) {
        QCOMPARE(session.prompts.messages[0].title, files::MISMATCH_TITLE);
        QCOMPARE(session.prompts.messages[0].text, files::MISMATCH_TEXT);
        QVERIFY(!busy_while_shown);
    }
    QCOMPARE(form.config().busy, FALSE16);
    QVERIFY(form.Text1()->isHidden());
    QCOMPARE(state_of(form), before);

    // The validation works again: OUT-4 on IN-4's own point and loop is refused at once.
    session.prompts.messages.clear();
    form.set_list_position(output_module_list(4), 1);
    QCOMPARE(session.prompts.messages.size(), 1);
    QCOMPARE(session.prompts.messages[0].title, validation::CHANNEL_ASSIGNMENT_ERROR_TITLE);
}

void TestFilesCommands::open_applies_the_record()
{
    ConfigRecord record = blank_record();
    record.in[0] = 12;
    record.indesig[0] = QStringLiteral("FIRE ALARM");
    record.out[0] = 159;
    record.outdesig[0] = QStringLiteral("SIREN");
    record.indesig[1] = QStringLiteral("IGNORED"); // IN-2 stays "N/A"
    record.outdesig[1] = QStringLiteral("IGNORED TOO");
    record.in[2] = 0;                                 // IN-3 module A, channel 1
    record.outdesig[2] = QStringLiteral("NO OUTPUT"); // OUT-3 is 160: no selection
    record.in[3] = 200;                               // reads as "N/A"
    record.indesig[3] = QStringLiteral("ALSO IGNORED");
    record.in[4] = -1; // module A, no channel
    record.loops = {5, 252, 0, 0};
    const QString file = path(QStringLiteral("applied.olc"));
    put(file, bytes_of(record));

    Session session;
    Form1 &form = session.form;
    session.open(file);
    QVERIFY(session.prompts.messages.isEmpty());

    QCOMPARE(form.Text(PANEL_NAME_BOX)->text(), record.panel);
    QCOMPARE(form.list_position(input_module_list(1)), qint16{2});
    QCOMPARE(form.list_position(input_channel_list(1)), qint16{2});
    QCOMPARE(form.list_position(output_module_list(1)), qint16{15});
    QCOMPARE(form.list_position(output_channel_list(1)), qint16{9});
    QCOMPARE(form.Text(input_designation_box(1))->text(), QStringLiteral("FIRE ALARM"));
    QCOMPARE(form.Text(output_designation_box(1))->text(), QStringLiteral("SIREN"));
    QVERIFY(!form.Text(output_designation_box(1))->isHidden());
    for (int k : {2, 4}) {
        QCOMPARE(form.list_position(input_module_list(k)), NA_POSITION);
        for (int box : {input_designation_box(k), output_designation_box(k)}) {
            QCOMPARE(form.Text(box)->text(), ui::DESIGNATION);
            QVERIFY(form.Text(box)->isHidden());
        }
    }
    QCOMPARE(form.list_position(input_module_list(3)), qint16{1});
    QCOMPARE(form.list_position(input_channel_list(3)), qint16{0});
    QCOMPARE(form.list_position(output_module_list(3)), NO_SELECTION);
    QCOMPARE(form.list_position(output_channel_list(3)), NO_SELECTION);
    QCOMPARE(form.Text(output_designation_box(3))->text(), ui::DESIGNATION);
    QVERIFY(form.Text(output_designation_box(3))->isHidden());
    QCOMPARE(form.list_position(input_module_list(5)), qint16{1});
    QCOMPARE(form.list_position(input_channel_list(5)), NO_SELECTION);
    // 5 presses IN-1 and IN-3; the unused high bits of 252 press nothing.
    for (int n = 1; n <= TOGGLE_COUNT; ++n)
        QCOMPARE(form.ToggleButton(n)->isChecked(), n == 1 || n == 3);
}

void TestFilesCommands::open_validates_once_afterwards()
{
    // OUT-5 on IN-5's own point and loop: the validation refuses it once the file is in.
    ConfigRecord record = blank_record();
    record.in[4] = 14;
    record.out[4] = 14;
    const QString file = path(QStringLiteral("conflict.olc"));
    put(file, bytes_of(record));

    Session session;
    bool busy_while_shown = true;
    session.prompts.on_message = [&](const RecordingPrompts::Message &) {
        busy_while_shown = session.form.config().busy != FALSE16;
    };
    session.open(file);
    QCOMPARE(session.prompts.messages.size(), 1);
    QCOMPARE(session.prompts.messages[0].title, validation::CHANNEL_ASSIGNMENT_ERROR_TITLE);
    QVERIFY(!busy_while_shown);
    QCOMPARE(session.form.list_position(output_module_list(5)), NO_SELECTION);
    QCOMPARE(session.form.list_position(input_channel_list(5)), qint16{4});
}

void TestFilesCommands::open_stops_at_a_code_no_list_holds()
{
    ConfigRecord record = blank_record();
    record.in[0] = 12;
    record.indesig[0] = QStringLiteral("LOADED");
    record.in[2] = -2;
    const QString file = path(QStringLiteral("minus-two.olc"));
    put(file, bytes_of(record));

    Session session;
    session.open(file);
    QCOMPARE(session.prompts.messages.size(), 1);
    QCOMPARE(session.prompts.messages[0].title, files::MISMATCH_TITLE);
    QCOMPARE(session.form.config().busy, FALSE16);
    // What came before the bad code stays, as the operator saw it happen.
    QCOMPARE(session.form.Text(PANEL_NAME_BOX)->text(), record.panel);
    QCOMPARE(session.form.Text(input_designation_box(1))->text(), QStringLiteral("LOADED"));
}

void TestFilesCommands::commands_wait_for_a_running_load()
{
    Session session;
    session.form.Text(PANEL_NAME_BOX)->setText(QStringLiteral("BUSY"));
    session.form.config().busy = TRUE16;
    session.open(QString());
    session.save(QString());
    QVERIFY(session.prompts.file_requests.isEmpty());
    QCOMPARE(session.form.config().busy, TRUE16);
}

QTEST_MAIN(TestFilesCommands)
#include "tst_files_commands.moc"
