// converter-cli end to end: command lines run by the worker in this thread against real files
// and emulated modules on pseudo-terminals (several at once), and the real program stopped by a
// signal in the middle of a write.

#include "cli_worker.h"
#include "config_record.h"
#include "file_texts.h"
#include "module_server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using emulator::FaultOptions;

namespace
{

// A run of a few modules at once takes about 2.6 s; the slowest rows wait for a silent module.
constexpr int RUN_TIMEOUT_MS = 20000;
constexpr int BYTES = 24;
const QString FILE_NAME = u"f.olc"_s;

// A record in the window's words: "IN1=B3" is module B, channel 3; a bare number is a point code
// as it stands; L= gives the four loop bytes; unnamed sides are not assigned.
QByteArray record(const QString &notation, const QString &panel = u"PANEL"_s,
                  const QString &model = MODEL_ID)
{
    static const QRegularExpression side(u"^(IN|OUT)(\\d+)=(?:([A-P])(\\d+)|(-?\\d+))$"_s);
    ConfigRecord r;
    r.model = model;
    r.panel = panel;
    r.in.fill(160);
    r.out.fill(160);
    r.indesig.fill(u"DESIGNATION"_s);
    r.outdesig.fill(u"DESIGNATION"_s);
    for (const QString &token : notation.split(u' ', Qt::SkipEmptyParts)) {
        if (token.startsWith(u"L="_s)) {
            const QStringList b = token.mid(2).split(u',');
            r.loops = {qint16(b[0].toInt()), qint16(b[1].toInt()), qint16(b[2].toInt()),
                       qint16(b[3].toInt())};
            continue;
        }
        const auto m = side.match(token);
        if (!m.hasMatch())
            qFatal("bad side %s", qPrintable(token));
        const int code = m.hasCaptured(3)
                             ? 10 * (m.captured(3)[0].unicode() - u'A') + m.captured(4).toInt() - 1
                             : m.captured(5).toInt();
        auto &codes = m.captured(1) == u"IN"_s ? r.in : r.out;
        codes[std::size_t(m.captured(2).toInt() - 1)] = qint16(code);
    }
    return write_config_record(r).bytes;
}

// The JSON value at "ports/0/outcome" as text: strings as they are, numbers, true/false, null,
// arrays and objects compact.
QString json_at(const QJsonValue &root, const QString &path)
{
    QJsonValue value = root;
    for (const QString &key : path.split(u'/')) {
        bool index = false;
        const int i = key.toInt(&index);
        value = index ? value.toArray().at(i) : value.toObject().value(key);
    }
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double:
        return QString::number(value.toInteger());
    case QJsonValue::Bool:
        return value.toBool() ? u"true"_s : u"false"_s;
    case QJsonValue::Array:
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    case QJsonValue::Object:
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    case QJsonValue::Null:
        return u"null"_s;
    case QJsonValue::Undefined:
        break;
    }
    return u"(missing)"_s;
}

// "key=value" pairs checked against a document.
void compare_json(const QString &document, const QStringList &checks)
{
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(document.toUtf8(), &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(document));
    for (const QString &check : checks) {
        const auto equals = check.indexOf(u'=');
        QCOMPARE(json_at(json.object(), check.left(equals)), check.mid(equals + 1));
    }
}

// Whether `expected` appear among `lines` in this order (progress lines may come between).
bool in_order(const QStringList &lines, const QStringList &expected)
{
    auto line = lines.begin();
    for (const QString &wanted : expected) {
        line = std::find(line, lines.end(), wanted);
        if (line == lines.end())
            return false;
        ++line;
    }
    return true;
}

struct Ran {
    int code = -1;
    QString out, err;
    QStringList out_lines() const
    {
        // What a terminal shows: each redrawn line without its cursor codes.
        static const QRegularExpression codes(u"\\x1b\\[\\d*[A-Z]|\\r"_s);
        return QString(out).remove(codes).split(u'\n', Qt::SkipEmptyParts);
    }
};

// A terminal narrower than some progress lines, which are cut to fit.
constexpr int TERMINAL_COLUMNS = 23;

// One command line through the worker, in this thread, served by this thread's event loop;
// `input` is its standard input.
Ran run(QStringList arguments, const PortNameMap &ports = platform_port_name, bool terminal = false,
        int input = STDIN_FILENO)
{
    Ran ran;
    QTextStream out(&ran.out);
    QTextStream err(&ran.err);
    CliWorker worker({out, err, terminal, false, [] { return TERMINAL_COLUMNS; }, input}, ports);
    QSignalSpy finished(&worker, &CliWorker::finished);
    arguments.prepend(u"converter-cli"_s);
    worker.start(arguments);
    if (QTest::qWaitFor([&] { return !finished.isEmpty(); }, RUN_TIMEOUT_MS))
        ran.code = finished.first().first().toInt();
    out.flush();
    err.flush();
    return ran;
}

QList<int> memory_of(const emulator::ModuleServer &module)
{
    const auto &memory = module.core().memory();
    return {memory.begin(), memory.begin() + BYTES};
}

// How the traffic log records the closing of a module's port.
QString closed_line(const emulator::ModuleServer &module)
{
    return u" %1 closed\n"_s.arg(module.port_name());
}

