// The bench station on scripted lines whose far ends are emulated modules, on a virtual clock:
// modules plugged, pulled, silent for a while, swapped; ports missing or held by another
// program; a log that stops taking lines. Each row is a timeline and the events it must give.

#include "log_summary.h"
#include "module_core.h"
#include "panel_check.h"
#include "panel_notation.h"
#include "scripted_link.h"
#include "station.h"
#include "virtual_clock.h"

#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace
{

const QString NORTH = u"IN1=B3 OUT1=C2 IN2=A1 OUT2=C3 L=1,0,0,0"_s;

// One port's far end: a module, when one is plugged in and answers.
struct FarEnd {
    ScriptedLink *link = nullptr;
    emulator::ModuleCore module;
    bool answers = false;
    int stores = 0;
    QString refuse; // the port cannot be opened, for this reason
    PortFault fault = PortFault::None;
};

emulator::ModuleCore::Memory memory_of(const QString &notation)
{
    emulator::ModuleCore::Memory memory{};
    const QList<int> bytes = bytes_of(notation);
    std::copy(bytes.begin(), bytes.end(), memory.begin());
    memory[emulator::IDENTITY_ADDRESS] = emulator::IDENTITY_CODE;
    return memory;
}

QString event_text(const Station &station, const StationEvent &event)
{
    const QString port = QString::number(event.port + 1) + u' ';
    switch (event.kind) {
    case StationEvent::Kind::Found:
        return port + (event.comparing ? u"found, comparing"_s : u"found"_s);
    case StationEvent::Kind::Programmed:
        return port + (event.record->passed ? u"pass"_s : u"fail"_s) +
               (event.record->written ? u""_s : u" unwritten"_s) +
               (event.log.ok() ? u""_s : u" not logged"_s);
    case StationEvent::Kind::Back:
        return port + u"back"_s;
    case StationEvent::Kind::Removed:
        return port + u"removed"_s;
    case StationEvent::Kind::Port:
        return port + u"port "_s +
               (event.fault == PortFault::None ? u"clear"_s : fault_key(event.fault));
    case StationEvent::Kind::Progress:
    case StationEvent::Kind::Log:
        break;
    }
    Q_UNUSED(station)
    return {};
}

} // namespace

