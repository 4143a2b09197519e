// The attention handshake and the three exchange routines against the emulated module, with
// their flags and status texts in the real window, and the COM PORT SETTINGS window.

#include "com_port_dialog.h"
#include "device_constants.h"
#include "device_error.h"
#include "module_exchanges.h"
#include "module_fixture.h"
#include "step_guard.h"
#include "ui_constants.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

using emulator::FaultOptions;
using namespace std::chrono_literals;
using namespace device;

class TestDeviceExchanges : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void handshake_data();
    void handshake();
    void handshake_on_a_port_that_is_not_open();
    void write_and_verify_data();
    void write_and_verify();
    void read_routines_data();
    void read_routines();
    void overflow_is_raised();
    void late_character_does_not_spoil_the_next_read();
    void com_window_preselects_and_takes_the_port_data();
    void com_window_preselects_and_takes_the_port();
    void com_window_text_and_entries();
    void second_com_settings_raises_the_same_window();

private:
    void open_port(const FaultOptions &faults = {});
    ModuleExchanges &exchanges() { return m_fx.commands->exchanges(); }

    ModuleFixture m_fx;
};

void TestDeviceExchanges::init()
{
    QVERIFY(m_fx.start());
}

void TestDeviceExchanges::cleanup()
{
    m_fx.stop();
}

void TestDeviceExchanges::open_port(const FaultOptions &faults)
{
    m_fx.module->core().set_faults(faults);
    ComPort &port = m_fx.commands->port();
    port.setSettings(LINE_SETTINGS);
    port.setPortOpen(true);
}

void TestDeviceExchanges::handshake_data()
{
    QTest::addColumn<FaultOptions>("faults");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<int>("sends");

    QTest::newRow("answers the first") << FaultOptions{} << true << 1;
    FaultOptions third;
    third.answer_attention_from = 3;
    QTest::newRow("answers the third") << third << true << 3;
    FaultOptions silent;
    silent.silent = true;
    QTest::newRow("never answers") << silent << false << 6;
    FaultOptions after_last_tick;
    after_last_tick.answer_attention_from = 6;
    after_last_tick.reply_delay = 150ms;
    QTest::newRow("answers after the last tick") << after_last_tick << false << 6;
    FaultOptions lower;
    lower.lower_case_ack = true;
    QTest::newRow("lower-case acknowledgement") << lower << false << 1;
    FaultOptions extra;
    extra.extra = "X";
    QTest::newRow("acknowledgement and more") << extra << false << 1;
    FaultOptions late;
    late.reply_delay = 60ms;
    QTest::newRow("answers within the wait") << late << true << 1;
}

void TestDeviceExchanges::handshake()
{
    QFETCH(FaultOptions, faults);
    QFETCH(bool, succeeds);
    QFETCH(int, sends);
    open_port(faults);
    StepGuard steps(*m_fx.form);
    QCOMPARE(exchanges().attention_handshake(steps), succeeds);
    QCOMPARE(m_fx.module->core().exchanges(), sends);
    QVERIFY(!steps.any_failed());
}

void TestDeviceExchanges::handshake_on_a_port_that_is_not_open()
{
    StepGuard steps(*m_fx.form);
    QVERIFY(!exchanges().attention_handshake(steps));
    QVERIFY(steps.any_failed());
    QCOMPARE(m_fx.form->status_text(), INCORRECT_PORT_SETTINGS);
    QCOMPARE(m_fx.form->status_background(), ui::RED);
    QCOMPARE(m_fx.module->core().exchanges(), 0);
}

void TestDeviceExchanges::write_and_verify_data()
{
    QTest::addColumn<FaultOptions>("faults");
    QTest::addColumn<int>("error_flag");
    QTest::addColumn<int>("A");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("stored");

    const QString untouched = QStringLiteral("BEFORE");
    QTest::newRow("verified") << FaultOptions{} << 0 << 31 << COMMUNICATIONS_OK << 31;
    FaultOptions lower;
    lower.lower_case_ack = true;
    QTest::newRow("lower-case acknowledgement") << lower << 1 << -7 << untouched << 31;
    FaultOptions extra;
    extra.extra = "X";
    QTest::newRow("acknowledgement and more") << extra << 1 << -7 << untouched << 31;
    FaultOptions forgotten;
    forgotten.forget_addresses = {12};
    QTest::newRow("acknowledged, not kept") << forgotten << 1 << 9 << DATA_FAILED_TO_VERIFY << 9;
    FaultOptions short_read;
    short_read.raw_replies = {{12, "031"}};
    QTest::newRow("read-back too short") << short_read << 1 << -7 << COMMUNICATIONS_CORRUPTED << 31;
    FaultOptions silent;
    silent.silent = true;
    QTest::newRow("no acknowledgement") << silent << 1 << -7 << untouched << 9;
}

