// converter-cli end to end: command lines run by the worker in this thread against real files
// and emulated modules on pseudo-terminals (several at once, some through the real ser2net on
// 127.0.0.1), the bench station with modules plugged and unplugged, and the real program stopped
// by a signal in the middle of a write.

#include "cli_worker.h"
#include "config_record.h"
#include "configuration_texts.h"
#include "link_texts.h"
#include "module_server.h"
#include "panel_notation.h"
#include "ser2net_server.h"
#include "whole_files.h"

#include <QCryptographicHash>
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
#include <map>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using emulator::FaultOptions;

namespace
{

// A run of a few modules at once takes about 2.6 s; the slowest rows wait for a silent module,
// the station for three modules one after another.
constexpr int RUN_TIMEOUT_MS = 30000;
constexpr int BYTES = CONFIGURATION_BYTES;
const QString FILE_NAME = u"f.olc"_s;

// A record in the module notation (tests/support), named and of a model as given.
QByteArray record(const QString &notation, const QString &panel = u"PANEL"_s,
                  const QString &model = MODEL_ID)
{
    ConfigRecord r = record_of(notation);
    r.panel = panel;
    r.model = model;
    return write_config_record(r).bytes;
}

// The document as "path=value" lines: "ports/0/outcome=success", "files/0/problems=[]".
void flatten(const QJsonValue &value, const QString &path, QStringList &lines)
{
    // A value alone in an array, written compact, then without the brackets.
    const QByteArray compact = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    lines << path + u'=' +
                 (value.isString() ? value.toString()
                                   : QString::fromUtf8(compact.mid(1).chopped(1)));
    const QString prefix = path.isEmpty() ? path : path + u'/';
    const QJsonArray array = value.toArray();
    for (int i = 0; i < array.size(); ++i)
        flatten(array[i], prefix + QString::number(i), lines);
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it)
        flatten(it.value(), prefix + it.key(), lines);
}