// The 24 bytes of the north panel below: IN-1 B/3 on DATA-B to OUT-1 C/2, IN-2 A/1 to OUT-2 C/3.
const QString NORTH = u"IN1=B3 OUT1=C2 IN2=A1 OUT2=C3 L=1,0,0,0"_s;
const QList<int> NORTH_BYTES{12,  0,   160, 160, 160, 160, 160, 160, 160, 160, 21, 22,
                             160, 160, 160, 160, 160, 160, 160, 160, 1,   0,   0,  0};

// One row against modules: one emulator per fault set, on COM n or on its device path.
struct DeviceRow {
    QStringList arguments; // "{file}" and "{port n}" are filled in
    QList<FaultOptions> modules;
    QList<QList<int>> memory_before; // per module; empty: all zero
    QByteArray file;
    int exit_code;
    QStringList out;                // lines in this order; {n} is port n's name
    QStringList json;               // key=value checks when the row runs with --json
    QList<QList<int>> memory_after; // per module, -1 for a byte left unchecked; empty: unchecked
    bool terminal = false;
    QStringList err = {}; // lines standard error must hold
    int held = 0;         // the module whose port another program holds open, from 1
};

} // namespace
Q_DECLARE_METATYPE(DeviceRow)

class TestCli : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    void write_file(const QString &name, const QByteArray &bytes)
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

private slots:
    // Every command runs in a fresh folder and names its files as typed, relative to it.
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.path()));
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }

    void check_data();
    void check();
    void show_data();
    void show();
    void refusals_data();
    void refusals();
    void modules_data();
    void modules();
    void program_data();
    void program();
};

// check -------------------------------------------------------------------------------------------

void TestCli::check_data()
{
    QTest::addColumn<QList<QByteArray>>("files"); // f1.olc, f2.olc, ...; null: no such file
    QTest::addColumn<int>("exit_code");
    QTest::addColumn<QStringList>("out");
    QTest::addColumn<QStringList>("json");
    const auto row = [](const char *name, const QByteArray &file, int exit_code,
                        const QStringList &out, const QStringList &json = {}) {
        QTest::newRow(name) << QList<QByteArray>{file} << exit_code << out << json;
    };
    const QString mismatch = u"f1.olc: FILE/MODEL MIS-MATCH: "_s;
    const QString own = u"f1.olc: CHANNEL ASSIGNMENT ERROR: "_s;
    const QString duplicate = u"f1.olc: DUPLICATE INPUT AND OUTPUT ERROR: "_s;
    const QString inputs =
        u"f1.olc: DATA MUST BE ENTERED (CLICKED) FOR ALL ACTIVE INPUTS BEFORE WRITING DATA: "_s;
    const QString outputs =
        u"f1.olc: DATA MUST BE ENTERED (CLICKED) FOR ALL ACTIVE OUTPUTS BEFORE WRITING DATA: "_s;

    row("sound", record(NORTH), 0, {u"f1.olc: sound"_s},
        {u"files/0/status=sound"_s, u"files/0/problems=[]"_s, u"exit_code=0"_s});
    row("ends early", record(NORTH).left(200), 1,
        {mismatch + u"the file ends before its 46th field"_s},
        {u"files/0/problems/0/kind=damaged"_s, u"files/0/status=problems"_s});
    row("other model", record(NORTH, u"P"_s, u"00-00999-000"_s), 1,
        {mismatch + u"the model field is \"00-00999-000\", not \"00-00574-000\""_s},
        {u"files/0/problems/0/kind=other_model"_s,
         u"files/0/problems/0/message=FILE/MODEL MIS-MATCH"_s});
    row("number beyond 16 bits", record(NORTH).replace(",160,", ",40000,"), 1,
        {mismatch +
         u"field 8 (the point code of IN-3) holds a number that does not fit in 16 bits"_s});
    row("text in a loop byte", record(NORTH).replace("1,0,0,0", "1,0,X,0"), 1,
        {mismatch +
         u"field 45 (OUT-1 to OUT-8 loops) holds something other than a decimal number"_s});
    row("code below -1", record(u"IN3=-7 OUT3=A1"_s), 1,
        {mismatch + u"the point code of IN-3 is -7, which names no channel"_s},
        {u"files/0/problems/0/slot=3"_s});
    row("own output", record(u"IN3=C4 OUT3=C4"_s), 1,
        {own + u"IN-3 names its own OUT-3 (C/4 DATA-A)"_s},
        {u"files/0/problems/0/kind=own_output"_s, u"files/0/problems/0/slot=3"_s,
         u"files/0/problems/0/message=CHANNEL ASSIGNMENT ERROR"_s});
    row("own output on the other loop", record(u"IN3=C4 OUT3=C4 L=4,0,0,0"_s), 0,
        {u"f1.olc: sound"_s});
    row("two other outputs", record(u"IN2=B5 OUT2=A1 IN4=A2 OUT4=B5 IN7=A3 OUT7=B5"_s), 1,
        {duplicate + u"IN-2 names OUT-4, OUT-7 (B/5 DATA-A)"_s},
        {u"files/0/problems/0/kind=other_output"_s, u"files/0/problems/0/outputs=[4,7]"_s});
    row("own and another output on DATA-B", record(u"IN3=C4 OUT3=C4 IN5=A1 OUT5=C4 L=4,0,20,0"_s),
        1,
        {own + u"IN-3 names its own OUT-3 (C/4 DATA-B)"_s,
         duplicate + u"IN-3 names OUT-5 (C/4 DATA-B)"_s});
    // OUT-7's lists still hold B/5, but its slot is off: the module never gets that output.
    row("output of a switched-off slot", record(u"IN2=B5 OUT2=A1 OUT7=B5"_s), 0,
        {u"f1.olc: sound"_s});
    row("shared sources and destinations", record(u"IN1=D1 OUT1=E1 IN2=D1 OUT2=E1"_s), 0,
        {u"f1.olc: sound"_s});
    row("incomplete sides", record(u"IN4=-1 OUT4=H8 IN5=A1 OUT5=160 IN6=A2 OUT6=-1"_s), 1,
        {inputs + u"IN-4 has no channel"_s, outputs + u"OUT-5 has no module and no channel"_s,
         outputs + u"OUT-6 has no channel"_s},
        {u"files/0/problems/1/kind=incomplete_output"_s, u"files/0/problems/1/slot=5"_s});

    QTest::newRow("several files, one missing")
        << QList<QByteArray>{record(NORTH), QByteArray(), record(u"IN3=C4 OUT3=C4"_s)} << 2
        << QStringList{u"f1.olc: sound"_s,
                       u"f3.olc: CHANNEL ASSIGNMENT ERROR: IN-3 names its own OUT-3 (C/4 DATA-A)"_s}
        << QStringList{u"files/1/status=unreadable"_s, u"files/1/error=no such file"_s,
                       u"files/2/status=problems"_s, u"exit_code=2"_s};
}

