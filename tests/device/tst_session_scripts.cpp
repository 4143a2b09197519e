// The module session against scripted behaviour of the module's side: the line fuzzer's corpus
// replayed, and a few scripts written by hand for paths a real line reaches only by chance.

#include "device_constants.h"
#include "frames.h"
#include "fuzz/session_script.h"
#include "manual_timer.h"
#include "module_session.h"
#include "scripted_link.h"

#include <QDir>
#include <QTest>

namespace
{

constexpr int WRITE = 0;
constexpr int READ = 1;
constexpr int SEED = 7;

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray script;
    for (int value : values)
        script += static_cast<char>(value);
    return script;
}

// The module answers at once and each pacing wait ends: `count` exchanges, or stores with their
// read-back (which follows the acknowledgement without a pacing wait).
QByteArray honest(int count)
{
    return bytes({Honest, Tick}).repeated(count);
}
QByteArray stores(int count)
{
    return bytes({Honest, Honest, Tick}).repeated(count);
}

} // namespace

class TestSessionScripts : public QObject
{
    Q_OBJECT

private slots:
    void corpus_data()
    {
        QTest::addColumn<QString>("file");
        const QDir corpus(QStringLiteral(SESSION_CORPUS));
        const QStringList names = corpus.entryList(QDir::Files);
        QVERIFY(!names.isEmpty());
        for (const QString &name : names)
            QTest::newRow(qPrintable(name)) << corpus.filePath(name);
    }

    // Whatever each script does to the line, the run ends and claims nothing it did not prove.
    void corpus()
    {
        QFETCH(QString, file);
        QFile script(file);
        QVERIFY(script.open(QIODevice::ReadOnly));
        const ScriptRun run = run_session_script(script.readAll());
        QVERIFY2(run.broken.isEmpty(), qPrintable(run.broken));
    }

    void by_hand_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<SessionOutcome>("outcome");
        QTest::addColumn<int>("done");
        const QByteArray opening = honest(2); // the handshake and the identity
        QTest::newRow("honest write")
            << bytes({WRITE, SEED}) + opening + stores(24) << SessionOutcome::Success << 24;
        QTest::newRow("honest read")
            << bytes({READ, SEED}) + honest(2 + 24) << SessionOutcome::Success << 24;
        // "D000D" with its last letter in lower case, after the first store.
        QTest::newRow("store acknowledged in lower case")
            << bytes({WRITE, SEED}) + opening + bytes({Damaged, 4, 0x20}) << SessionOutcome::BadData
            << 0;
        // "031" then the tick: too short to be a value.
        QTest::newRow("three characters, then the tick")
            << bytes({READ, SEED}) + opening + bytes({Prefix, 2, Tick}) << SessionOutcome::BadData
            << 0;
        // The identity's "V" straggles in after the tick, during the pacing wait, and is thrown
        // away before the first store; the rest goes well.
        QTest::newRow("a late character is not taken for the next reply")
            << bytes({WRITE, SEED}) + honest(1) + bytes({Prefix, 3, Tick, Honest, Tick}) +
                   stores(24)
            << SessionOutcome::Success << 24;
        QTest::newRow("line dropped during a pacing wait")
            << bytes({READ, SEED}) + opening + honest(3) + bytes({Drop})
            << SessionOutcome::PortFailure << 3;
        QTest::newRow("a flood instead of the acknowledgement")
            << bytes({WRITE, SEED}) + bytes({Flood, 'D', 31}) << SessionOutcome::NoAnswer << 0;
        QTest::newRow("open refused") << bytes({0x0E, SEED}) << SessionOutcome::PortFailure << 0;
    }

    void by_hand()
    {
        QFETCH(QByteArray, script);
        QFETCH(SessionOutcome, outcome);
        QFETCH(int, done);
        const ScriptRun run = run_session_script(script);
        QVERIFY2(run.broken.isEmpty(), qPrintable(run.broken));
        QVERIFY(run.result);
        QCOMPARE(run.result->outcome, outcome);
        QCOMPARE(run.result->done, done);
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
        QCOMPARE(timer.interval(), taken ? wait : device::REPLY_WAIT_DEFAULT);
        link.deliver("D000D");
        QCOMPARE(timer.interval(), device::TICK);
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
        QVERIFY(!session.running() && !link.is_open() && !timer.armed());
        const qsizetype entries = link.transcript.size();
        timer.fire();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(link.transcript.size(), entries);
    }
};

QTEST_GUILESS_MAIN(TestSessionScripts)
#include "tst_session_scripts.moc"
