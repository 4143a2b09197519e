// The store and the two read exchanges against the emulated module, with their flags and status
// texts in the real window, and the COM PORT SETTINGS window.

#include "com_port_dialog.h"
#include "device_error.h"
#include "module_exchanges.h"
#include "module_fixture.h"

#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>

using namespace device;

namespace
{
using Routine = void (ModuleExchanges::*)();
constexpr Routine Store = &ModuleExchanges::write_and_verify;
constexpr Routine PointCode = &ModuleExchanges::read_point_code;
constexpr Routine LoopByte = &ModuleExchanges::read_loop_byte;

// Address 12 holds 9; a store sends 31. error_flag -1: the value overflows, an error is raised.
struct Exchange {
    FaultOptions faults;
    Routine routine;
    int error_flag, A;
    QString status;
    int stored = 9;
};
} // namespace
Q_DECLARE_METATYPE(Exchange)

class TestDeviceExchanges : public QObject
{
    Q_OBJECT

    std::optional<ModuleFixture> m_fx;
    ModuleExchanges &exchanges() { return m_fx->commands->exchanges(); }

private slots:
    void init() { QVERIFY(m_fx.emplace().start()); }
    void cleanup() { m_fx.reset(); }

    void exchange_data()
    {
        QTest::addColumn<Exchange>("x");
        const QString ok = COMMUNICATIONS_OK, range = DATA_OUT_OF_RANGE;
        const QString before = QStringLiteral("BEFORE"), corrupted = COMMUNICATIONS_CORRUPTED;
        const auto row = [](const char *name, const Exchange &x) { QTest::newRow(name) << x; };
        const auto reply = [](const char *text) {
            return FaultOptions{.raw_replies = {{12, text}}};
        };
        row("store verified", {{}, Store, 0, 31, ok, 31});
        row("store, lower-case acknowledgement",
            {{.lower_case_ack = true}, Store, 1, -7, before, 31});
        row("store, acknowledgement and more", {{.extra = "X"}, Store, 1, -7, before, 31});
        row("store acknowledged, not kept",
            {{.forget_addresses = {12}}, Store, 1, 9, DATA_FAILED_TO_VERIFY});
        row("store, read-back too short", {reply("031"), Store, 1, -7, corrupted, 31});
        row("1600V as a point code", {reply("1600V"), PointCode, 0, 160, ok});
        row("1610V as a point code", {reply("1610V"), PointCode, 1, 161, range});
        row("1610V as a loop byte", {reply("1610V"), LoopByte, 0, 161, ok});
        row("2560V as a loop byte", {reply("2560V"), LoopByte, 1, 256, range});
        row("negative", {reply("-010V"), PointCode, 1, -1, range});
        row("four characters", {reply("0570"), PointCode, 0, 57, ok});
        row("three characters", {reply("057"), LoopByte, 1, -7, corrupted});
        row("overflow", {reply("400000V"), PointCode, -1, -7, before});
    }

    void exchange()
    {
        QFETCH(Exchange, x);
        m_fx->core().set_byte(12, 9);
        m_fx->open_port(x.faults);
        m_fx->form->show_status(QStringLiteral("BEFORE"), ui::GREEN);
        m_fx->form->hide_status();
        ConverterConfig &config = m_fx->config();
        config.A = -7;
        config.error_flag = 5;
        config.address_l = 12;
        config.data_l = 31;
        if (x.error_flag < 0)
            QVERIFY_THROWS_EXCEPTION(DeviceError, (exchanges().*x.routine)());
        else
            (exchanges().*x.routine)();
        QCOMPARE(config.error_flag, std::max(x.error_flag, 0));
        QCOMPARE(config.A, x.A);
        QCOMPARE(m_fx->form->status_text(), x.status);
        // Only a verified store colours the line; the reads show it and leave the colour.
        const bool store = x.routine == Store;
        QCOMPARE(m_fx->form->status_background(),
                 store && x.error_flag == 0 ? ui::YELLOW : ui::GREEN);
        QVERIFY(store || m_fx->form->Text1()->isVisibleTo(m_fx->form.get()));
        QCOMPARE(m_fx->core().byte_at(12), x.stored);
        if (!store)
            QCOMPARE(config.temp1, x.faults.raw_replies.value(12).size());
    }

    void late_character_does_not_spoil_the_next_read()
    {
        m_fx->core().set_byte(5, 50);
        m_fx->core().set_byte(6, 31);
        m_fx->open_port({.pieces = {4}, .piece_gap = 150ms}); // the "V" comes after the tick
        ConverterConfig &config = m_fx->config();
        config.address_l = 5;
        exchanges().read_point_code();
        QCOMPARE(config.A, 50);
        QCOMPARE(config.temp1, 4);
        m_fx->commands->waits().timer_wait();
        m_fx->core().set_faults({});
        config.address_l = 6;
        exchanges().read_point_code();
        QCOMPARE(config.error_flag, 0);
        QCOMPARE(config.A, 31); // not "V0310" read as 0
    }

    void com_window_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("choose_row"); // -1: leave the list alone
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("port_after");
        QTest::newRow("port 3, OK untouched") << 3 << -1 << true << 3;
        QTest::newRow("choose 5, OK") << 1 << 4 << true << 5;
        QTest::newRow("choose 2, Cancel") << 4 << 1 << false << 4;
    }

    void com_window()
    {
        QFETCH(int, port);
        QFETCH(int, choose_row);
        QFETCH(bool, ok);
        QFETCH(int, port_after);
        DeviceCommands &commands = *m_fx->commands;
        commands.set_port_number(qint16(port));
        m_fx->form->MENU1()->trigger();
        ComPortDialog *dialog = commands.dialog();
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        // An unconfirmed choice is forgotten: a second COM SETTINGS raises the same window afresh.
        dialog->List1()->setCurrentRow(port % 5);
        m_fx->form->MENU1()->trigger();
        QCOMPARE(commands.dialog(), dialog);
        QCOMPARE(dialog->List1()->currentRow(), port - 1);
        if (choose_row >= 0)
            dialog->List1()->setCurrentRow(choose_row);
        QTest::mouseClick(ok ? dialog->OKButton() : dialog->CancelButton(), Qt::LeftButton);
        QCOMPARE(commands.port().CommPort(), port_after);
        QTRY_VERIFY(!commands.dialog()); // discarded
    }
};

QTEST_MAIN(TestDeviceExchanges)
#include "tst_device_exchanges.moc"