class TestStation : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        // A log pipe whose reader has gone fails its write instead of ending the test.
        std::signal(SIGPIPE, SIG_IGN);
    }

    void presence_data()
    {
        QTest::addColumn<QStringList>("timeline"); // "ms [port:]what", in order
        QTest::addColumn<bool>("verify_first");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QList<int>>("stores"); // per port, what the modules there received

        const auto row = [](const char *name, const QStringList &timeline,
                            const QStringList &events, const QList<int> &stores,
                            bool verify_first = false) {
            QTest::newRow(name) << timeline << verify_first << events << stores;
        };
        row("plugged in, programmed once, left in", {u"1000 plug"_s}, {u"1 found"_s, u"1 pass"_s},
            {24});
        // A module that stays but misses a question is read, not written and not counted.
        row("silent for 1.3 s, then back", {u"1000 plug"_s, u"10000 silent"_s, u"11300 answer"_s},
            {u"1 found"_s, u"1 pass"_s, u"1 removed"_s, u"1 found, comparing"_s, u"1 back"_s},
            {24});
        row("swapped in 0.4 s: read, then programmed",
            {u"1000 plug"_s, u"10000 silent"_s, u"10400 plug"_s},
            {u"1 found"_s, u"1 pass"_s, u"1 removed"_s, u"1 found, comparing"_s, u"1 pass"_s},
            {48});
        // Just inside the return window the module is read first; just after, it is not.
        row("back after 4.5 s", {u"1000 plug"_s, u"10000 silent"_s, u"14500 answer"_s},
            {u"1 found"_s, u"1 pass"_s, u"1 removed"_s, u"1 found, comparing"_s, u"1 back"_s},
            {24});
        row("the next module after 6 s", {u"1000 plug"_s, u"10000 silent"_s, u"16000 plug"_s},
            {u"1 found"_s, u"1 pass"_s, u"1 removed"_s, u"1 found"_s, u"1 pass"_s}, {48});
        row("pulled half way", {u"1000 plug"_s, u"2500 silent"_s},
            {u"1 found"_s, u"1 fail"_s, u"1 removed"_s}, {11});
        row("no device yet, then one with a module",
            {u"0 gone"_s, u"3000 return"_s, u"3000 plug"_s},
            {u"1 port missing"_s, u"1 port clear"_s, u"1 found"_s, u"1 pass"_s}, {24});
        // Another program holding the port is trouble, never an unplugged module.
        row("held by another program", {u"0 busy"_s, u"4000 free"_s, u"5000 plug"_s},
            {u"1 port in_use"_s, u"1 port clear"_s, u"1 found"_s, u"1 pass"_s}, {24});
        row("the device goes while its module is in", {u"1000 plug"_s, u"10000 gone"_s},
            {u"1 found"_s, u"1 pass"_s, u"1 removed"_s, u"1 port missing"_s}, {24});
        row("verify first: a module that holds the file is not written",
            {u"1000 plug north"_s, u"10000 silent"_s, u"16000 plug"_s},
            {u"1 found, comparing"_s, u"1 pass unwritten"_s, u"1 removed"_s,
             u"1 found, comparing"_s, u"1 pass"_s},
            {24}, true);
        // The log fails while port 1 programs: it says so, port 2 goes on to its end, and no
        // module is taken afterwards.
        row("the log fails",
            {u"1000 1:plug"_s, u"2000 2:plug"_s, u"3000 nolog"_s, u"9000 1:silent"_s,
             u"11000 1:plug"_s},
            {u"1 found"_s, u"2 found"_s, u"1 pass not logged"_s, u"2 pass not logged"_s,
             u"finished"_s},
            {24, 24});
    }

    void presence()
    {
        QFETCH(QStringList, timeline);
        QFETCH(bool, verify_first);
        const bool two = timeline.join(u' ').contains(u"2:"_s);
        VirtualClock clock;
        std::vector<std::unique_ptr<FarEnd>> ends;
        for (int n = 0; n < (two ? 2 : 1); ++n)
            ends.push_back(std::make_unique<FarEnd>());
        std::size_t made = 0;
        const auto links = [&] {
            auto link = std::make_unique<ScriptedLink>();
            FarEnd &end = *ends.at(made++);
            end.link = link.get();
            link->refuse_open = end.refuse;
            link->refuse_fault = end.fault;
            link->on_send = [&end](const QByteArray &frame) {
                if (!end.answers)
                    return;
                end.stores += frame.startsWith('S');
                for (const auto &piece : end.module.feed(frame))
                    end.link->deliver(piece.bytes);
            };
            return link;
        };

        // The log: a named pipe this test reads, so that it can stop reading.
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QCOMPARE(::mkfifo(qPrintable(path), 0600), 0);
        int reader = ::open(qPrintable(path), O_RDONLY | O_NONBLOCK);
        AuditLog log;
        QVERIFY(log.open(path).ok());

        Station station(log, links, [&] { return clock.timer(); });
        QStringList events;
        connect(&station, &Station::event, this, [&](const StationEvent &event) {
            if (const QString text = event_text(station, event); !text.isEmpty())
                events << text;
        });
        connect(&station, &Station::finished, this, [&] { events << u"finished"_s; });
        StationSetup setup;
        for (int n = 1; n <= int(ends.size()); ++n)
            setup.ports.append({u"P%1"_s.arg(n), u"/dev/p%1"_s.arg(n), {}});
        setup.expected = open_record(record_of(NORTH)).checked.panel;
        setup.image = image_of(NORTH);
        setup.verify_first = verify_first;

        // Each step as it happens; those at 0 before the station starts.
        const auto apply = [&](const QString &step) {
            const QStringList parts = step.split(u' ');
            QString what = parts[1];
            FarEnd &end = *ends.at(what.startsWith(u"2:"_s) ? 1 : 0);
            what.remove(QRegularExpression(u"^\\d:"_s));
            if (what == u"plug"_s) {
                end.module.set_memory(memory_of(parts.value(2) == u"north"_s ? NORTH : u""_s));
                end.answers = true;
            } else if (what == u"silent"_s || what == u"answer"_s) {
                end.answers = what == u"answer"_s;
            } else if (what == u"gone"_s || what == u"busy"_s) {
                end.refuse = what == u"gone"_s ? u"No such file or directory"_s : u"in use"_s;
                end.fault = what == u"gone"_s ? PortFault::Missing : PortFault::InUse;
            } else if (what == u"return"_s || what == u"free"_s) {
                end.refuse.clear();
            } else if (what == u"nolog"_s) {
                ::close(std::exchange(reader, -1));
            }
            if (end.link) {
                end.link->refuse_open = end.refuse;
                end.link->refuse_fault = end.fault;
                if (what == u"gone"_s)
                    end.link->drop();
            }
        };
        for (const QString &step : std::as_const(timeline))
            if (step.startsWith(u"0 "_s))
                apply(step);
        station.start(setup);
        for (const QString &step : std::as_const(timeline)) {
            clock.run_until(std::chrono::milliseconds(step.section(u' ', 0, 0).toInt()));
            if (!step.startsWith(u"0 "_s))
                apply(step);
        }
        clock.run_until(clock.now() + 20s);
        const QStringList seen = events;
        station.stop();
        ::close(reader);

        QTEST(seen, "events");
        QList<int> stores;
        for (const auto &end : ends)
            stores << end->stores;
        QTEST(stores, "stores");
    }

    // What logs add up to: records counted, a port's trouble passed over, anything else a bad
    // line by its number; only records from a time on, and only the last failures, when asked.
    void summary_data()
    {
        QTest::addColumn<QString>("since");
        QTest::addColumn<int>("keep"); // the last failures kept; 0: all
        QTest::addColumn<QString>("expected");
        const QString all =
            u"4 passed 2 failed, 10:00:00 to 10:04:00; ports P1 2/1 P2 2/1; files "
            "new.olc aa 3/2 b.olc bb 1/0; failures P1:2 P2:5; bad a.log:3 b.log:2"_s;
        QTest::newRow("two logs") << QString() << 0 << all;
        QTest::newRow("since 10:02")
            << u"2026-12-07T10:02:00+00:00"_s << 0
            << u"2 passed 2 failed, 10:02:00 to 10:04:00; ports P1 1/1 P2 1/1; files new.olc aa "
               "2/2; failures P1:2 P2:5; bad a.log:3 b.log:2"_s;
        QTest::newRow("the last failure")
            << QString() << 1 << QString(all).replace(u"P1:2 "_s, u""_s);
    }
    void summary()
    {
        QFETCH(QString, since);
        QFETCH(int, keep);
        QFETCH(QString, expected);
        const auto record = [](int minute, const char *port, const char *file, const char *sha,
                               bool passed) {
            ModuleRecord r;
            r.time = QDateTime::fromString(u"2026-12-07T10:0%1:00Z"_s.arg(minute), Qt::ISODate);
            r.port = QString::fromLatin1(port);
            r.file = QString::fromLatin1(file);
            r.sha256 = QByteArray::fromHex(sha);
            r.passed = passed;
            r.outcome = passed ? SessionOutcome::Success : SessionOutcome::NoAnswer;
            return log_line(record_json(r)).trimmed();
        };
        LogSummarizer summarizer(since.isEmpty()
                                     ? std::nullopt
                                     : std::optional(QDateTime::fromString(since, Qt::ISODate)),
                                 keep ? std::optional(keep) : std::nullopt);
        const QList<std::pair<QString, QByteArray>> lines{
            {u"a.log"_s, record(0, "P1", "a.olc", "aa", true)},
            {u"a.log"_s, record(2, "P1", "a.olc", "aa", false)},
            {u"a.log"_s, R"({"time":"2026-12-07T10:03:00Z","result":"pass"})"},
            {u"a.log"_s, log_line(port_event_json(QDateTime(), {}, PortFault::InUse, {}))},
            {u"b.log"_s, record(1, "P2", "b.olc", "bb", true)},
            {u"b.log"_s, R"({"cut":)"},
            {u"b.log"_s, record(3, "P1", "new.olc", "aa", true)},
            {u"b.log"_s, record(2, "P2", "new.olc", "aa", true)},
            {u"b.log"_s, record(4, "P2", "new.olc", "aa", false)}};
        QHash<QString, int> numbers;
        for (const auto &[log, line] : lines)
            summarizer.add_line(log, ++numbers[log], line);

        const LogSummary &s = summarizer.summary();
        const auto count = [](const LogSummary::Count &c) {
            return u"%1/%2"_s.arg(c.passed).arg(c.failed);
        };
        QStringList ports, files, failures, bad;
        for (const auto &port : s.ports)
            ports << port.port + u' ' + count(port.count);
        for (const auto &file : s.files)
            files << file.file + u' ' + QString::fromLatin1(file.sha256.toHex()) + u' ' +
                         count(file.count);
        for (const auto &failure : s.failures)
            failures << failure.record.port + u':' + QString::number(failure.line);
        for (const auto &line : s.bad_lines)
            bad << line.log + u':' + QString::number(line.line);
        QCOMPARE(u"%1 passed %2 failed, %3 to %4; ports %5; files %6; failures %7; bad %8"_s
                     .arg(s.count.passed)
                     .arg(s.count.failed)
                     .arg(s.first->toString(u"HH:mm:ss"_s), s.last->toString(u"HH:mm:ss"_s),
                          ports.join(u' '), files.join(u' '), failures.join(u' '), bad.join(u' ')),
                 expected);
    }

    // A last line without its end gets one before the next record; a log removed or replaced
    // meanwhile is followed to its path; each is said once.
    void log_keeps_its_lines()
    {
        const QString path = m_dir.filePath(u"bench.log"_s);
        const auto put = [](const QString &name, const QByteArray &bytes) {
            QFile file(name);
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        };
        const auto content = [&] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QVERIFY(put(path, "{\"cut\":"));
        AuditLog log;
        QVERIFY(log.open(path).ok());
        QVERIFY(log.append("{\"a\":1}\n").ok());
        QCOMPARE(content(), "{\"cut\":\n{\"a\":1}\n");
        QCOMPARE(log.take_notices(), QList<LogNotice>{LogNotice::NoFinalLineEnd});

        QVERIFY(put(path + u".new"_s, "{\"old\":0}\n"));
        QVERIFY(QFile::remove(path) && QFile::rename(path + u".new"_s, path));
        QVERIFY(log.append("{\"b\":2}\n").ok());
        QCOMPARE(content(), "{\"old\":0}\n{\"b\":2}\n");
        QVERIFY(QFile::remove(path));
        QVERIFY(log.append("{\"c\":3}\n").ok());
        QCOMPARE(content(), "{\"c\":3}\n");
        QCOMPARE(log.take_notices(), (QList<LogNotice>{LogNotice::Replaced, LogNotice::Removed}));
    }
};

QTEST_GUILESS_MAIN(TestStation)
#include "tst_station.moc"