void TestCli::check()
{
    QFETCH(QList<QByteArray>, files);
    QFETCH(int, exit_code);
    QStringList arguments{u"check"_s};
    for (int i = 0; i < files.size(); ++i) {
        const QString name = u"f%1.olc"_s.arg(i + 1);
        if (!files[i].isNull())
            write_file(name, files[i]);
        arguments << name;
    }
    const Ran human = run(arguments);
    const Ran machine = run(arguments + QStringList{u"--json"_s});

    QCOMPARE(human.code, exit_code);
    QTEST(human.out_lines(), "out");
    QCOMPARE(machine.code, exit_code);
    QFETCH(QStringList, json);
    compare_json(machine.out, json);
    if (exit_code == 2)
        QCOMPARE(human.err, u"converter-cli: f2.olc: no such file\n"_s);
}

// show --------------------------------------------------------------------------------------------

void TestCli::show_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("json");
    QTest::addColumn<int>("exit_code");
    QTest::addColumn<QStringList>("out"); // lines, or key=value checks with --json
    QTest::addColumn<QString>("err");
    const QByteArray north =
        record(NORTH, u"NORTH PANEL"_s).replace("\"DESIGNATION\",12", "\"FIRE ALARM, MAIN\",12");
    QStringList table{
        u"PANEL NAME: NORTH PANEL"_s,
        u"INPUT  MODULE  CHANNEL  LOOP    DESIGNATION       OUTPUT  MODULE  CHANNEL  LOOP    DESIGNATION"_s,
        u"IN-1   B       3        DATA-B  FIRE ALARM, MAIN  OUT-1   C       2        DATA-A  DESIGNATION"_s,
        u"IN-2   A       1        DATA-A  DESIGNATION       OUT-2   C       3        DATA-A  DESIGNATION"_s};
    for (int k = 3; k <= 10; ++k)
        table << u"IN-%1 N/A                                        OUT-%2 N/A"_s
                     .arg(u"%1"_s.arg(k).leftJustified(3))
                     .arg(u"%1"_s.arg(k).leftJustified(3));
    QTest::newRow("table") << north << false << 0 << table << QString();
    QTest::newRow("json") << north << true << 0
                          << QStringList{u"panel=NORTH PANEL"_s,
                                         u"slots/0/input/module=B"_s,
                                         u"slots/0/input/channel=3"_s,
                                         u"slots/0/input/loop=DATA-B"_s,
                                         u"slots/0/input/designation=FIRE ALARM, MAIN"_s,
                                         u"slots/0/output/channel=2"_s,
                                         u"slots/2/slot=3"_s,
                                         u"slots/2/input=null"_s,
                                         u"slots/2/output=null"_s,
                                         u"exit_code=0"_s}
                          << QString();
    // A designation the file keeps for a side that is not assigned is not shown, as on open.
    QTest::newRow("incomplete output, hidden designation")
        << record(u"IN5=P10 OUT5=160"_s)
               .replace("\"DESIGNATION\",160,\"DESIGNATION\",160,1",
                        "\"DESIGNATION\",160,\"SPARE\",160,1")
        << true << 0
        << QStringList{u"slots/4/input/module=P"_s,
                       u"slots/4/input/channel=10"_s,
                       u"slots/4/output/module=null"_s,
                       u"slots/4/output/channel=null"_s,
                       u"slots/4/output/designation=DESIGNATION"_s,
                       u"slots/9/output=null"_s}
        << QString();
    QTest::newRow("damaged") << record(NORTH).left(100) << false << 1 << QStringList()
                             << u"-: FILE/MODEL MIS-MATCH: the file ends before its 46th field\n"_s;
    // Only the first 4 MiB are read; an input without a record in them is not one.
    QTest::newRow("larger than 4 MiB")
        << QByteArray(4 * 1024 * 1024 + 1, 'x') << false << 1 << QStringList()
        << u"-: FILE/MODEL MIS-MATCH: larger than 4 MiB: not a configuration file\n"_s;
}