// Each "path=value" check among the document's lines.
void compare_json(const QString &document, const QStringList &checks)
{
    QStringList lines;
    flatten(QJsonDocument::fromJson(document.toUtf8()).object(), QString(), lines);
    for (const QString &check : checks)
        QVERIFY2(lines.contains(check), qPrintable(check + u"\n"_s + document));
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
// `input` is its standard input; `meanwhile` acts while it runs, the worker to stop it.
Ran run(QStringList arguments, const PortNameMap &ports = platform_port_name, bool terminal = false,
        int input = STDIN_FILENO, const std::function<void(Ran &, CliWorker &)> &meanwhile = {})
{
    Ran ran;
    QTextStream out(&ran.out);
    QTextStream err(&ran.err);
    CliWorker worker({out, err, terminal, false, [] { return TERMINAL_COLUMNS; }, input}, ports);
    QSignalSpy finished(&worker, &CliWorker::finished);
    arguments.prepend(u"converter-cli"_s);
    worker.start(arguments);
    if (meanwhile)
        meanwhile(ran, worker);
    if (QTest::qWaitFor([&] { return !finished.isEmpty(); }, RUN_TIMEOUT_MS))
        ran.code = finished.first().first().toInt();
    out.flush();
    err.flush();
    return ran;
}

// Emulated modules on pseudo-terminals, module n also at pty/en in the current folder. In texts
// {n} names its line, {raw n} and {rfc2217 n} the same line through ser2net (started when first
// named), {here} the current folder.
struct Bench {
    std::vector<std::unique_ptr<emulator::ModuleServer>> modules;
    std::map<int, std::unique_ptr<Ser2netServer>> servers;

    emulator::ModuleServer &add(const FaultOptions &faults = {})
    {
        auto &module = *modules.emplace_back(std::make_unique<emulator::ModuleServer>());
        if (!module.open_pty() || !(QDir().mkpath(u"pty"_s)) ||
            !QFile::link(module.port_name(), u"pty/e%1"_s.arg(modules.size())))
            qFatal("no emulated module");
        module.core().set_faults(faults);
        return module;
    }
    emulator::ModuleServer &at(int n) { return *modules.at(std::size_t(n - 1)); }
    QList<int> memory(int n)
    {
        const auto &memory = at(n).core().memory();
        return {memory.begin(), memory.begin() + BYTES};
    }
    Ser2netServer &server(int n)
    {
        auto &server = servers[n];
        if (!server) {
            server = std::make_unique<Ser2netServer>();
            if (!server->start(at(n).port_name(), {u"chardelay: false"_s}) ||
                !QTest::qWaitFor([&] { return server->listening(); }))
                qFatal("ser2net does not listen");
        }
        return *server;
    }
    QString fill(QString text)
    {
        static const QRegularExpression name(u"\\{(raw |rfc2217 )?(\\d)\\}"_s);
        for (auto m = name.match(text); m.hasMatch(); m = name.match(text)) {
            const int n = m.captured(2).toInt();
            text.replace(m.capturedStart(), m.capturedLength(),
                         m.captured(1).isEmpty()      ? at(n).port_name()
                         : m.captured(1) == u"raw "_s ? server(n).raw_url()
                                                      : server(n).rfc2217_url());
        }
        return text.replace(u"{here}"_s, QDir::currentPath());
    }
    QStringList fill(QStringList texts)
    {
        for (QString &text : texts)
            text = fill(text);
        return texts;
    }
    // COM n is module n; beyond them, nothing.
    PortNameMap com_ports()
    {
        return [this](qint16 n) {
            return n <= qint16(modules.size()) ? at(n).port_name() : u"/dev/null/COM%1"_s.arg(n);
        };
    }
};

// The north panel: IN-1 B/3 on DATA-B to OUT-1 C/2, IN-2 A/1 to OUT-2 C/3.
const QString NORTH = u"IN1=B3 OUT1=C2 IN2=A1 OUT2=C3 L=1,0,0,0"_s;

// One row against modules: one emulator per fault set.
struct DeviceRow {
    QString arguments; // split at spaces, then filled in as Bench::fill does
    QList<FaultOptions> modules;
    QStringList before; // per module in the module notation; empty: all zero
    QByteArray file;
    int exit_code;
    QStringList out;  // lines in this order; with json too, the row also runs with --json
    QStringList json; // path=value checks of the document
    // Per module, the first bytes it must hold afterwards.
    QList<QList<int>> after = {};
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
    void untouched_data();
    void untouched();
    void modules_data();
    void modules();
    void station();
    void summary();
    void native_name();
    void program_data();
    void program();
    void two_programs();
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
    const QString missing = u"f1.olc: DATA MUST BE ENTERED (CLICKED) FOR ALL ACTIVE %1 BEFORE "
                            "WRITING DATA: %2"_s;
    const QString problem = u"files/0/problems/0/"_s;
    row("number beyond 16 bits", record(NORTH).replace(",160,", ",40000,"), 1,
        {mismatch +
         u"field 8 (the point code of IN-3) holds a number that does not fit in 16 bits"_s});
    row("text in a loop byte", record(NORTH).replace("1,0,0,0", "1,0,X,0"), 1,
        {mismatch +
         u"field 45 (OUT-1 to OUT-8 loops) holds something other than a decimal number"_s});
    row("code below -1", record(u"IN3=#-7 OUT3=A1"_s), 1,
        {mismatch + u"the point code of IN-3 is -7, which names no channel"_s},
        {problem + u"slot=3"_s});
    row("two other outputs", record(u"IN2=B5 OUT2=A1 IN4=A2 OUT4=B5 IN7=A3 OUT7=B5"_s), 1,
        {duplicate + u"IN-2 names OUT-4, OUT-7 (B/5 DATA-A)"_s},
        {problem + u"kind=other_output"_s, problem + u"outputs=[4,7]"_s});
    row("own and another output on DATA-B", record(u"IN3=C4.B OUT3=C4.B IN5=A1 OUT5=C4.B"_s), 1,
        {own + u"IN-3 names its own OUT-3 (C/4 DATA-B)"_s,
         duplicate + u"IN-3 names OUT-5 (C/4 DATA-B)"_s},
        {problem + u"kind=own_output"_s, problem + u"message=CHANNEL ASSIGNMENT ERROR"_s});
    row("incomplete sides", record(u"IN4=#-1 OUT4=H8 IN5=A1 OUT5=#160 IN6=A2 OUT6=#-1"_s), 1,
        {missing.arg(u"INPUTS"_s, u"IN-4 has no channel"_s),
         missing.arg(u"OUTPUTS"_s, u"OUT-5 has no module and no channel"_s),
         missing.arg(u"OUTPUTS"_s, u"OUT-6 has no channel"_s)},
        {problem + u"kind=incomplete_input"_s, u"files/0/problems/1/kind=incomplete_output"_s});
    QTest::newRow("several files, one missing")
        << QList<QByteArray>{record(NORTH), QByteArray(), record(u"IN3=C4 OUT3=C4"_s)} << 2
        << QStringList{u"f1.olc: sound"_s,
                       u"f3.olc: CHANNEL ASSIGNMENT ERROR: IN-3 names its own OUT-3 (C/4 DATA-A)"_s}
        << QStringList{u"files/0/status=sound"_s, u"files/1/status=unreadable"_s,
                       u"files/1/error=no such file"_s, u"files/2/status=problems"_s,
                       u"exit_code=2"_s};
}

void TestCli::check()
{
    QFETCH(QList<QByteArray>, files);
    QFETCH(int, exit_code);
    QStringList arguments{u"check"_s};
    for (int i = 0; i < files.size(); ++i) {
        const QString name = u"f%1.olc"_s.arg(i + 1);
        if (!files[i].isNull())
            QVERIFY(put_file(name, files[i]));
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
    QTest::addColumn<QStringList>("out"); // lines in this order, or path=value checks with --json
    QTest::addColumn<QString>("err");
    const auto row = [](const char *name, const QByteArray &file, bool json, int exit_code,
                        const QStringList &out, const QString &err = {}) {
        QTest::newRow(name) << file << json << exit_code << out << err;
    };
    const QByteArray north =
        record(NORTH, u"NORTH PANEL"_s).replace("\"DESIGNATION\",12", "\"FIRE ALARM, MAIN\",12");
    // clang-format off
    row("table", north, false, 0, {u"PANEL NAME: NORTH PANEL"_s,
        u"INPUT  MODULE  CHANNEL  LOOP    DESIGNATION       OUTPUT  MODULE  CHANNEL  LOOP    DESIGNATION"_s,
        u"IN-1   B       3        DATA-B  FIRE ALARM, MAIN  OUT-1   C       2        DATA-A  DESIGNATION"_s,
        u"IN-2   A       1        DATA-A  DESIGNATION       OUT-2   C       3        DATA-A  DESIGNATION"_s,
        u"IN-3   N/A                                        OUT-3   N/A"_s,
        u"IN-10  N/A                                        OUT-10  N/A"_s});
    row("json", north, true, 0, {u"panel=NORTH PANEL"_s, u"slots/0/input/module=B"_s,
        u"slots/0/input/channel=3"_s, u"slots/0/input/loop=DATA-B"_s,
        u"slots/0/input/designation=FIRE ALARM, MAIN"_s, u"slots/0/output/channel=2"_s,
        u"slots/2/slot=3"_s, u"slots/2/input=null"_s, u"slots/2/output=null"_s, u"exit_code=0"_s});
    row("damaged", record(NORTH).left(100), true, 1, {u"problems/0/kind=damaged"_s,
        u"file=-"_s, u"exit_code=1"_s},
        u"-: FILE/MODEL MIS-MATCH: the file ends before its 46th field\n"_s);
    // Only the first 4 MiB are read; an input without a record in them is not one.
    row("larger than 4 MiB", QByteArray(4 * 1024 * 1024 + 1, 'x'), false, 1, {},
        u"-: FILE/MODEL MIS-MATCH: larger than 4 MiB: not a configuration file\n"_s);
    // clang-format on
}

void TestCli::show()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, json);
    QFETCH(QStringList, out);
    // The file comes on standard input.
    QVERIFY(put_file(FILE_NAME, file));
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
        QVERIFY2(in_order(ran.out_lines(), out), qPrintable(ran.out));
}

