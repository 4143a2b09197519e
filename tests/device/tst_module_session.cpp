// The module session against the emulated module: what each run returns, what it reports on the
// way and what the module holds afterwards, through the faults that reach the session's own
// judgement (the window's and the command line's tables run the others through the session too).

#include "session_fixture.h"

namespace
{

// What the module holds before each run, and what a write stores: a different value at every
// address, the loop bytes included.
const QList<int> OTHER_BYTES{10, 11, 12, 13, 14, 15, 16, 17, 18,  19, 80,  81,
                             82, 83, 84, 85, 86, 87, 88, 89, 255, 3,  170, 2};
const QList<int> FULL_BYTES{23,  160, 0,  49,  15,  160, 31,  8,   20, 45, 50,  160,
                            159, 64,  92, 160, 127, 77,  103, 141, 76, 1,  137, 3};

ModuleImage full_image()
{
    ModuleImage image;
    std::copy(FULL_BYTES.begin(), FULL_BYTES.end(), image.bytes.begin());
    return image;
}

QList<int> bytes_of(const ModuleImage &image, int count)
{
    return {image.bytes.begin(), image.bytes.begin() + count};
}

using Outcome = SessionOutcome;
using Step = SessionStep;
using Status = ExchangeStatus;

// One run and how it must end. `stored`: a write leaves the new values at addresses below it
// (-1: those it verified).
struct Run {
    bool read;
    FaultOptions faults;
    Outcome outcome;
    Step step;
    int address;
    Status status;
    int done;
    int exchanges;
    int stored = -1;
    std::optional<qint16> identity = device::IDENTITY_CODE;
    QString device;
    // A value the module answers in place of what it holds: {address, value}.
    std::pair<int, int> answered = {-1, 0};
    std::chrono::milliseconds reply_wait = device::REPLY_WAIT_DEFAULT;
};

} // namespace
Q_DECLARE_METATYPE(Run)

class TestModuleSession : public QObject
{
    Q_OBJECT

    std::optional<SessionFixture> m_fx;

private slots:
    void init()
    {
        QVERIFY(m_fx.emplace().start());
        for (int address = 0; address < CONFIGURATION_BYTES; ++address)
            m_fx->core().set_byte(address, quint8(OTHER_BYTES[address]));
    }
    void cleanup() { m_fx.reset(); }