void TestDeviceExchanges::write_and_verify()
{
    QFETCH(FaultOptions, faults);
    QFETCH(int, error_flag);
    QFETCH(int, A);
    QFETCH(QString, status);
    QFETCH(int, stored);
    m_fx.module->core().set_byte(12, 9);
    open_port(faults);
    m_fx.form->show_status(QStringLiteral("BEFORE"), ui::RED);
    ConverterConfig &config = m_fx.config();
    config.A = -7;
    config.error_flag = 5;
    config.address_l = 12;
    config.data_l = 31;
    exchanges().write_and_verify();
    QCOMPARE(config.error_flag, error_flag);
    QCOMPARE(config.A, A);
    QCOMPARE(m_fx.form->status_text(), status);
    QCOMPARE(m_fx.form->status_background(), error_flag == 0 ? ui::YELLOW : ui::RED);
    QCOMPARE(m_fx.module->core().byte_at(12), stored);
}

void TestDeviceExchanges::read_routines_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("loop_byte");
    QTest::addColumn<int>("error_flag");
    QTest::addColumn<int>("A");
    QTest::addColumn<QString>("status");

    QTest::newRow("1600V as a point code")
        << QByteArray("1600V") << false << 0 << 160 << COMMUNICATIONS_OK;
    QTest::newRow("1610V as a point code")
        << QByteArray("1610V") << false << 1 << 161 << DATA_OUT_OF_RANGE;
    QTest::newRow("1610V as a loop byte")
        << QByteArray("1610V") << true << 0 << 161 << COMMUNICATIONS_OK;
    QTest::newRow("2560V as a loop byte")
        << QByteArray("2560V") << true << 1 << 256 << DATA_OUT_OF_RANGE;
    QTest::newRow("negative") << QByteArray("-010V") << false << 1 << -1 << DATA_OUT_OF_RANGE;
    QTest::newRow("ABCD") << QByteArray("ABCD") << false << 0 << 0 << COMMUNICATIONS_OK;
    QTest::newRow("four characters") << QByteArray("0570") << false << 0 << 57 << COMMUNICATIONS_OK;
    QTest::newRow("three characters")
        << QByteArray("057") << false << 1 << -7 << COMMUNICATIONS_CORRUPTED;
    QTest::newRow("nothing") << QByteArray() << true << 1 << -7 << COMMUNICATIONS_CORRUPTED;
}

void TestDeviceExchanges::read_routines()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, loop_byte);
    QFETCH(int, error_flag);
    QFETCH(int, A);
    QFETCH(QString, status);
    FaultOptions faults;
    faults.raw_replies = {{5, reply}};
    open_port(faults);
    m_fx.form->hide_status();
    m_fx.form->set_status_background(ui::GREEN);
    ConverterConfig &config = m_fx.config();
    config.A = -7;
    config.address_l = 5;
    if (loop_byte)
        exchanges().read_loop_byte();
    else
        exchanges().read_point_code();
    QCOMPARE(config.error_flag, error_flag);
    QCOMPARE(config.A, A);
    QCOMPARE(config.temp1, reply.size());
    QCOMPARE(m_fx.form->status_text(), status);
    QVERIFY(m_fx.form->Text1()->isVisibleTo(m_fx.form.get()));
    QCOMPARE(m_fx.form->status_background(), ui::GREEN); // the read routines leave the colour
}

void TestDeviceExchanges::overflow_is_raised()
{
    FaultOptions faults;
    faults.raw_replies = {{5, "400000V"}};
    open_port(faults);
    ConverterConfig &config = m_fx.config();
    config.A = -7;
    config.address_l = 5;
    QVERIFY_THROWS_EXCEPTION(DeviceError, exchanges().read_point_code());
    QCOMPARE(config.A, -7);
}