void TestCli::show()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, json);
    QFETCH(QStringList, out);
    // The file comes on standard input.
    write_file(FILE_NAME, file);
    QFile input(FILE_NAME);
    QVERIFY(input.open(QIODevice::ReadOnly));
    QStringList arguments{u"show"_s, u"-"_s};
    if (json)
        arguments << u"--json"_s;
    const Ran ran = run(arguments, platform_port_name, false, input.handle());
    QTEST(ran.code, "exit_code");
    QTEST(ran.err, "err");
    if (json)
        compare_json(ran.out, out);
    else
        QCOMPARE(ran.out_lines(), out);
}

// refusals ----------------------------------------------------------------------------------------

void TestCli::refusals_data()
{
    QTest::addColumn<QStringList>("arguments"); // {port} is the module's device path
    QTest::addColumn<QByteArray>("file");       // f.olc; null: none
    QTest::addColumn<int>("exit_code");
    QTest::addColumn<QString>("err"); // how standard error starts
    QTest::addColumn<QStringList>("json");
    const QByteArray good = record(NORTH);
    const auto row = [](const char *name, const QString &arguments, const QByteArray &file,
                        int exit_code, const QString &err, const QStringList &json = {}) {
        QTest::newRow(name) << arguments.split(u' ', Qt::SkipEmptyParts) << file << exit_code << err
                            << json;
    };
    const QString me = u"converter-cli: "_s;
    row("no command", u""_s, {}, 2, me + u"no command given (try --help)\n"_s);
    row("unknown option", u"check f.olc --bogus"_s, good, 2,
        me + u"unknown option \"--bogus\" (try --help)\n"_s);
    row("a folder to show", u"show ."_s, {}, 2, me + u".: a folder, not a file\n"_s);
    row("unknown command", u"program f.olc"_s, good, 2,
        me + u"unknown command \"program\" (try --help)\n"_s);
    row("check without a file", u"check"_s, {}, 2, me + u"check: name at least one file\n"_s);
    row("show two files", u"show f.olc f.olc"_s, good, 2, me + u"show: name exactly one file\n"_s);
    row("write without a port", u"write f.olc"_s, good, 2,
        me + u"write: name a port with --port\n"_s);
    const QString bad_port =
        u"--port %1: give a COM number from 1 to 5, a device name such as ttyUSB0, or a path"_s;
    row("COM 6", u"write f.olc --port com6"_s, good, 2, me + bad_port.arg(u"com6"_s) + u'\n');
    row("COM1 and its device", u"verify f.olc --port COM1 --port {port}"_s, good, 2,
        me + u"--port COM1 and --port {port} are the same port ({port})\n"_s);
    // A path is taken from the current folder, a bare name from /dev, exactly as opened.
    row("a link from here and its device", u"verify f.olc --port {port} --port pty/e1"_s, good, 2,
        me + u"--port {port} and --port pty/e1 are the same port ({port})\n"_s);
    row("a device name and its path", u"verify f.olc --port ttyS0 --port /dev/ttyS0"_s, good, 2,
        me + u"--port ttyS0 and --port /dev/ttyS0 are the same port (/dev/ttyS0)\n"_s);
    row("a port for check", u"check f.olc --port 1"_s, good, 2,
        me + u"check: --port is not an option of this command\n"_s);
    row("read with a file", u"read f.olc --port 1 --name N -o g.olc"_s, good, 2,
        me + u"read: takes no file argument (\"f.olc\"); use -o\n"_s);
    row("read -o without a name", u"read --port 1 -o g.olc"_s, {}, 2,
        me + u"read: -o saves a panel name: give it with --name\n"_s);
    row("name with a line feed", u"read --port 1 --name A\nB"_s, {}, 2,
        me + u"--name: the control character U+000A cannot be typed into the panel name box\n"_s);
    row("name of 13", u"read --port 1 --name ABCDEFGHIJKLM -o g.olc"_s, {}, 2,
        me + u"--name \"ABCDEFGHIJKLM\": 13 characters; the panel name box takes at most 12\n"_s);
    row("name with a double quote", u"read --port 1 --name A\"B -o g.olc"_s, {}, 2,
        me +
            u"--name \"A\"B\": a configuration file cannot hold a double quote (\") in the panel name\n"_s);
    row("name outside the code page", u"read --port 1 --name \u03a9 -o g.olc"_s, {}, 2,
        me +
            u"--name \"\u03a9\": a configuration file cannot hold the character U+03A9 (\u03a9) in the panel name\n"_s);
    row("read over a file", u"read --port 1 --name N -o f.olc"_s, "old", 2,
        me + u"f.olc: the file exists; give --force to replace it\n"_s);
    // What the save would refuse is refused before the module is read.
    row("read into a folder", u"read --port 1 --name N -o . --force"_s, {}, 2,
        me + u".: a folder, not a file to save into; nothing was read\n"_s);
    row("read into a named pipe", u"read --port 1 --name N -o t.fifo --force"_s, {}, 2,
        me + u"t.fifo: a named pipe, not a file to save into; nothing was read\n"_s);
    row("read into a missing folder", u"read --port 1 --name N -o no/g.olc"_s, {}, 2,
        me + u"no/g.olc: cannot be saved: "_s);
    row("write a missing file", u"write f.olc --port 1"_s, {}, 2, me + u"f.olc: no such file\n"_s);
    row("write a file that breaks a rule", u"write f.olc --port 1"_s, record(u"IN3=C4 OUT3=C4"_s),
        1,
        u"f.olc: CHANNEL ASSIGNMENT ERROR: IN-3 names its own OUT-3 (C/4 DATA-A)\n"
        "f.olc: refused, nothing was written to any module\n"_s);
    row("verify a file of another model", u"verify f.olc --port 1 --json"_s,
        record(NORTH, u"P"_s, u"00-00573-000"_s), 1,
        u"f.olc: FILE/MODEL MIS-MATCH: the model field is \"00-00573-000\", not \"00-00574-000\"\n"
        "f.olc: cannot be compared with a module, the window could not write it\n"_s,
        {u"command=verify"_s, u"problems/0/kind=other_model"_s, u"exit_code=1"_s});
    row("verify an incomplete file", u"verify f.olc --port 1"_s, record(u"IN1=A1"_s), 1,
        u"f.olc: DATA MUST BE ENTERED (CLICKED) FOR ALL ACTIVE OUTPUTS BEFORE WRITING DATA: "
        "OUT-1 has no module and no channel\n"_s);
    row("usage error as JSON", u"write f.olc --port 9 --json"_s, good, 2,
        me + bad_port.arg(u"9"_s) + u'\n', {u"error="_s + bad_port.arg(u"9"_s), u"exit_code=2"_s});
    row("trace that cannot be opened", u"write f.olc --port 1 --trace no/such/folder/t.log"_s, good,
        2, me + u"--trace no/such/folder/t.log: "_s);
    // Waiting for a reader would hang the program before Ctrl-C could reach it.
    row("trace into a named pipe nobody reads", u"write f.olc --port 1 --trace t.fifo"_s, good, 2,
        me + u"--trace t.fifo: t.fifo: a named pipe that no program is reading\n"_s);
}