    void runs_data()
    {
        QTest::addColumn<Run>("r");
        constexpr bool READ = true, WRITE = false;
        const auto row = [](const char *name, const Run &r) { QTest::newRow(name) << r; };
        const auto reply = [](int address, const char *text) {
            return FaultOptions{.raw_replies = {{address, text}}};
        };
        const Step config = Step::Configuration, identity = Step::Identity;
        const Step handshake = Step::Handshake;
        const auto none = std::nullopt;
        const auto waiting = [](std::chrono::milliseconds wait, Run r) {
            r.reply_wait = wait;
            return r;
        };
        // It wakes at the sixth "A" and answers everything 150 ms late.
        const FaultOptions late{.answer_attention_from = 6, .reply_delay = 150ms};
        // clang-format off
        //   kind   faults                  outcome               step       address status    done exchanges stored identity
        row("read",  {READ,  {},            Outcome::Success,     config,    -1, Status::Ok,          24, 26});
        row("write", {WRITE, {},            Outcome::Success,     config,    -1, Status::Ok,          24, 50});
        // Replies that come in pieces still end each wait at the fifth character.
        row("replies in pieces 1 + 4",
                     {WRITE, {.pieces = {1}, .piece_gap = 30ms},
                                            Outcome::Success,     config,    -1, Status::Ok,          24, 50});
        row("identity 300",
                     {READ,  {.read_values = {{63, 300}}},
                                            Outcome::WrongModule, identity,  63, Status::OutOfRange,  0,  2, -1, 300});
        row("identity too short",
                     {READ,  reply(63, "031"), Outcome::BadData,  identity,  63, Status::Corrupted,   0,  2, -1, none});
        row("1600V at an input",
                     {READ,  reply(0, "1600V"), Outcome::Success, config,    -1, Status::Ok,          24, 26, -1, 31, {}, {0, 160}});
        row("1610V in a loop byte",
                     {READ,  reply(20, "1610V"), Outcome::Success, config,   -1, Status::Ok,          24, 26, -1, 31, {}, {20, 161}});
        row("negative",
                     {READ,  reply(0, "-010V"), Outcome::BadData, config,     0, Status::OutOfRange,  0,  3});
        // Four characters are a value, though the wait for them ends at the tick; three are not.
        row("four characters",
                     {READ,  reply(5, "0570"), Outcome::Success,  config,    -1, Status::Ok,          24, 26, -1, 31, {}, {5, 57}});
        row("three characters",
                     {READ,  reply(20, "057"), Outcome::BadData,  config,    20, Status::Corrupted,   20, 23});
        // A reply without a number is corrupted, not 0: not a store of 0 verified by garbage,
        // nor a late acknowledgement taken for identity 0.
        row("store of 0 read back as XXXXV",
                     {WRITE, reply(2, "XXXXV"), Outcome::BadData,  config,     2, Status::NoNumber,   2,  8,  3});
        row("identity read as D000D",
                     {READ,  reply(63, "D000D"), Outcome::BadData, identity,  63, Status::NoNumber,   0,  2, -1, none});
        row("overflow",
                     {READ,  reply(3, "400000V"), Outcome::BadData, config,   3, Status::Overflow,    3,  6});
        // The acknowledgement must be exact, in the handshake as after a store.
        row("acknowledgement in lower case",
                     {WRITE, {.lower_case_ack = true},
                                            Outcome::NoAnswer,    handshake, -1, Status::Ok,          0,  1, -1, none});
        row("acknowledgement and more",
                     {WRITE, {.extra = "X"}, Outcome::NoAnswer,   handshake, -1, Status::Ok,          0,  1, -1, none});
        row("read-back too short",
                     {WRITE, reply(12, "031"), Outcome::BadData,  config,    12, Status::Corrupted,   12, 28, 13});
        // The byte being stored when the line went is in the module, but not verified.
        row("line drops in the fourth store",
                     {WRITE, {.drop_after = 9}, Outcome::PortFailure, config, 3, Status::Ok,          3,  9,  4});
        // The answer to the last "A" comes after the last wait; with longer waits, all in time.
        row("late module",   {READ,  late,          Outcome::NoAnswer,    handshake, -1, Status::Ok,          0,  6, -1, none});
        row("late module, waits of 250 ms",
                     waiting(250ms, {READ, late,    Outcome::Success,     config,    -1, Status::Ok,          24, 31}));
        // clang-format on
    }

    void runs()
    {
        QFETCH(Run, r);
        SessionFixture &fx = *m_fx;
        fx.core().set_faults(r.faults);
        QVERIFY(fx.session.set_reply_wait(r.reply_wait));
        QVERIFY(fx.run(r.read, full_image(), r.device));
        const SessionResult &result = *fx.result;
        QCOMPARE(result.kind, r.read ? SessionKind::Read : SessionKind::Write);
        QCOMPARE(result.outcome, r.outcome);
        QCOMPARE(result.step, r.step);
        QCOMPARE(result.address, qint16(r.address));
        QCOMPARE(result.status, r.status);
        QCOMPARE(result.done, r.done);
        QCOMPARE(result.identity, r.identity);
        QCOMPARE(result.reason.isEmpty(), r.outcome != Outcome::PortFailure);
        QCOMPARE(fx.core().exchanges(), r.exchanges);
        // What the run returns and what the module holds.
        QList<int> expected = r.read ? OTHER_BYTES : FULL_BYTES;
        if (r.answered.first >= 0)
            expected[r.answered.first] = r.answered.second;
        QCOMPARE(bytes_of(result.image, r.done), expected.mid(0, r.done));
        const int stored = r.read ? 0 : r.stored < 0 ? r.done : r.stored;
        QCOMPARE(fx.module_bytes(), FULL_BYTES.mid(0, stored) + OTHER_BYTES.mid(stored));
        // One event per configuration byte that went through, and one for the exchange that
        // failed with a reply to judge.
        const bool judged = r.outcome == Outcome::BadData || r.outcome == Outcome::WrongModule;
        if (judged)
            QCOMPARE(fx.events.last().status, r.status);
        int configuration_events = 0;
        for (const SessionProgress &event : fx.events)
            configuration_events += event.step == Step::Configuration;
        QCOMPARE(configuration_events, r.done + (judged && r.step == Step::Configuration ? 1 : 0));
    }
};

QTEST_GUILESS_MAIN(TestModuleSession)
#include "tst_module_session.moc"