// untouched: refusals, and ports ------------------------------------------------------------------

void TestCli::untouched_data()
{
    QTest::addColumn<QStringList>("arguments"); // {1} is the module's device path
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
    const QString bad_port =
        u"--port %1: give a COM number from 1 to 5, a device name such as ttyUSB0, or a path\n"_s;
    const QString same = u"--port %1 and --port %2 are the same port (%3)\n"_s;
    const QString wait = u"--reply-wait %1: give the milliseconds to wait for a reply, from 100 "_s;
    const QString no_reader = u"t.fifo: a named pipe that no program is reading\n"_s;
    const QString not_option = u"%1: --%2 is not an option of this command\n"_s;
    // clang-format off
    row("no command", u""_s, {}, 2, u"no command given (try --help)\n"_s);
    row("unknown option", u"check f.olc --bogus"_s, good, 2, u"unknown option \"--bogus\" (try"_s);
    row("a folder to show", u"show ."_s, {}, 2, u".: a folder, not a file\n"_s);
    row("unknown command", u"program f.olc"_s, good, 2, u"unknown command \"program\" (try"_s);
    row("check without a file", u"check"_s, {}, 2, u"check: name at least one file\n"_s);
    row("show two files", u"show f.olc f.olc"_s, good, 2, u"show: name exactly one file\n"_s);
    row("write without a port", u"write f.olc"_s, good, 2, u"write: name a port with --port\n"_s);
    row("probe with a file", u"probe f.olc --port 1"_s, good, 2, u"probe: takes no file"_s);
    row("station without a log", u"station f.olc --port 1"_s, good, 2, u"station: name the log"_s);
    row("COM 6", u"write f.olc --port com6"_s, good, 2, bad_port.arg(u"com6"_s));
    row("a network port without its port", u"probe --port rfc2217://127.0.0.1"_s, {}, 2,
        u"--port rfc2217://127.0.0.1: a network port is tcp://HOST:PORT or rfc2217://"_s);
    row("COM1 and its device", u"verify f.olc --port COM1 --port {1}"_s, good, 2,
        same.arg(u"COM1"_s, u"{1}"_s, u"{1}"_s));
    // A path is taken from the current folder, a bare name from /dev, exactly as opened.
    row("a link from here and its device", u"station f.olc --port {1} --port pty/e1 --log s.log"_s,
        good, 2, same.arg(u"{1}"_s, u"pty/e1"_s, u"{1}"_s));
    row("a device name and its path", u"verify f.olc --port ttyS0 --port /dev/ttyS0"_s, good, 2,
        same.arg(u"ttyS0"_s, u"/dev/ttyS0"_s, u"/dev/ttyS0"_s));
    // Whether or not the device is there yet; network ports by address and port number.
    row("a path not there yet, named twice", u"station f.olc --port ./pX --port {here}/pX --log s.log"_s,
        good, 2, same.arg(u"./pX"_s, u"{here}/pX"_s, u"{here}/./pX"_s));
    row("localhost and 127.0.0.1", u"probe --port TCP://localhost:27000 --port tcp://127.0.0.1:027000"_s,
        {}, 2, same.arg(u"TCP://localhost:27000"_s, u"tcp://127.0.0.1:027000"_s,
                        u"TCP://localhost:27000"_s));
    // A log never goes into the file being programmed, a port or a device.
    row("the file as its own log", u"station f.olc --port {1} --log ./f.olc"_s, good, 2,
        u"--log ./f.olc: that is f.olc, which the log must not be\n"_s);
    row("a port as the log", u"write f.olc --port 1 --log {1}"_s, good, 2,
        u"--log {1}: that is {1}, which the log must not be\n"_s);
    row("a device as the log", u"station f.olc --port 2 --log /dev/null"_s, good, 2,
        u"--log /dev/null: a device (a terminal, a serial port or a disk), not a file to log "
        "into\n"_s);
    row("a port for check", u"check f.olc --port 1"_s, good, 2, not_option.arg(u"check", u"port"));
    row("a log for read", u"read --port 1 --log s.log"_s, {}, 2, not_option.arg(u"read"_s, u"log"));
    row("reply wait 99 ms", u"read --port 1 --reply-wait 99"_s, {}, 2, wait.arg(99));
    row("reply wait 2001 ms", u"probe --port 1 --reply-wait 2001"_s, {}, 2, wait.arg(2001));
    row("read with a file", u"read f.olc --port 1 --name N -o g.olc"_s, good, 2,
        u"read: takes no file argument (\"f.olc\"); use -o\n"_s);
    row("read -o without a name", u"read --port 1 -o g.olc"_s, {}, 2,
        u"read: -o saves a panel name: give it with --name\n"_s);
    row("-o with no name", u"read --port 1 --name N -o="_s, {}, 2,
        u"--output: the file name is empty\n"_s);
    row("a log given twice", u"write f.olc --port 1 --log a.log --log b.log"_s, good, 2,
        u"--log is given twice; give it once\n"_s);
    row("name with a line feed", u"read --port 1 --name A\nB"_s, {}, 2,
        u"--name: the control character U+000A cannot be typed into the panel name box\n"_s);
    row("name of 13", u"read --port 1 --name ABCDEFGHIJKLM -o g.olc"_s, {}, 2,
        u"--name \"ABCDEFGHIJKLM\": 13 characters; the panel name box takes at most 12\n"_s);
    row("name with a double quote", u"read --port 1 --name A\"B -o g.olc"_s, {}, 2,
        u"--name \"A\"B\": a configuration file cannot hold a double quote (\") in the panel"_s);
    row("name outside the code page", u"read --port 1 --name \u03a9 -o g.olc"_s, {}, 2,
        u"--name \"\u03a9\": a configuration file cannot hold the character U+03A9 (\u03a9) in"_s);
    row("read over a file", u"read --port 1 --name N -o f.olc"_s, "old", 2,
        u"f.olc: the file exists; give --force to replace it\n"_s);
    // What the save would refuse is refused before the module is read.
    row("read into a named pipe", u"read --port 1 --name N -o t.fifo --force"_s, {}, 2,
        u"t.fifo: a named pipe, not a file to save into; nothing was read\n"_s);
    row("read into a missing folder", u"read --port 1 --name N -o no/g.olc"_s, {}, 2,
        u"no/g.olc: cannot be saved: "_s);
    row("station on a file that breaks a rule", u"station f.olc --port 1 --log s.log"_s,
        record(u"IN3=C4 OUT3=C4"_s), 1,
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
    row("usage error as JSON", u"write f.olc --port 9 --json"_s, good, 2, bad_port.arg(u"9"_s),
        {u"error="_s + bad_port.arg(u"9"_s).chopped(1), u"exit_code=2"_s});
    // Waiting for a reader would hang the program before Ctrl-C could reach it.
    row("trace into a named pipe nobody reads", u"write f.olc --port 1 --trace t.fifo"_s, good, 2,
        u"--trace t.fifo: "_s + no_reader);
    row("log into a named pipe nobody reads", u"write f.olc --port 1 --log t.fifo"_s, good, 2,
        u"--log "_s + no_reader);
    // COM 2 is pty/e1, a link to the module's line; the list of serial ports opens nothing.
    row("ports", u"ports --json"_s, {}, 0, QString(), {u"com_ports/0/device={1}"_s,
        u"com_ports/0/exists=true"_s, u"com_ports/0/target=null"_s, u"com_ports/1/target={1}"_s,
        u"com_ports/2/device=/dev/null/COM3"_s, u"com_ports/2/exists=false"_s});
    // clang-format on
}

// Each refusal is one line, after the program's name for a usage or file error, or the file's
// findings; no frame reaches the module, and no log is begun.
void TestCli::untouched()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, file);
    QFETCH(QString, err);
    QFETCH(QStringList, json);
    Bench bench;
    emulator::ModuleServer &module = bench.add();
    arguments = bench.fill(arguments);
    if (!file.isNull())
        QVERIFY(put_file(FILE_NAME, file));
    QCOMPARE(::mkfifo("t.fifo", 0600), 0);

    const Ran ran = run(arguments, [&](qint16 n) {
        return n == 2 ? QDir::current().filePath(u"pty/e1"_s) : bench.com_ports()(n);
    });
    QFETCH(int, exit_code);
    QCOMPARE(ran.code, exit_code);
    const QString me = exit_code == 2 ? u"converter-cli: "_s : QString();
    QVERIFY2(ran.err.startsWith(me + bench.fill(err)), qPrintable(ran.err));
    if (json.isEmpty())
        QVERIFY2(ran.out.isEmpty(), qPrintable(ran.out));
    else
        compare_json(ran.out, bench.fill(json));
    QCOMPARE(module.core().exchanges(), 0);
    QCOMPARE(bench.memory(1), QList<int>(BYTES, 0));
    // A refused read leaves the file it would have replaced as it was.
    if (!file.isNull())
        QCOMPARE(QFile(FILE_NAME).size(), file.size());
    QVERIFY(!QFile::exists(u"s.log"_s));
}