// Each refusal is one line (or the file's findings), and no frame reaches the module.
void TestCli::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, file);
    QFETCH(QString, err);
    emulator::ModuleServer module;
    QVERIFY(module.open_pty());
    for (QString &argument : arguments)
        argument.replace(u"{port}"_s, module.port_name());
    err.replace(u"{port}"_s, module.port_name());
    if (!file.isNull())
        write_file(FILE_NAME, file);
    // Beside it: a named pipe, and pty/e1, a link to the module's line.
    QCOMPARE(::mkfifo("t.fifo", 0600), 0);
    QVERIFY(QDir().mkdir(u"pty"_s));
    QVERIFY(QFile::link(module.port_name(), u"pty/e1"_s));

    const Ran ran = run(arguments, [&](qint16 n) {
        return n == 1 ? module.port_name() : u"/dev/null/COM%1"_s.arg(n);
    });
    QTEST(ran.code, "exit_code");
    QVERIFY2(ran.err.startsWith(err), qPrintable(ran.err));
    QFETCH(QStringList, json);
    if (json.isEmpty())
        QVERIFY2(ran.out.isEmpty(), qPrintable(ran.out));
    else
        compare_json(ran.out, json);
    QCOMPARE(module.core().exchanges(), 0);
    QCOMPARE(memory_of(module), QList<int>(BYTES, 0));
    // A refused read leaves the file it would have replaced as it was.
    if (!file.isNull())
        QCOMPARE(QFile(FILE_NAME).size(), file.size());
}

// modules -----------------------------------------------------------------------------------------

