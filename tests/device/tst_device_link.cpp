// The port and the two waits over a pseudo-terminal, with the emulated module on its master side.

#include "com_port.h"
#include "converter_config.h"
#include "device_error.h"
#include "frames.h"
#include "link_waits.h"
#include "module_server.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using emulator::FaultOptions;
using emulator::ModuleServer;
using namespace std::chrono_literals;

class TestDeviceLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void port_that_cannot_be_opened();
    void port_open_twice_and_closed_twice();
    void reply_wait_end_data();
    void reply_wait_end();
    void seven_characters_leave_a_remainder();
    void timer_wait_needs_a_fresh_tick();
    void line_vanishes_mid_exchange();
    void port_change_is_held_while_open();
    void abort_ends_a_wait();

private:
    void open_on_module(const FaultOptions &faults = {});

    std::unique_ptr<ModuleServer> m_module;
    std::unique_ptr<ComPort> m_port;
    std::unique_ptr<LinkWaits> m_waits;
    ConverterConfig m_config;
};

void TestDeviceLink::init()
{
    m_module = std::make_unique<ModuleServer>();
    QVERIFY2(m_module->open_pty(), qPrintable(m_module->error_string()));
    m_module->core().set_byte(7, 31);
    m_port = std::make_unique<ComPort>();
    const QString slave = m_module->port_name();
    m_port->set_port_name_map([slave](qint16 n) {
        return n == 1 ? slave : QStringLiteral("/dev/no-such-port-%1").arg(n);
    });
    m_config = {};
    m_waits = std::make_unique<LinkWaits>(m_config, *m_port);
}

void TestDeviceLink::cleanup()
{
    m_waits.reset();
    m_port.reset();
    m_module.reset();
}

void TestDeviceLink::open_on_module(const FaultOptions &faults)
{
    m_module->core().set_faults(faults);
    m_port->setSettings(QStringLiteral("9600,N,8,1"));
    m_port->setPortOpen(true);
    QVERIFY(m_port->PortOpen());
}

void TestDeviceLink::port_that_cannot_be_opened()
{
    m_port->setCommPort(3);
    QVERIFY_THROWS_EXCEPTION(DeviceError, m_port->setPortOpen(true));
    QVERIFY(!m_port->PortOpen());
    // Sends and polls on a port that is not open are errors, as is the reply wait's poll.
    QVERIFY_THROWS_EXCEPTION(DeviceError, m_port->Output(attention_frame()));
    QVERIFY_THROWS_EXCEPTION(DeviceError, m_port->InBufferCount());
    QVERIFY_THROWS_EXCEPTION(DeviceError, m_port->Input());
    QVERIFY_THROWS_EXCEPTION(DeviceError, m_waits->reply_wait());
    m_port->setPortOpen(false); // closing a closed port is no error
}

void TestDeviceLink::port_open_twice_and_closed_twice()
{
    open_on_module();
    QVERIFY_THROWS_EXCEPTION(DeviceError, m_port->setPortOpen(true));
    m_port->setPortOpen(false);
    m_port->setPortOpen(false);
    QVERIFY(!m_port->PortOpen());
    // And the same device opens again afterwards.
    open_on_module();
}

void TestDeviceLink::reply_wait_end_data()
{
    QTest::addColumn<FaultOptions>("faults");
    QTest::addColumn<bool>("ended_by_tick");
    QTest::addColumn<QByteArray>("taken");

    QTest::newRow("5 characters at once") << FaultOptions{} << false << QByteArray("0310V");
    FaultOptions late;
    late.reply_delay = 20ms;
    QTest::newRow("5 characters 20 ms late") << late << false << QByteArray("0310V");
    FaultOptions three;
    three.reply_length = 3;
    QTest::newRow("3 characters") << three << true << QByteArray("031");
    FaultOptions silent;
    silent.silent = true;
    QTest::newRow("no reply") << silent << true << QByteArray();
    FaultOptions one_four;
    one_four.pieces = {1};
    one_four.piece_gap = 30ms;
    QTest::newRow("pieces 1 + 4") << one_four << false << QByteArray("0310V");
    FaultOptions four_one;
    four_one.pieces = {4};
    four_one.piece_gap = 30ms;
    QTest::newRow("pieces 4 + 1") << four_one << false << QByteArray("0310V");
    FaultOptions bytewise;
    bytewise.pieces = {1, 1, 1, 1};
    bytewise.piece_gap = 10ms;
    QTest::newRow("byte by byte") << bytewise << false << QByteArray("0310V");
    FaultOptions after_tick;
    after_tick.pieces = {4};
    after_tick.piece_gap = 150ms;
    QTest::newRow("last character after the tick") << after_tick << true << QByteArray("0310");
}