// modules -----------------------------------------------------------------------------------------

void TestCli::modules_data()
{
    QTest::addColumn<DeviceRow>("r");
    const FaultOptions healthy;
    const QList<int> zeros(BYTES, 0);
    const QList<int> north = bytes_of(NORTH);
    // It wakes at the sixth "A" and answers everything 150 ms late.
    const FaultOptions late{.answer_attention_from = 6, .reply_delay = 150ms};
    // IN-1 B/3 to OUT-1 C/2; IN-2 off, though its output still holds F/8; loops as read.
    const QString read = u"IN1=B3 OUT1=C2 OUT2=F8 L=3,254,0,1"_s;

    // clang-format off
// The terminal's lines are cut at 23 columns.
QTest::newRow("write five modules at once, on a terminal") << DeviceRow{
    u"write f.olc --port COM1 --port 2 --port com3 --port 4 --port 5"_s,
    {healthy, late, {.identity = 17}, {.extra = "\r\n"}, {.raw_replies = {{1, "XXXXV"}}}},
    {}, record(NORTH), 1,
    {u"COM1  write  24/24 done"_s, u"COM2  write  0/24 faile"_s, u"COM5  write  1/24 faile"_s,
     u"COM1: programmed, all 24 bytes read back the same"_s,
     u"COM2: no answer from the module"_s,
     u"COM3: not a data converter module: identity byte 17, expected 31"_s,
     u"COM4: the module answered \"A\" with 44 30 30 30 44 0D 0A  |D000D..|, not with "
     "exactly D000D"_s,
     u"COM5: bad data at address 1: the reply holds no value (sent 56 00 01 30 30 56  "
     "|V..00V|, received 58 58 58 58 56  |XXXXV|); MAY BE PARTLY PROGRAMMED (1 of 24 bytes "
     "verified)"_s,
     u"4 of 5 modules failed"_s},
    {}, {north, {}, {}, {}, north.mid(0, 2) + zeros.mid(2)}, true};
QTest::newRow("a module 150 ms late, waited for") << DeviceRow{
    u"write f.olc --port 1 --reply-wait 250 --quiet"_s, {late}, {}, record(NORTH), 0,
    {u"COM1: programmed, all 24 bytes read back the same"_s}, {}, {north}};
// pty/e2, a link in the current folder, is opened there, not under /dev; modules 3 and 4 are
// reached through ser2net.
QTest::newRow("write: a byte that does not stay, a line that drops, two on the network")
    << DeviceRow{u"write f.olc --port 1 --port pty/e2 --port {raw 3} --port {rfc2217 4} "
                 "--json --log w.log"_s,
    {{.forget_addresses = {5}}, {.drop_after = 10}, healthy, healthy}, {}, record(NORTH), 1,
    {},
    {u"command=write"_s, u"ports/0/port=COM1"_s, u"ports/0/outcome=bad_data"_s,
     u"ports/0/address=5"_s, u"ports/0/done=5"_s, u"ports/0/partly_programmed=true"_s,
     u"ports/0/detail=bad data at address 5: stored 160, read back 0; MAY BE PARTLY "
     "PROGRAMMED (5 of 24 bytes verified)"_s,
     u"ports/0/received=30 30 30 30 56  |0000V|"_s,
     u"ports/1/detail=the line went away (the device was unplugged, or its far end closed); "
     "MAY BE PARTLY PROGRAMMED (4 of 24 bytes verified)"_s,
     u"ports/1/port=pty/e2"_s, u"ports/1/device={here}/pty/e2"_s,
     u"ports/1/outcome=port_failure"_s, u"ports/1/done=4"_s, u"ports/2/outcome=success"_s,
     u"ports/3/port={rfc2217 4}"_s, u"ports/3/outcome=success"_s, u"interrupted=false"_s,
     u"exit_code=1"_s},
    {north.mid(0, 5), north.mid(0, 4) + zeros.mid(4), north, north}};
// Bits of a loop byte that belong to no slot are not compared: the window never shows them,
// so a read of the module would not keep them either.
QTest::newRow("verify: as the file says, not, in use, another kind") << DeviceRow{
    u"verify f.olc --port 1 --port {rfc2217 2} --port 3 --port 4"_s,
    {healthy, healthy, healthy, {.identity = 30}},
    {NORTH, u"IN1=C4 OUT1=C2 IN2=A1 OUT2=C3 L=1,4,2,0"_s}, record(NORTH), 1,
    {u"COM1: holds what f.olc says"_s, u"{rfc2217 2}: differs from f.olc:"_s,
     u"  IN-1: file B/3, module C/4"_s, u"  OUT-2 loop: file DATA-A, module DATA-B"_s,
     u"COM3: the port cannot be opened: in use by another program"_s},
    {u"ports/0/identical=true"_s, u"ports/0/differences=[]"_s, u"ports/0/bytes/10=21"_s,
     u"ports/1/differences/1/kind=loop"_s, u"ports/1/differences/1/side=output"_s,
     u"ports/1/differences/1/address=22"_s, u"ports/2/outcome=port_failure"_s,
     u"ports/3/outcome=wrong_module"_s, u"ports/3/identity=30"_s, u"expected/0=12"_s,
     u"expected/20=1"_s, u"exit_code=1"_s},
    {}, false, {}, 3};
// Nothing is stored by a probe.
QTest::newRow("probe: found here, through a link and on the network; another device; silent")
    << DeviceRow{u"probe --port 1 --port {rfc2217 2} --port 3 --port 4 --port pty/e5"_s,
    {healthy, healthy, {.identity = 17}, {.silent = true}, healthy}, {}, {}, 1,
    {u"COM1 -> {1}: a data converter module (identity 31)"_s,
     u"{rfc2217 2}: a data converter module (identity 31)"_s,
     u"COM3 -> {3}: not a data converter module: identity byte 17, expected 31"_s,
     u"COM4 -> {4}: no answer from the module"_s,
     u"pty/e5 -> {here}/pty/e5 -> {5}: a data converter module (identity 31)"_s},
    {u"command=probe"_s, u"ports/0/outcome=success"_s, u"ports/0/identity=31"_s,
     u"ports/2/outcome=wrong_module"_s, u"ports/2/identity=17"_s,
     u"ports/3/outcome=no_answer"_s, u"ports/3/identity=null"_s, u"ports/4/target={5}"_s,
     u"exit_code=1"_s},
    {zeros, zeros}};
// A traffic log that stops taking lines is said once; the run goes on, and the exit code says it.
QTest::newRow("a trace that stops taking lines") << DeviceRow{
    u"probe --port 1 --trace /dev/full"_s, {healthy}, {}, {}, 2,
    {u"COM1 -> {1}: a data converter module (identity 31)"_s}, {}, {}, false,
    {u"converter-cli: the traffic log /dev/full stopped taking lines (No space left on device); "
     "what came after is not in it"_s}};
QTest::newRow("read without -o shows what it read, without progress") << DeviceRow{
    u"read --port {raw 1} --quiet"_s, {healthy}, {read}, {}, 0,
    {u"{raw 1}: read 24 bytes"_s, u"PANEL NAME: "_s,
     u"IN-1   B       3        DATA-B  DESIGNATION  OUT-1   C       2        DATA-A  "
     "DESIGNATION"_s}, {}};
QTest::newRow("read saves what the window would save") << DeviceRow{
    u"read --port 1 --name NORTH -o g.olc --force"_s, {healthy}, {read}, "an older file", 0,
    {u"COM1: read 24 bytes, saved g.olc"_s}, {}, {bytes_of(read)}};
QTest::newRow("read as JSON: an active slot without an output") << DeviceRow{
    u"read --port 1 --name N -o g.olc --json"_s, {healthy}, {u"IN1=B3"_s}, {}, 1, {},
    {u"saved=false"_s, u"ports/0/outcome=success"_s, u"problems/0/kind=incomplete_output"_s,
     u"problems/0/slot=1"_s, u"problems/0/message=DATA MUST BE ENTERED (CLICKED) FOR ALL "
     "ACTIVE OUTPUTS BEFORE WRITING DATA"_s,
     u"slots/0/input/module=B"_s, u"slots/0/output/module=null"_s, u"exit_code=1"_s},
    {}, false,
    {u"COM1: DATA MUST BE ENTERED (CLICKED) FOR ALL ACTIVE OUTPUTS BEFORE WRITING DATA: "
     "OUT-1 has no module and no channel"_s}};
    // clang-format on
}