void TestDeviceExchanges::late_character_does_not_spoil_the_next_read()
{
    FaultOptions faults;
    faults.pieces = {4};
    faults.piece_gap = 150ms; // the "V" comes after the tick
    m_fx.module->core().set_byte(5, 50);
    m_fx.module->core().set_byte(6, 31);
    open_port(faults);
    ConverterConfig &config = m_fx.config();
    config.address_l = 5;
    exchanges().read_point_code();
    QCOMPARE(config.A, 50);
    QCOMPARE(config.temp1, 4);
    m_fx.commands->waits().timer_wait();
    m_fx.module->core().set_faults({});
    config.address_l = 6;
    exchanges().read_point_code();
    QCOMPARE(config.error_flag, 0);
    QCOMPARE(config.A, 31); // not "V0310" read as 0
}

void TestDeviceExchanges::com_window_preselects_and_takes_the_port_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("choose_row"); // -1: leave the list alone
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("port_after");
    QTest::newRow("port 3, OK untouched") << 3 << -1 << true << 3;
    QTest::newRow("choose 5, OK") << 1 << 4 << true << 5;
    QTest::newRow("choose 2, Cancel") << 4 << 1 << false << 4;
    QTest::newRow("port 1, Cancel") << 1 << -1 << false << 1;
}

void TestDeviceExchanges::com_window_preselects_and_takes_the_port()
{
    QFETCH(int, port);
    QFETCH(int, choose_row);
    QFETCH(bool, ok);
    QFETCH(int, port_after);
    DeviceCommands &commands = *m_fx.commands;
    commands.set_port_number(static_cast<qint16>(port));
    m_fx.form->MENU1()->trigger();
    ComPortDialog *dialog = commands.dialog();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->List1()->currentRow(), port - 1);
    if (choose_row >= 0)
        dialog->List1()->setCurrentRow(choose_row);
    QTest::mouseClick(ok ? dialog->OKButton() : dialog->CancelButton(), Qt::LeftButton);
    QCOMPARE(commands.port().CommPort(), port_after);
    QTRY_VERIFY(!commands.dialog()); // discarded
}

void TestDeviceExchanges::com_window_text_and_entries()
{
    m_fx.form->MENU1()->trigger();
    ComPortDialog *dialog = m_fx.commands->dialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("COM PORT SETTINGS"));
    const QStringList lines = dialog->Label1()->text().split(u'\n');
    QCOMPARE(lines.size(), 13);
    QCOMPARE(lines.first(), QStringLiteral("MAKE SURE THAT THE HARDWARE"));
    QCOMPARE(lines[3], QStringLiteral("     BAUD RATE = 9600"));
    QVERIFY(lines[7].isEmpty());
    QVERIFY(lines[10].isEmpty());
    QCOMPARE(lines.last(), QStringLiteral("ASSIGNED COM PORT BELOW:"));
    QCOMPARE(dialog->Label2()->text(), QStringLiteral("COM PORT = "));
    QCOMPARE(dialog->List1()->count(), 5);
    for (int row = 0; row < 5; ++row) {
        QCOMPARE(dialog->List1()->item(row)->text(), QString::number(row + 1));
        QCOMPARE(dialog->List1()->item(row)->data(Qt::UserRole).toInt(), row + 1);
    }
    // The main window stays usable.
    QVERIFY(m_fx.form->READ_CONFIG()->isEnabled());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void TestDeviceExchanges::second_com_settings_raises_the_same_window()
{
    m_fx.form->MENU1()->trigger();
    ComPortDialog *first = m_fx.commands->dialog();
    first->List1()->setCurrentRow(3); // not confirmed
    m_fx.commands->set_port_number(2);
    m_fx.form->MENU1()->trigger();
    QCOMPARE(m_fx.commands->dialog(), first);
    QCOMPARE(first->List1()->currentRow(), 1); // preselected afresh
    QVERIFY(first->isVisible());
}

QTEST_MAIN(TestDeviceExchanges)
#include "tst_device_exchanges.moc"