void TestDeviceLink::reply_wait_end()
{
    QFETCH(FaultOptions, faults);
    QFETCH(bool, ended_by_tick);
    QFETCH(QByteArray, taken);
    open_on_module(faults);
    m_port->Output(read_frame(7));
    m_waits->reply_wait();
    QCOMPARE(m_config.timer_flag == 1, ended_by_tick);
    QCOMPARE(m_port->Input(), taken);
}

void TestDeviceLink::seven_characters_leave_a_remainder()
{
    FaultOptions faults;
    faults.extra = "XY";
    open_on_module(faults);
    m_port->Output(read_frame(7));
    m_waits->reply_wait();
    QCOMPARE(m_config.timer_flag, 0);
    QByteArray taken = m_port->Input();
    QVERIFY2(taken.size() >= 5 && taken.size() <= 7, taken.constData());
    // Nothing empties the buffer between two takes: the rest is there for the next Input.
    m_waits->timer_wait();
    taken += m_port->Input();
    QCOMPARE(taken, QByteArray("0310VXY"));
}

void TestDeviceLink::timer_wait_needs_a_fresh_tick()
{
    m_waits->timer_wait();
    QCOMPARE(m_config.timer_flag, 1);
    QVERIFY(m_waits->Timer1().isActive()); // never stopped
    QCOMPARE(m_waits->Timer1().timerType(), Qt::PreciseTimer);
    // A tick from before the wait does not count: the wait restarts the period.
    QElapsedTimer clock;
    clock.start();
    m_waits->timer_wait();
    QVERIFY2(clock.elapsed() >= 95, qPrintable(QString::number(clock.elapsed())));
}

void TestDeviceLink::line_vanishes_mid_exchange()
{
    FaultOptions faults;
    faults.reply_delay = 30ms;
    open_on_module(faults);
    QSignalSpy dropped(m_port.get(), &ComPort::line_dropped);
    m_port->Output(read_frame(7));
    QTimer::singleShot(10ms, m_module.get(), &ModuleServer::drop_line);
    QVERIFY_THROWS_EXCEPTION(DeviceError, m_waits->reply_wait());
    QCOMPARE(dropped.count(), 1);
    QVERIFY(m_port->line_lost());
    QVERIFY_THROWS_EXCEPTION(DeviceError, m_port->Output(read_frame(7)));
    QVERIFY(m_port->PortOpen()); // until the sequence closes it
    m_port->setPortOpen(false);
    QVERIFY(!m_port->line_lost());
}

void TestDeviceLink::port_change_is_held_while_open()
{
    QSignalSpy changed(m_port.get(), &ComPort::port_changed);
    open_on_module();
    m_port->setCommPort(4);
    QCOMPARE(m_port->CommPort(), 1);
    QCOMPARE(m_port->chosen_port(), 4);
    QCOMPARE(changed.count(), 0);
    m_port->Output(read_frame(7)); // the open port still talks to the same line
    m_waits->reply_wait();
    QCOMPARE(m_port->Input(), QByteArray("0310V"));
    m_port->setPortOpen(false);
    QCOMPARE(m_port->CommPort(), 4);
    QCOMPARE(changed.count(), 1);
    QVERIFY(!m_port->change_pending());
    m_port->setCommPort(2); // closed: at once
    QCOMPARE(m_port->CommPort(), 2);
}

void TestDeviceLink::abort_ends_a_wait()
{
    QTimer::singleShot(20ms, m_waits.get(), [this] { m_waits->abort(); });
    QVERIFY_THROWS_EXCEPTION(SequenceAborted, m_waits->timer_wait());
    QVERIFY_THROWS_EXCEPTION(SequenceAborted, m_waits->timer_wait()); // and every later one
    m_waits->clear_abort();
    m_waits->timer_wait();
}

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_device_link.moc"