void TestCli::modules()
{
    QFETCH(DeviceRow, r);
    Bench bench;
    for (int i = 0; i < r.modules.size(); ++i) {
        emulator::ModuleServer &module = bench.add(r.modules[i]);
        const QList<int> before =
            r.before.value(i).isEmpty() ? QList<int>(BYTES, 0) : bytes_of(r.before[i]);
        for (int a = 0; a < BYTES; ++a)
            module.core().set_byte(a, quint8(before[a]));
    }
    const QStringList arguments = bench.fill(r.arguments).split(u' ');
    if (!r.file.isNull())
        QVERIFY(put_file(arguments.first() == u"read"_s ? u"g.olc"_s : FILE_NAME, r.file));
    QSerialPort holder;
    if (r.held > 0) {
        holder.setPortName(bench.at(r.held).port_name());
        QVERIFY(holder.open(QIODevice::ReadWrite));
    }

    const bool json_only = arguments.contains(u"--json"_s);
    if (!json_only) {
        const Ran ran = run(arguments, bench.com_ports(), r.terminal);
        QCOMPARE(ran.code, r.exit_code);
        const QStringList expected = bench.fill(r.out);
        QVERIFY2(in_order(ran.out_lines(), expected), qPrintable(ran.out));
        if (arguments.contains(u"--quiet"_s))
            QCOMPARE(ran.out_lines().value(0), expected.value(0));
        for (const QString &line : std::as_const(r.err))
            QVERIFY2(ran.err.split(u'\n').contains(line), qPrintable(ran.err));
    }
    if (!r.json.isEmpty()) {
        const Ran ran = run(arguments + QStringList{u"--json"_s}, bench.com_ports());
        QCOMPARE(ran.code, r.exit_code);
        compare_json(ran.out, bench.fill(r.json));
    }
    for (int i = 0; i < r.after.size(); ++i)
        QCOMPARE(bench.memory(i + 1).mid(0, r.after[i].size()), r.after[i]);
    // One line in the log per module the write went to.
    if (arguments.contains(u"--log"_s))
        QCOMPARE(file_bytes(u"w.log"_s).count('\n'), r.modules.size());
    // After a read that succeeds, the same record the window saves after such a read, with NORTH
    // typed in; no file after one that fails.
    if (arguments.contains(u"-o"_s) && r.exit_code != 0)
        QVERIFY(!QFile::exists(u"g.olc"_s));
    else if (arguments.contains(u"-o"_s))
        QCOMPARE(file_bytes(u"g.olc"_s), record(u"IN1=B3 OUT1=C2 L=3,2,0,1"_s, u"NORTH"_s));
}

