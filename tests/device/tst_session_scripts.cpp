// The module session against a scripted far end, where every judgement of a reply is made: the
// line fuzzer's corpus replayed, and runs by hand against a module with a fault; and what a
// person or a program does to a run from outside.

#include "device_constants.h"
#include "frames.h"
#include "fuzz/session_script.h"
#include "manual_timer.h"
#include "module_session.h"
#include "scripted_link.h"

#include <QDir>
#include <QTest>

using emulator::FaultOptions;
using Outcome = SessionOutcome;
using Status = ExchangeStatus;

namespace
{

// How a run must end, if it is one by hand; after the script's actions the module answers at once
// (and a wait with nothing to take ends at its tick).
struct Row {
    QByteArray script; // a read or a write and the seed, then any actions
    FaultOptions faults = {};
    std::optional<Outcome> outcome = {};
    Status status = Status::Ok;
    int address = -1; // the exchange that failed
    int done = 0;
    std::optional<qint16> identity = device::IDENTITY_CODE;
    bool late = false; // the reply taken answered the frame before
};

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray script;
    for (int value : values)
        script += static_cast<char>(value);
    return script;
}

} // namespace
Q_DECLARE_METATYPE(Row)

class TestSessionScripts : public QObject
{
    Q_OBJECT

private slots:
    // The line fuzzer's corpus, whose runs must only keep their promises (the run ends and
    // claims nothing the line did not prove), and runs by hand that must end as given.
    void scripts_data()
    {
        QTest::addColumn<Row>("r");
        const QDir corpus(QStringLiteral(SESSION_CORPUS));
        QVERIFY(!corpus.isEmpty(QDir::Files));
        for (const QString &name : corpus.entryList(QDir::Files)) {
            QFile file(corpus.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QTest::newRow(qPrintable(name)) << Row{file.readAll()};
        }
        const QByteArray read = bytes({1, 7}), write = bytes({0, 7});
        const auto row = [](const char *name, const Row &r) { QTest::newRow(name) << r; };
        const auto reply = [](int address, const char *text) {
            return FaultOptions{.raw_replies = {{address, text}}};
        };
        const auto none = std::nullopt;
        using enum Outcome;
        using enum Status;
        // clang-format off
        // The highest value of a point code and of a loop byte, and four characters, which are a
        // value though the wait for them ends at the tick; three are not. One above either
        // highest value is refused, and so is an identity one above a point code's.
        row("read", {read, {.raw_replies = {{0, "1600V"}, {20, "2550V"}, {5, "0570"}}}, Success,
                     Ok, -1, 24});
        row("three characters", {read, reply(20, "057"), BadData, Corrupted, 20, 20});
        row("point code 161", {read, reply(0, "1610V"), BadData, OutOfRange, 0, 0});
        row("loop byte 256", {read, reply(20, "2560V"), BadData, OutOfRange, 20, 20});
        row("identity 160", {read, {.identity = 160}, WrongModule, Ok, 63, 0, 160});
        row("identity 161", {read, {.identity = 161}, WrongModule, OutOfRange, 63, 0, 161});
        // An acknowledgement counts when its fifth character comes before the reply wait ends:
        // of the sixth and last "A", and of the first store.
        const FaultOptions sixth{.answer_attention_from = 6};
        const QByteArray five_ticks = QByteArray(5, Tick);
        const QByteArray stored = bytes({Honest, Tick}).repeated(2);
        row("last handshake acknowledged just in time",
            {write + five_ticks + bytes({Prefix, 3, Prefix, 0}), sixth, Success, Ok, -1, 24});
        row("last handshake acknowledged just too late",
            {write + five_ticks + bytes({Prefix, 3, Tick, Prefix, 0}), sixth, NoAnswer, Ok, -1, 0,
             none});
        row("store acknowledged just in time",
            {write + stored + bytes({Prefix, 3, Prefix, 0}), {}, Success, Ok, -1, 24});
        row("store acknowledged just too late",
            {write + stored + bytes({Prefix, 3, Tick, Prefix, 0}), {}, BadData, NotAcknowledged, 0,
             0});
        // A reply without a number is corrupted, not 0: not a late acknowledgement taken for
        // identity 0, nor a store of 0 (seed 182) verified by garbage.
        row("identity read as D000D", {read, reply(63, "D000D"), BadData, NoNumber, 63, 0, none,
                                       true});
        // Nothing at all came for the identity: no answer, not bad data.
        row("identity read answered by nothing", {read, reply(63, ""), NoAnswer, Corrupted, 63, 0,
                                                  none});
        row("store of 0 read back as XXXXV",
            {bytes({0, 182}), reply(2, "XXXXV"), BadData, NoNumber, 2, 2});
        row("negative", {read, reply(0, "-010V"), BadData, OutOfRange, 0, 0});
        row("overflow", {read, reply(3, "400000V"), BadData, Overflow, 3, 3});
        // The acknowledgement must be exact, in the handshake as after a store ("D000d" after
        // the handshake and the identity).
        row("acknowledgement in lower case",
            {write, {.lower_case_ack = true}, NoAnswer, Ok, -1, 0, none});
        row("acknowledgement and more", {write, {.extra = "X"}, NoAnswer, Ok, -1, 0, none});
        row("store acknowledged in lower case",
            {write + bytes({Honest, Tick, Honest, Tick, Damaged, 4, 0x20}), {}, BadData,
             NotAcknowledged, 0, 0});
        // The identity's "V" straggles in after the tick, during the pacing wait, and is thrown
        // away before the first store.
        row("a late character is not taken for the next reply",
            {write + bytes({Honest, Tick, Prefix, 3, Tick, Honest, Tick}), {}, Success, Ok, -1,
             24});
        // The handshake, the identity and three bytes, then the line goes.
        row("line dropped during a pacing wait",
            {read + bytes({Honest, Tick}).repeated(5) + bytes({Drop}), {}, PortFailure, Ok, 3, 3});
        row("a flood instead of the acknowledgement",
            {write + bytes({Flood, 'D', 31}), {}, NoAnswer, Ok, -1, 0, none});
        row("open refused", {bytes({0x0E, 7}), {}, PortFailure, Ok, -1, 0, none});
        // clang-format on
    }

    void scripts()
    {
        QFETCH(Row, r);
        const ScriptRun run = run_session_script(r.script, r.faults);
        QVERIFY2(run.broken.isEmpty(), qPrintable(run.broken));
        if (!r.outcome)
            return;
        QVERIFY(run.result);
        QCOMPARE(run.result->outcome, *r.outcome);
        QCOMPARE(run.result->status, r.status);
        QCOMPARE(run.result->address, r.address);
        QCOMPARE(run.result->done, r.done);
        QCOMPARE(run.result->identity, r.identity);
        QCOMPARE(run.result->late, r.late);
        const SessionStep step = r.address == device::IDENTITY_ADDRESS ? SessionStep::Identity
                                 : r.address >= 0 || r.outcome == Outcome::Success
                                     ? SessionStep::Configuration
                                 : r.outcome == Outcome::NoAnswer ? SessionStep::Handshake
                                                                  : SessionStep::Open;
        QCOMPARE(run.result->step, step);
    }

    void reply_wait_data()
    {
        using namespace std::chrono_literals;
        QTest::addColumn<std::chrono::milliseconds>("wait");
        QTest::addColumn<bool>("taken");
        QTest::newRow("shorter than a tick") << device::REPLY_WAIT_MIN - 1ms << false;
        QTest::newRow("a tick") << device::REPLY_WAIT_MIN << true;
        QTest::newRow("the longest") << device::REPLY_WAIT_MAX << true;
        QTest::newRow("longer") << device::REPLY_WAIT_MAX + 1ms << false;
    }

    // Each reply is waited for as long as set, within bounds; the pacing stays one tick.
    void reply_wait()
    {
        QFETCH(std::chrono::milliseconds, wait);
        QFETCH(bool, taken);
        ScriptedLink link;
        ManualTimer timer;
        ModuleSession session(link, timer);
        QCOMPARE(session.set_reply_wait(wait), taken);
        QVERIFY(session.read(QStringLiteral("/dev/scripted")));
        QCOMPARE(timer.interval, taken ? wait : device::REPLY_WAIT_DEFAULT);
        link.deliver("D000D");
        QCOMPARE(timer.interval, device::TICK);
    }

    void abort_from_a_progress_handler_data()
    {
        QTest::addColumn<bool>("restart"); // the listener starts the next run from finished()
        QTest::newRow("stopped") << false;
        QTest::newRow("stopped and started again") << true;
    }

    // Whoever listens may stop the run from inside a report; nothing of the stopped run is sent
    // after that, and nothing of it reaches a run started from its end.
    void abort_from_a_progress_handler()
    {
        QFETCH(bool, restart);
        ScriptedLink link;
        ManualTimer timer;
        ModuleSession session(link, timer);
        std::optional<SessionResult> result;
        connect(&session, &ModuleSession::progress, [&](const SessionProgress &event) {
            if (event.step == SessionStep::Identity && !result)
                session.abort();
        });
        connect(&session, &ModuleSession::finished, [&](const SessionResult &r) {
            if (!result && restart)
                QVERIFY(session.read(QStringLiteral("/dev/scripted")));
            result = r;
        });
        QVERIFY(session.read(QStringLiteral("/dev/scripted")));
        link.deliver("D000D");
        timer.fire();
        link.deliver("0310V");
        QVERIFY(result);
        QCOMPARE(result->outcome, SessionOutcome::Aborted);
        if (restart) {
            // The new run is on its own handshake: its acknowledgement leads to its identity read.
            QVERIFY(session.running());
            link.deliver("D000D");
            timer.fire();
            QCOMPARE(link.transcript.last().bytes, read_frame(device::IDENTITY_ADDRESS));
            return;
        }
        QVERIFY(!session.running() && !link.is_open() && !timer.armed);
        const qsizetype entries = link.transcript.size();
        timer.fire();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(link.transcript.size(), entries);
    }
};

QTEST_GUILESS_MAIN(TestSessionScripts)
#include "tst_session_scripts.moc"