void TestCli::modules_data()
{
    QTest::addColumn<DeviceRow>("r");
    const FaultOptions healthy;
    const QList<int> zeros(BYTES, 0);
    QList<int> changed = NORTH_BYTES;
    changed[0] = 23; // IN-1 on C/4
    changed[21] = 4; // a bit of the IN-9/IN-10 loop byte that belongs to no slot
    changed[22] = 2; // OUT-2 on DATA-B
    QList<int> north_partly(BYTES, -1);
    for (int a : {0, 1, 2, 3, 4})
        north_partly[a] = NORTH_BYTES[a];
    // IN-1 B/3 to OUT-1 C/2; IN-2 off, though its output still holds F/8; loops as read.
    QList<int> read_bytes(BYTES, 160);
    read_bytes[0] = 12;
    read_bytes[10] = 21;
    read_bytes[11] = 57;
    read_bytes[20] = 3;   // IN-1, and IN-2 although it is off
    read_bytes[21] = 254; // IN-10, and six bits that belong to no slot
    read_bytes[22] = 0;
    read_bytes[23] = 1;
    QList<int> incomplete(BYTES, 160);
    incomplete[0] = 12; // IN-1 active, OUT-1 not assigned
    for (int a = 20; a < BYTES; ++a)
        incomplete[a] = 0;

    // The terminal's lines are cut at 23 columns.
    QTest::newRow("write five modules at once, on a terminal") << DeviceRow{
        {u"write"_s, FILE_NAME, u"--port"_s, u"COM1"_s, u"--port"_s, u"2"_s, u"--port"_s, u"com3"_s,
         u"--port"_s, u"4"_s, u"--port"_s, u"5"_s, u"--trace"_s, u"t.log"_s},
        {healthy,
         {.silent = true},
         {.identity = 17},
         {.extra = "\r\n"},
         {.raw_replies = {{1, "XXXXV"}}}},
        {},
        record(NORTH),
        1,
        {u"COM1  write  24/24 done"_s, u"COM2  write  0/24 faile"_s, u"COM5  write  1/24 faile"_s,
         u"COM1: programmed, all 24 bytes read back the same"_s,
         u"COM2: no answer from the module"_s,
         u"COM3: not a data converter module: identity byte 17, expected 31"_s,
         u"COM4: the module answered \"A\" with 44 30 30 30 44 0D 0A  |D000D..|, not with exactly "
         "D000D"_s,
         u"COM5: bad data at address 1: the reply holds no value (sent 56 00 01 30 30 56  "
         "|V..00V|, received 58 58 58 58 56  |XXXXV|); MAY BE PARTLY PROGRAMMED (1 of 24 bytes "
         "verified)"_s,
         u"4 of 5 modules failed"_s},
        {},
        {NORTH_BYTES, zeros, zeros, zeros, NORTH_BYTES.mid(0, 2) + zeros.mid(2)},
        true};
    // pty/e2, a link in the current folder, is opened there, not under /dev.
    QTest::newRow("write: a byte that does not stay, a line that drops") << DeviceRow{
        {u"write"_s, FILE_NAME, u"--port"_s, u"1"_s, u"--port"_s, u"pty/e2"_s, u"--json"_s},
        {{.forget_addresses = {5}}, {.drop_after = 10}},
        {},
        record(NORTH),
        1,
        {},
        {u"command=write"_s, u"ports/0/port=COM1"_s, u"ports/0/outcome=bad_data"_s,
         u"ports/0/address=5"_s, u"ports/0/done=5"_s, u"ports/0/partly_programmed=true"_s,
         u"ports/0/detail=bad data at address 5: stored 160, read back 0; MAY BE PARTLY "
         "PROGRAMMED (5 of 24 bytes verified)"_s,
         u"ports/0/received=30 30 30 30 56  |0000V|"_s,
         u"ports/1/detail=the line went away (the device was unplugged, or its far end closed); "
         "MAY BE PARTLY PROGRAMMED (4 of 24 bytes verified)"_s,
         u"ports/1/port=pty/e2"_s, u"ports/1/device={here}/pty/e2"_s,
         u"ports/1/outcome=port_failure"_s, u"ports/1/done=4"_s,
         u"ports/1/partly_programmed=true"_s, u"interrupted=false"_s, u"exit_code=1"_s},
        {north_partly, north_partly.mid(0, 4) + QList<int>(BYTES - 4, 0)}};
    QTest::newRow("verify: one module as the file says, one not, one in use") << DeviceRow{
        {u"verify"_s, FILE_NAME, u"--port"_s, u"1"_s, u"--port"_s, u"2"_s, u"--port"_s, u"3"_s},
        {healthy, healthy, healthy},
        {NORTH_BYTES, changed, zeros},
        record(NORTH),
        1,
        // Bits of a loop byte that belong to no slot are not compared: the window never shows
        // them, so a read of the module would not keep them either.
        {u"COM1: holds what f.olc says"_s, u"COM2: differs from f.olc:"_s,
         u"  IN-1: file B/3, module C/4"_s, u"  OUT-2 loop: file DATA-A, module DATA-B"_s,
         u"COM3: the port cannot be opened: in use by another program"_s},
        {},
        {NORTH_BYTES, changed},
        false,
        {},
        3};
    QTest::newRow("verify as JSON: another kind of module") << DeviceRow{
        {u"verify"_s, FILE_NAME, u"--port"_s, u"{1}"_s, u"--port"_s, u"2"_s, u"--json"_s},
        {{.identity = 30}, healthy},
        {zeros, NORTH_BYTES},
        record(NORTH),
        1,
        {},
        {u"ports/0/outcome=wrong_module"_s, u"ports/0/identity=30"_s,
         u"ports/0/detail=not a data converter module: identity byte 30, expected 31"_s,
         u"ports/1/outcome=success"_s, u"ports/1/identical=true"_s, u"ports/1/differences=[]"_s,
         u"ports/1/bytes/10=21"_s, u"expected/0=12"_s, u"expected/20=1"_s, u"exit_code=1"_s}};
    QTest::newRow("read without -o shows what it read, without progress")
        << DeviceRow{{u"read"_s, u"--port"_s, u"1"_s, u"--quiet"_s},
                     {healthy},
                     {read_bytes},
                     {},
                     0,
                     {u"COM1: read 24 bytes"_s, u"PANEL NAME: "_s,
                      u"IN-1   B       3        DATA-B  DESIGNATION  OUT-1   C       2        "
                      "DATA-A  DESIGNATION"_s}};
    QTest::newRow("read saves what the window would save")
        << DeviceRow{{u"read"_s, u"--port"_s, u"1"_s, u"--name"_s, u"NORTH"_s, u"-o"_s, u"g.olc"_s,
                      u"--force"_s},
                     {healthy},
                     {read_bytes},
                     "an older file",
                     0,
                     {u"COM1: read 24 bytes, saved g.olc"_s},
                     {},
                     {read_bytes}};
    QTest::newRow("read as JSON: an active slot without an output") << DeviceRow{
        {u"read"_s, u"--port"_s, u"1"_s, u"--name"_s, u"N"_s, u"-o"_s, u"g.olc"_s, u"--json"_s},
        {healthy},
        {incomplete},
        {},
        1,
        {},
        {u"saved=false"_s, u"ports/0/outcome=success"_s, u"problems/0/kind=incomplete_output"_s,
         u"problems/0/slot=1"_s,
         u"problems/0/message=DATA MUST BE ENTERED (CLICKED) FOR ALL ACTIVE OUTPUTS BEFORE WRITING DATA"_s,
         u"slots/0/input/module=B"_s, u"slots/0/output/module=null"_s, u"exit_code=1"_s},
        {incomplete},
        false,
        {u"COM1: DATA MUST BE ENTERED (CLICKED) FOR ALL ACTIVE OUTPUTS BEFORE WRITING DATA: "
         "OUT-1 has no module and no channel"_s}};
}