// station -----------------------------------------------------------------------------------------

// A bench of two ports: module 1 plugged in, programmed, unplugged (silent) and plugged again
// with its memory cleared, so read and programmed again; module 2, behind ser2net, keeps no
// store at address 5. Events as JSON lines, results on standard error; Ctrl-C ends it.
void TestCli::station()
{
    Bench bench;
    emulator::ModuleServer &first = bench.add();
    bench.add({.forget_addresses = {5}});
    QVERIFY(put_file(FILE_NAME, record(NORTH)));
    const QRegularExpression pass(
        bench.fill(
            u"^\\d\\d:\\d\\d:\\d\\d PASS {1}: programmed, all 24 bytes read back the same \\({1}: "
            "\\d passed, 0 failed; all ports: \\d passed, \\d failed\\)$"_s),
        QRegularExpression::MultilineOption);
    const QString fail = bench.fill(u"FAIL {rfc2217 2}: bad data at address 5: stored 160, read "
                                    "back 0; MAY BE PARTLY PROGRAMMED (5 of 24 bytes verified)"_s);
    const auto passes = [&](const Ran &ran) {
        int count = 0;
        for (auto found = pass.globalMatch(ran.err); found.hasNext(); found.next())
            ++count;
        return count;
    };

    const Ran ran = run(
        bench.fill(u"station f.olc --port {1} --port {rfc2217 2} --log s.log --json"_s).split(u' '),
        bench.com_ports(), false, STDIN_FILENO, [&](Ran &ran, CliWorker &worker) {
            QTRY_VERIFY_WITH_TIMEOUT(passes(ran) == 1 && ran.err.contains(fail), RUN_TIMEOUT_MS);
            first.core().set_faults({.silent = true});
            QTRY_VERIFY_WITH_TIMEOUT(ran.out.contains(u"\"event\":\"removed\""_s), RUN_TIMEOUT_MS);
            for (int a = 0; a < BYTES; ++a)
                first.core().set_byte(a, 0);
            first.core().set_faults({});
            QTRY_VERIFY_WITH_TIMEOUT(passes(ran) == 2, RUN_TIMEOUT_MS);
            worker.interrupt();
        });
    QCOMPARE(ran.code, 1);
    QCOMPARE(bench.memory(1), bytes_of(NORTH));
    QStringList first_port; // module 1's events, in order
    const QStringList events = ran.out_lines();
    for (const QString &line : events.mid(0, events.size() - 1)) // the summary last
        if (line.contains(bench.fill(u"\"port\":\"{1}\""_s)))
            first_port << QJsonDocument::fromJson(line.toUtf8())[u"event"_s].toString();
    QCOMPARE(first_port,
             QStringList({u"found"_s, u"programmed"_s, u"removed"_s, u"found"_s, u"programmed"_s}));
    compare_json(events.last(),
                 bench.fill({u"event=summary"_s, u"passed=2"_s, u"failed=1"_s,
                             u"ports/0/passed=2"_s, u"ports/1/failed=1"_s, u"exit_code=1"_s}));

    // Each module's line, written before its result was shown.
    const QStringList lines =
        QString::fromUtf8(file_bytes(u"s.log"_s)).split(u'\n', Qt::SkipEmptyParts);
    static const QRegularExpression time(
        u"\"time\":\"\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d\""_s);
    const QByteArray sha256 = QCryptographicHash::hash(record(NORTH), QCryptographicHash::Sha256);
    const QStringList common{u"adapter_serial=null"_s, u"file=f.olc"_s, u"identity=31"_s,
                             u"written=true"_s, u"sha256="_s + QString::fromLatin1(sha256.toHex())};
    const QStringList passed = bench.fill({u"port={1}"_s, u"device={1}"_s, u"result=pass"_s,
                                           u"outcome=success"_s, u"bytes_verified=24"_s});
    const QStringList failed = bench.fill(
        {u"port={rfc2217 2}"_s, u"device={rfc2217 2}"_s, u"result=fail"_s, u"outcome=bad_data"_s,
         u"bytes_verified=5"_s, u"detail="_s + fail.section(u": "_s, 1)});
    for (const QString &line : lines) {
        QVERIFY2(time.match(line).hasMatch(), qPrintable(line));
        compare_json(line, common + (line.contains(u"\"pass\""_s) ? passed : failed));
    }
    QCOMPARE(lines.filter(u"\"pass\""_s).size(), 2);
    QCOMPARE(lines.size(), 3);
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
    QTest::newRow("SIGINT while two modules are read")
        << SIGINT << u"verify"_s << QString() << u"t.log"_s << 130
        << u"{1}: interrupted\\n{2}: interrupted\\n$"_s << u"interrupted; ports closed\\n$"_s;
    // The terminal closed: as Ctrl-C. The trace goes into a named pipe that is being read.
    QTest::newRow("SIGHUP in the middle of a write")
        << SIGHUP << u"write"_s << QString() << u"t.fifo"_s << 130 << partly << named;
    // The station ends with its tally; the module being programmed is named and counted failed.
    QTest::newRow("SIGTERM while the station programs")
        << SIGTERM << u"station"_s << QString() << u"t.log"_s << 1
        << u"\\d\\d:\\d\\d:\\d\\d FAIL {1}: interrupted; MAY BE PARTLY PROGRAMMED \\(\\d+ of 24 "
           "bytes verified\\) \\({1}: 0 passed, 1 failed; all ports: 0 passed, 1 failed\\)\\n"
           "\\d\\d:\\d\\d:\\d\\d FAIL {2}: interrupted.*\\n{1}: 0 passed, 1 failed\\n"
           "{2}: 0 passed, 1 failed\\nall ports: 0 passed, 2 failed\\n$"_s
        << u"^$"_s;
    // The runs go on to their end; what standard output could not take goes to standard error.
    // The document that standard output could not take says the exit code the program ends with.
    QTest::newRow("standard output closed")
        << 0 << u"write --json"_s << u"closed"_s << u"t.log"_s << 2 << QString()
        << failed.mid(1).arg(u"Broken pipe"_s) +
               u"\\{\\n    \"command\": \"write\",\\n    \"exit_code\": 2,"_s;
}

