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
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace
{

constexpr int PANEL_NAME_BOX = 2;
constexpr uid_t NOBODY = 65534;
// The window answers a click this soon while an open runs or waits (loose: an idle path answers
// in well under a millisecond).
constexpr qint64 CLICK_ANSWER_MS = 100;
constexpr int CLICK_WAIT_MS = 5000;

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

// Milliseconds from posting a click on `button` until the window handles it, with `meanwhile`
// run in between (the click waits in the queue while it runs); -1 if it is never handled.
qint64 click_answer_ms(QAbstractButton *button, const std::function<void()> &meanwhile)
{
    QElapsedTimer timer;
    qint64 answered = -1;
    const auto connection =
        QObject::connect(button, &QAbstractButton::clicked, [&] { answered = timer.elapsed(); });
    timer.start();
    QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
    meanwhile();
    const bool handled = QTest::qWaitFor([&] { return answered >= 0; }, CLICK_WAIT_MS);
    QObject::disconnect(connection);
    return handled ? answered : -1;
}

struct stat status_of(const QString &path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info;
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

class TestFilesCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void save_over_a_file_and_open_round_trip();
    void save_checks_in_order_data();
    void save_checks_in_order();
    void save_keeps_mode_and_owner_data();
    void save_keeps_mode_and_owner();
    void save_under_limits_data();
    void save_under_limits();
    void open_failures_data();
    void open_failures();
    void open_refuses_what_is_not_a_file_data();
    void open_refuses_what_is_not_a_file();
    void open_waits_for_a_slow_file_data();
    void open_waits_for_a_slow_file();
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

void TestFilesCommands::save_keeps_mode_and_owner_data()
{
    QTest::addColumn<uint>("mode");
    QTest::addColumn<bool>("nobody_owns"); // else the test's own user
    QTest::newRow("read-only") << 0444u << false;
    QTest::newRow("group-readable") << 0640u << false;
    QTest::newRow("another owner's") << 0640u << true;
}

void TestFilesCommands::save_keeps_mode_and_owner()
{
    QFETCH(uint, mode);
    QFETCH(bool, nobody_owns);
    const bool root = ::geteuid() == 0;
    if (nobody_owns && !root)
        QSKIP("only root can save over another user's file");
    const QString folder = path(QString::number(mode, 8) + (nobody_owns ? u"n"_s : u""_s));
    QVERIFY(QDir().mkpath(folder));
    const QString file = QDir(folder).filePath(u"kept.olc"_s);
    const QByteArray old = write_config_record(blank_record()).bytes;
    put(file, old);
    const QByteArray name = QFile::encodeName(file);
    QCOMPARE(chmod(name.constData(), mode), 0);
    if (nobody_owns)
        QCOMPARE(chown(name.constData(), NOBODY, NOBODY), 0);
    const struct stat before = status_of(file);

    Session session;
    fill(session.form);
    session.save(file);
    // Root may write over a read-only file; anyone else is refused and told so.
    const bool saved = root || (mode & S_IWUSR);
    QCOMPARE(session.boxes().value(0), saved ? QString() : files::SAVE_FAILED_TITLE);
    QCOMPARE(contents(file) != old, saved);
    const struct stat after = status_of(file);
    QCOMPARE(after.st_mode & 07777, mode);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"kept.olc"_s});
}

void TestFilesCommands::save_under_limits_data()
{
    QTest::addColumn<QString>("limits");    // as the child takes them
    QTest::addColumn<int>("padding");       // bytes added to the old file
    QTest::addColumn<QStringList>("shown"); // pieces of the box, in order; none: saved
    const QString kept = files::SAVE_FAILED_KEPT_TEXT.section(u'\n', -1);
    const QString no_copy = files::SAVE_NO_COPY.section(u'\n', 0, 0);
    // The new record is over a kilobyte, the old one under 512 bytes.
    QTest::newRow("file size limit")
        << u"512"_s << 0 << QStringList{files::SAVE_FAILED_TITLE, kept};
    QTest::newRow("folder not writable: in place") << u"nobody"_s << 0 << QStringList();
    QTest::newRow("in place, past the size limit: put back")
        << u"nobody,512"_s << 0 << QStringList{files::SAVE_FAILED_TITLE, kept};
    QTest::newRow("in place, no room for a copy")
        << u"nobody,512"_s << 600 << QStringList{files::SAVE_FAILED_TITLE, no_copy, kept};
}

