// The port and the reply wait over a pseudo-terminal, with the emulated module on its master side.

#include "frames.h"
#include "link_waits.h"
#include "module_fixture.h"

class TestDeviceLink : public QObject
{
    Q_OBJECT

    std::optional<ModuleFixture> m_fx;
    ComPort &port() { return m_fx->commands->port(); }
    LinkWaits &waits() { return m_fx->commands->waits(); }

private slots:
    void init()
    {
        QVERIFY(m_fx.emplace().start());
        m_fx->core().set_byte(7, 31);
    }
    void cleanup() { m_fx.reset(); }

    void reply_wait_end_data()
    {
        QTest::addColumn<FaultOptions>("faults");
        QTest::addColumn<bool>("ended_by_tick");
        QTest::addColumn<QByteArray>("taken");
        const auto row = [](const char *name, const FaultOptions &faults, bool tick,
                            const QByteArray &taken) {
            QTest::newRow(name) << faults << tick << taken;
        };
        row("5 characters at once", {}, false, "0310V");
        row("3 characters", {.reply_length = 3}, true, "031");
        // Whatever the first Input leaves of a 7-character reply is there for the next one.
        row("7 characters", {.extra = "XY"}, false, "0310VXY");
        row("pieces 1 + 4", {.pieces = {1}, .piece_gap = 30ms}, false, "0310V");
        row("pieces 4 + 1", {.pieces = {4}, .piece_gap = 30ms}, false, "0310V");
        row("byte by byte", {.pieces = {1, 1, 1, 1}, .piece_gap = 10ms}, false, "0310V");
        row("last character after the tick", {.pieces = {4}, .piece_gap = 150ms}, true, "0310");
    }

    void reply_wait_end()
    {
        QFETCH(FaultOptions, faults);
        QFETCH(bool, ended_by_tick);
        QFETCH(QByteArray, taken);
        m_fx->open_port(faults);
        port().Output(read_frame(7));
        waits().reply_wait();
        QCOMPARE(m_fx->config().timer_flag == 1, ended_by_tick);
        QByteArray got = port().Input();
        if (taken.size() > 5) {
            QVERIFY2(got.size() >= 5, got.constData());
            waits().timer_wait();
            got += port().Input();
        }
        QCOMPARE(got, taken);
    }
};

QTEST_MAIN(TestDeviceLink)
#include "tst_device_link.moc"