// A log summed up as tables, and as one document; a line that is no record is named.
void TestCli::summary()
{
    QVERIFY(put_file(
        u"s.log"_s,
        R"({"adapter_serial":null,"bytes_verified":24,"device":"/dev/ttyS0","file":"f.olc","identity":31,"outcome":"success","port":"COM1","result":"pass","sha256":"a4d8dd4c772ebe82","time":"2026-12-07T10:54:58.623+01:00","written":true}
{"bytes_verified":5,"detail":"no answer from the module","device":"/dev/ttyS1","file":"f.olc","outcome":"no_answer","port":"COM2","result":"fail","sha256":"a4d8dd4c772ebe82","time":"2026-12-07T11:00:00.000+01:00"}
PASS COM1
)"));
    const Ran text = run({u"summary"_s, u"s.log"_s});
    QCOMPARE(text.code, 1);
    QCOMPARE(
        text.out_lines(),
        QStringList({u"in all: 1 passed, 1 failed, from 2026-12-07 10:54:58 to 2026-12-07 "
                     "11:00:00"_s,
                     u"PORT  PASSED  FAILED"_s, u"COM1  1       0"_s, u"COM2  0       1"_s,
                     u"FILE   SHA-256       PASSED  FAILED"_s, u"f.olc  a4d8dd4c772e  1       1"_s,
                     u"failures:"_s, u"2026-12-07 11:00:00  COM2  no answer from the module"_s,
                     u"not a record (1): s.log line 3"_s}));
    const Ran json =
        run({u"summary"_s, u"s.log"_s, u"--json"_s, u"--since"_s, u"2026-12-07T10:00:00Z"_s});
    compare_json(json.out, {u"passed=0"_s, u"failed=1"_s, u"first=2026-12-07T11:00:00.000+01:00"_s,
                            u"ports/0/port=COM2"_s, u"files/0/file=f.olc"_s,
                            u"failures/0/detail=no answer from the module"_s,
                            u"failures/0/line=2"_s, u"bad_lines/0/line=3"_s, u"exit_code=1"_s});
}

// A file named by bytes that are no UTF-8 text opens by those bytes.
void TestCli::native_name()
{
    const QByteArray bytes = record(NORTH);
    const int fd = ::open("caf\xe9.olc", O_WRONLY | O_CREAT | O_EXCL, 0644);
    QVERIFY(fd >= 0 && ::write(fd, bytes.constData(), bytes.size()) == bytes.size());
    ::close(fd);
    QProcess program;
    program.start(u"/bin/sh"_s, {u"-c"_s, u"exec \"$0\" check \"$(printf 'caf\\351.olc')\""_s,
                                 QStringLiteral(CLI_PROGRAM)});
    QVERIFY(program.waitForFinished());
    ::unlink("caf\xe9.olc"); // a name the folder's cleaning cannot spell
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(program.readAllStandardOutput().endsWith(": sound\n"));
}

// The real program against the modules in this process, stopped by a signal, or with its
// standard output gone.
void TestCli::program()
{
    QFETCH(int, signal_number);
    QFETCH(QString, output);
    QFETCH(QString, trace);
    QFETCH(QString, command);
    Bench bench;
    emulator::ModuleServer &first = bench.add();
    bench.add();
    QVERIFY(put_file(FILE_NAME, record(NORTH)));
    int trace_pipe = -1;
    if (trace.endsWith(u".fifo"_s)) {
        QCOMPARE(::mkfifo(qPrintable(trace), 0600), 0);
        trace_pipe = ::open(qPrintable(trace), O_RDONLY | O_NONBLOCK);
    }
    const auto close_pipe = qScopeGuard([&] { ::close(trace_pipe); });
    const QString station_log = command == u"verify"_s ? QString() : u" --log s.log"_s;
    const QStringList arguments =
        bench.fill(u"%1 f.olc --port {1} --port {2} --trace %2%3"_s.arg(command, trace, station_log)
                       .split(u' '));

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

    const auto pattern = [&](const QString &text) {
        QString escaped = text;
        for (int n : {1, 2})
            escaped.replace(u"{%1}"_s.arg(n), QRegularExpression::escape(bench.at(n).port_name()));
        return QRegularExpression(escaped);
    };
    QFETCH(QString, out);
    QFETCH(QString, err);
    const QString stdout_text = QString::fromUtf8(program.readAllStandardOutput());
    QVERIFY2(out.isEmpty() || pattern(out).match(stdout_text).hasMatch(), qPrintable(stdout_text));
    const QString stderr_text = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(pattern(err).match(stderr_text).hasMatch(), qPrintable(stderr_text));
    // Both ports were closed before the program ended, as the traffic log records it.
    QFile file(trace);
    QVERIFY(trace_pipe >= 0 ? file.open(trace_pipe, QIODevice::ReadOnly)
                            : file.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(file.readAll());
    for (const auto &module : bench.modules)
        QVERIFY2(log.contains(u" %1 closed\n"_s.arg(module->port_name())), qPrintable(log));
}

// Two real programs on one module: a write through a link, and a read through its target while
// the write runs, which is refused before it sends anything and names the holder. Then another
// tool's exclusive lock on the device (as serial terminals take it) refuses a run through the link.
void TestCli::two_programs()
{
    Bench bench;
    emulator::ModuleServer &module = bench.add();
    QVERIFY(put_file(FILE_NAME, record(NORTH)));
    QProcess first, second;
    first.start(QStringLiteral(CLI_PROGRAM), {u"write"_s, FILE_NAME, u"--port"_s, u"pty/e1"_s});
    QTRY_VERIFY_WITH_TIMEOUT(module.core().exchanges() > 0, RUN_TIMEOUT_MS);
    const qint64 holder = first.processId();
    second.start(QStringLiteral(CLI_PROGRAM), {u"read"_s, u"--port"_s, module.port_name()});
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, RUN_TIMEOUT_MS);
    QCOMPARE(second.exitCode(), 1);
    const QString in_use = u"%1: the port cannot be opened: %2\n"_s;
    QCOMPARE(QString::fromUtf8(second.readAllStandardOutput()),
             in_use.arg(module.port_name(), device::IN_USE_BY.arg(u"converter-cli"_s).arg(holder)));
    QTRY_COMPARE_WITH_TIMEOUT(first.state(), QProcess::NotRunning, RUN_TIMEOUT_MS);
    QCOMPARE(first.exitCode(), 0);
    // One handshake, the identity, and each byte stored and read back: the write alone.
    constexpr int ONE_WRITE = 2 + 2 * BYTES;
    QCOMPARE(module.core().exchanges(), ONE_WRITE);
    QCOMPARE(bench.memory(1), bytes_of(NORTH));

    const int tool = ::open(qPrintable(module.port_name()), O_RDWR | O_NOCTTY);
    const auto release = qScopeGuard([&] { ::close(tool); });
    QCOMPARE(::flock(tool, LOCK_EX | LOCK_NB), 0);
    QCOMPARE(run({u"read"_s, u"--port"_s, u"pty/e1"_s}).out,
             in_use.arg(u"pty/e1"_s, device::IN_USE));
    QCOMPARE(module.core().exchanges(), ONE_WRITE);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