void TestCli::modules()
{
    QFETCH(DeviceRow, r);
    std::vector<std::unique_ptr<emulator::ModuleServer>> modules;
    for (int i = 0; i < r.modules.size(); ++i) {
        auto &module = *modules.emplace_back(std::make_unique<emulator::ModuleServer>());
        QVERIFY(module.open_pty());
        module.core().set_faults(r.modules[i]);
        if (!r.memory_before.isEmpty())
            for (int a = 0; a < BYTES; ++a)
                module.core().set_byte(a, quint8(r.memory_before[i][a]));
    }
    // Module n is on {n}, and on pty/en, a link in the current folder ({here}).
    QVERIFY(QDir().mkdir(u"pty"_s));
    const auto fill = [&](QString text) {
        for (int i = 0; i < int(modules.size()); ++i)
            text.replace(u"{%1}"_s.arg(i + 1), modules[std::size_t(i)]->port_name());
        return text.replace(u"{here}"_s, QDir::currentPath());
    };
    for (int i = 0; i < int(modules.size()); ++i)
        QVERIFY(QFile::link(fill(u"{%1}"_s.arg(i + 1)), u"pty/e%1"_s.arg(i + 1)));
    QStringList arguments;
    for (const QString &argument : std::as_const(r.arguments))
        arguments << fill(argument);
    if (!r.file.isNull())
        write_file(arguments.first() == u"read"_s ? u"g.olc"_s : FILE_NAME, r.file);
    QSerialPort holder;
    if (r.held > 0) {
        holder.setPortName(modules.at(std::size_t(r.held - 1))->port_name());
        QVERIFY(holder.open(QIODevice::ReadWrite));
    }

    const Ran ran = run(
        arguments, [&](qint16 n) { return modules.at(std::size_t(n - 1))->port_name(); },
        r.terminal);
    QCOMPARE(ran.code, r.exit_code);
    QStringList expected;
    for (const QString &line : std::as_const(r.out))
        expected << fill(line);
    QVERIFY2(in_order(ran.out_lines(), expected), qPrintable(ran.out));
    if (arguments.contains(u"--quiet"_s))
        QCOMPARE(ran.out_lines().value(0), expected.value(0));
    for (const QString &line : std::as_const(r.err))
        QVERIFY2(ran.err.split(u'\n').contains(line), qPrintable(ran.err));
    if (!r.json.isEmpty()) {
        QStringList checks;
        for (const QString &check : std::as_const(r.json))
            checks << fill(check);
        compare_json(ran.out, checks);
    }
    for (int i = 0; i < r.memory_after.size(); ++i) {
        QList<int> memory = memory_of(*modules[std::size_t(i)]);
        for (int a = 0; a < BYTES; ++a)
            if (r.memory_after[i][a] < 0)
                memory[a] = -1;
        QCOMPARE(memory, r.memory_after[i]);
    }
    // Every port that was opened is closed again, in the traffic log's words.
    if (arguments.contains(u"--trace"_s)) {
        QFile trace(u"t.log"_s);
        QVERIFY(trace.open(QIODevice::ReadOnly));
        const QString log = QString::fromUtf8(trace.readAll());
        for (const auto &module : modules) {
            QVERIFY2(log.contains(module->port_name() + u" opened"_s), qPrintable(log));
            QVERIFY2(log.contains(closed_line(*module)), qPrintable(log));
        }
    }
    if (arguments.contains(u"-o"_s)) {
        QFile saved(u"g.olc"_s);
        if (r.exit_code != 0) {
            QVERIFY(!saved.exists());
        } else {
            // The same record the window writes after such a read, with NORTH typed in.
            QVERIFY(saved.open(QIODevice::ReadOnly));
            QCOMPARE(saved.readAll(), record(u"IN1=B3 OUT1=C2 L=3,2,0,1"_s, u"NORTH"_s));
        }
    }
}

// program -----------------------------------------------------------------------------------------