// The save runs in a child process, which alone gets the limits. The old file is writable by
// anyone, so only the folder or the size limit can stop the save.
void TestFilesCommands::save_under_limits()
{
    QFETCH(QString, limits);
    QFETCH(int, padding);
    QFETCH(QStringList, shown);
    const QString folder = path(QString::fromLatin1(QTest::currentDataTag()));
    const QString data = path(u"data of "_s + QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(folder) && QDir().mkpath(data));
    const QString file = QDir(folder).filePath(u"old.olc"_s);
    const QByteArray old = write_config_record(blank_record()).bytes + QByteArray(padding, ' ');
    put(file, old);
    const QByteArray folder_name = QFile::encodeName(folder);
    QCOMPARE(chmod(QFile::encodeName(file).constData(), 0666), 0);
    // nobody must reach the folder but not write in it, and may keep copies in its data folder.
    QCOMPARE(chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    QCOMPARE(chmod(QFile::encodeName(data).constData(), 0777), 0);
    if (limits.contains(u"nobody"_s))
        QCOMPARE(chmod(folder_name.constData(), 0555), 0);

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_DATA_HOME"_s, data);
    environment.insert(u"TMPDIR"_s, data); // where a copy goes when the data folder fails
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral(SAVE_CHILD), {file, limits});
    QVERIFY(child.waitForFinished());
    chmod(folder_name.constData(), 0755);
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
    qsizetype at = 0;
    for (const QString &piece : shown) {
        at = output.indexOf(piece, at);
        QVERIFY2(at >= 0, qPrintable(output));
    }
    QCOMPARE(output.isEmpty(), shown.isEmpty());
    QCOMPARE(contents(file) == old, !shown.isEmpty());
    QVERIFY(shown.isEmpty() == contents(file).contains("\"CHILD\""));
    QCOMPARE(status_of(file).st_mode & 07777, 0666u);
    // No temporary file beside it, and no copy left once the old content is safe.
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"old.olc"_s});
    QDirIterator copies(data, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    QVERIFY2(!copies.hasNext(), qPrintable(copies.hasNext() ? copies.next() : QString()));
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

void TestFilesCommands::open_refuses_what_is_not_a_file_data()
{
    QTest::addColumn<QString>("made");  // what the test puts at the path
    QTest::addColumn<QString>("shown"); // what the box calls it; empty: no box
    QTest::newRow("FIFO without a writer") << u"fifo"_s << files::PIPE_KIND;
    QTest::newRow("FIFO with a silent writer") << u"fifo, writer"_s << files::PIPE_KIND;
    QTest::newRow("pseudo-terminal") << u"pty"_s << files::DEVICE_KIND;
    QTest::newRow("/dev/zero") << u"zero"_s << files::DEVICE_KIND;
    // The system refuses to read a folder: silent, as any refused access.
    QTest::newRow("folder") << u"folder"_s << QString();
}

// Each of these would block an open or a read for as long as nobody writes, or never end.
void TestFilesCommands::open_refuses_what_is_not_a_file()
{
    QFETCH(QString, made);
    QFETCH(QString, shown);
    QString file = path(QString::fromLatin1(QTest::currentDataTag()).remove(u'/'));
    const QByteArray name = QFile::encodeName(file);
    // A writer that never writes, or the terminal's other side, held for the whole case.
    int held = -1;
    const auto close_held = qScopeGuard([&] {
        if (held >= 0)
            ::close(held);
    });
    if (made.startsWith(u"fifo"_s)) {
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        if (made.endsWith(u"writer"_s)) // read-write: Linux opens it without waiting for a reader
            QVERIFY((held = ::open(name.constData(), O_RDWR | O_NONBLOCK)) >= 0);
    } else if (made == u"pty"_s) {
        QVERIFY((held = ::posix_openpt(O_RDWR | O_NOCTTY)) >= 0);
        QVERIFY(::grantpt(held) == 0 && ::unlockpt(held) == 0);
        file = QString::fromLocal8Bit(::ptsname(held));
    } else if (made == u"zero"_s) {
        file = u"/dev/zero"_s;
    } else {
        QVERIFY(QDir().mkpath(file));
    }

    Session session;
    fill(session.form);
    const QStringList before = state_of(session.form);
    const qint64 answer = click_answer_ms(session.form.WRITE_CONFIG(), [&] { session.open(file); });
    QVERIFY2(answer >= 0 && answer < CLICK_ANSWER_MS, qPrintable(QString::number(answer)));
    QVERIFY(!session.commands.running());
    QCOMPARE(session.boxes(),
             (shown.isEmpty() ? QStringList()
                              : QStringList{files::OPEN_FAILED_TITLE,
                                            files::OPEN_NOT_A_FILE_TEXT.arg(file, shown)}));
    QCOMPARE(session.form.config().busy, FALSE16);
    QCOMPARE(state_of(session.form), before);
}

void TestFilesCommands::open_waits_for_a_slow_file_data()
{
    QTest::addColumn<bool>("arrives"); // the file comes while the window waits, or never
    QTest::newRow("late file") << true;
    QTest::newRow("disk that never answers") << false;
}

void TestFilesCommands::open_waits_for_a_slow_file()
{
    QFETCH(bool, arrives);
    const ConfigRecord record = blank_record();
    const QString file = path(u"slow.olc"_s);
    put(file, write_config_record(record).bytes);
    // Stands in for a hung network mount: the load waits until the test lets it go.
    auto gate = std::make_shared<std::atomic<bool>>(false);
    const auto let_go = [gate] {
        *gate = true;
        gate->notify_all();
    };
    const auto at_end = qScopeGuard(let_go);
    Session session;
    RecordFileLoader &loader = session.commands.loader();
    loader.set_load_function([gate](const QString &name) {
        gate->wait(false);
        return load_record_file(name);
    });
    if (!arrives)
        loader.set_time_limit(300ms);
    fill(session.form);

    session.prompts.file_answers = {file};
    session.commands.READ_FILE();
    QVERIFY(session.commands.running());
    QCOMPARE(session.form.config().busy, FALSE16);
    QVERIFY(QGuiApplication::overrideCursor());
    // Meanwhile the window answers, ignores a second open and a save, and validates edits as
    // always: OUT-4 on IN-4's own point and loop is refused.
    const qint64 answer = click_answer_ms(session.form.WRITE_CONFIG(), [] {});
    QVERIFY2(answer >= 0 && answer < CLICK_ANSWER_MS, qPrintable(QString::number(answer)));
    session.commands.READ_FILE();
    session.save(path(u"meanwhile.olc"_s));
    QCOMPARE(session.prompts.file_requests.size(), 1);
    QVERIFY(session.form.Text1()->isHidden());
    session.form.set_list_position(output_module_list(4), 1);
    QCOMPARE(session.boxes().value(0), validation::CHANNEL_ASSIGNMENT_ERROR_TITLE);
    session.prompts.messages.clear();
    const QStringList before = state_of(session.form);

    if (arrives)
        let_go();
    QTRY_VERIFY(!session.commands.running());
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(session.form.config().busy, FALSE16);
    QVERIFY(!session.busy_during_a_box);
    if (arrives) {
        QCOMPARE(session.boxes(), QStringList());
        QCOMPARE(session.form.Text(PANEL_NAME_BOX)->text(), record.panel);
        return;
    }
    QCOMPARE(session.boxes(), (QStringList{files::OPEN_FAILED_TITLE,
                                           files::OPEN_TIMED_OUT_TEXT.arg(file, u"0.3"_s)}));
    QCOMPARE(state_of(session.form), before);
    // The next open is a new one, on a disk that answers.
    loader.set_load_function(load_record_file);
    session.open(file);
    QCOMPARE(session.form.Text(PANEL_NAME_BOX)->text(), record.panel);
}

QTEST_MAIN(TestFilesCommands)
#include "tst_files_commands.moc"