void TestCli::program_data()
{
    QTest::addColumn<int>("signal_number"); // 0: the run ends by itself
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("output"); // standard output: a pipe, one "closed" at once, a file
    QTest::addColumn<QString>("trace");  // a file, or a named pipe this test reads
    QTest::addColumn<int>("exit_code");
    QTest::addColumn<QString>("out"); // a pattern for the result lines on standard output
    QTest::addColumn<QString>("err"); // a pattern for standard error
    const QString partly =
        u"{1}: interrupted; MAY BE PARTLY PROGRAMMED \\(\\d+ of 24 bytes verified\\)\\n"
        "{2}: interrupted; MAY BE PARTLY PROGRAMMED \\(\\d+ of 24 bytes verified\\)\\n$"_s;
    const QString named = u"interrupted; ports closed; may be partly programmed: {1}, {2}\\n$"_s;
    const QString programmed = u"{1}: programmed, all 24 bytes read back the same\\n"
                               "{2}: programmed, all 24 bytes read back the same\\n$"_s;
    const QString failed = u"^converter-cli: standard output failed \\(%1\\); what it could not "
                           "take follows here\\n"_s;
    QTest::newRow("SIGINT in the middle of a write")
        << SIGINT << u"write"_s << QString() << u"t.log"_s << 130 << partly << named;
    QTest::newRow("SIGTERM while two modules are read")
        << SIGTERM << u"verify"_s << QString() << u"t.log"_s << 130
        << u"{1}: interrupted\\n{2}: interrupted\\n$"_s << u"interrupted; ports closed\\n$"_s;
    // The terminal closed: as Ctrl-C. The trace goes into a named pipe that is being read.
    QTest::newRow("SIGHUP in the middle of a write")
        << SIGHUP << u"write"_s << QString() << u"t.fifo"_s << 130 << partly << named;
    // The runs go on to their end; what standard output could not take goes to standard error.
    QTest::newRow("standard output closed")
        << 0 << u"write"_s << u"closed"_s << u"t.log"_s << 2 << QString()
        << failed.arg(u"Broken pipe"_s) + programmed;
    QTest::newRow("standard output full")
        << 0 << u"write"_s << u"/dev/full"_s << u"t.log"_s << 2 << QString()
        << failed.arg(u"No space left on device"_s) + programmed;
}

// The real program against the modules in this process, stopped by a signal, or with its
// standard output gone.
void TestCli::program()
{
    QFETCH(int, signal_number);
    QFETCH(QString, output);
    QFETCH(QString, trace);
    QFETCH(QString, out);
    QFETCH(QString, err);
    emulator::ModuleServer first;
    emulator::ModuleServer second;
    QVERIFY(first.open_pty());
    QVERIFY(second.open_pty());
    write_file(FILE_NAME, record(NORTH));
    int trace_pipe = -1;
    if (trace.endsWith(u".fifo"_s)) {
        QCOMPARE(::mkfifo(qPrintable(trace), 0600), 0);
        trace_pipe = ::open(qPrintable(trace), O_RDONLY | O_NONBLOCK);
    }
    const auto close_pipe = qScopeGuard([&] { ::close(trace_pipe); });
    QFETCH(QString, command);
    QStringList arguments{command, FILE_NAME};
    arguments << u"--port"_s << first.port_name() << u"--port"_s << second.port_name()
              << u"--trace"_s << trace;

    QProcess program;
    if (output.startsWith(u'/'))
        program.setStandardOutputFile(output);
    // A pipe whose reader has gone, as after `| head -2`.
    if (output == u"closed"_s)
        program.setChildProcessModifier([] {
            int ends[2];
            if (::pipe(ends) == 0 && ::close(ends[0]) == 0)
                ::dup2(ends[1], STDOUT_FILENO);
        });
    program.start(QStringLiteral(CLI_PROGRAM), arguments);
    QVERIFY(program.waitForStarted());
    if (signal_number != 0) {
        // Some bytes in: the handshake, the identity and three more exchanges.
        constexpr int SOME_EXCHANGES = 5;
        QTRY_VERIFY_WITH_TIMEOUT(first.core().exchanges() >= SOME_EXCHANGES, RUN_TIMEOUT_MS);
        QCOMPARE(::kill(pid_t(program.processId()), signal_number), 0);
    }
    QTRY_COMPARE_WITH_TIMEOUT(program.state(), QProcess::NotRunning, RUN_TIMEOUT_MS);
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QTEST(program.exitCode(), "exit_code");

    const auto fill = [&](QString text) {
        return QRegularExpression(
            text.replace(u"{1}"_s, QRegularExpression::escape(first.port_name()))
                .replace(u"{2}"_s, QRegularExpression::escape(second.port_name())));
    };
    const QString stdout_text = QString::fromUtf8(program.readAllStandardOutput());
    QVERIFY2(out.isEmpty() || fill(out).match(stdout_text).hasMatch(), qPrintable(stdout_text));
    const QString stderr_text = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(fill(err).match(stderr_text).hasMatch(), qPrintable(stderr_text));
    // Both ports were closed before the program ended.
    QByteArray log;
    if (trace_pipe >= 0) {
        char buffer[4096];
        for (ssize_t got = 0; (got = ::read(trace_pipe, buffer, sizeof buffer)) > 0;)
            log.append(buffer, got);
    } else {
        QFile file(trace);
        QVERIFY(file.open(QIODevice::ReadOnly));
        log = file.readAll();
    }
    for (const auto *module : {&first, &second})
        QVERIFY2(QString::fromUtf8(log).contains(closed_line(*module)), log.constData());
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
