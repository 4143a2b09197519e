// The read and write sequences end to end: the real window, the real port over a pseudo-terminal
// and the emulated module, with the failure paths of both.

#include "device_constants.h"
#include "loop_bytes.h"
#include "module_fixture.h"
#include "slot_lists.h"
#include "ui_constants.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>

using emulator::FaultOptions;
using namespace std::chrono_literals;
using namespace device;

namespace
{

// One slot as the operator sets it: input module position (0 = "N/A"), channels 0..9, output
// module position 0..15, and the two loop toggles.
struct SlotSetting {
    int in_module;
    int in_channel;
    int out_module;
    int out_channel;
    bool in_loop;
    bool out_loop;
};

// Every slot used, "N/A" slots in between, loops mixed; inputs on modules A..E and outputs on
// F..P, so no assignment is refused.
const std::array<SlotSetting, SLOT_COUNT> FULL_CONFIGURATION{{
    {3, 3, 5, 0, false, true}, // IN-1 C4 -> code 23
    {1, 0, 15, 9, true, false},
    {0, 0, 0, 0, false, false}, // N/A
    {5, 9, 6, 4, true, true},
    {2, 5, 9, 2, false, false},
    {0, 0, 0, 0, false, false}, // N/A
    {4, 1, 12, 7, true, false},
    {1, 8, 7, 7, false, true},
    {3, 0, 10, 3, true, true},
    {5, 5, 14, 1, false, true},
}};

int input_code(const SlotSetting &s)
{
    return s.in_module == 0 ? 160 : 10 * (s.in_module - 1) + s.in_channel;
}
int output_code(const SlotSetting &s)
{
    return s.in_module == 0 ? 160 : 10 * s.out_module + s.out_channel;
}

QList<int> expected_bytes()
{
    QList<int> bytes;
    for (const SlotSetting &s : FULL_CONFIGURATION)
        bytes.append(input_code(s));
    for (const SlotSetting &s : FULL_CONFIGURATION)
        bytes.append(output_code(s));
    int loops[4] = {};
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        const SlotSetting &s = FULL_CONFIGURATION[k - 1];
        const int high = k > 8 ? 1 : 0;
        if (s.in_module != 0 && s.in_loop)
            loops[high] += loop_bit_value(k);
        if (s.in_module != 0 && s.out_loop)
            loops[2 + high] += loop_bit_value(k);
    }
    for (int b : loops)
        bytes.append(b);
    return bytes;
}

int open_descriptors()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

} // namespace

class TestDeviceSequences : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void write_then_read_round_trip();
    void identity_mismatch_data();
    void identity_mismatch();
    void module_never_answers_data();
    void module_never_answers();
    void bad_read_back_stops_the_read_data();
    void bad_read_back_stops_the_read();
    void store_not_kept_stops_the_write();
    void port_that_does_not_exist_data();
    void port_that_does_not_exist();
    void incomplete_input_and_output();
    void second_commands_are_ignored();
    void line_drops_mid_sequence_data();
    void line_drops_mid_sequence();
    void window_closed_mid_sequence();
    void module_restarted_between_sequences();

private:
    void set_window(const std::array<SlotSetting, SLOT_COUNT> &settings);
    QList<int> window_positions() const;
    QList<bool> toggle_states() const;
    void run(bool read);
    // Every text the status line shows, in order.
    QStringList record_status();

    ModuleFixture m_fx;
    QStringList m_status_history;
};

void TestDeviceSequences::init()
{
    QVERIFY(m_fx.start());
    m_status_history.clear();
}

void TestDeviceSequences::cleanup()
{
    m_fx.stop();
}

void TestDeviceSequences::set_window(const std::array<SlotSetting, SLOT_COUNT> &settings)
{
    Form1 &form = *m_fx.form;
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        const SlotSetting &s = settings[k - 1];
        QVERIFY(form.set_list_position(input_module_list(k), static_cast<qint16>(s.in_module)));
        if (s.in_module == 0)
            continue;
        QVERIFY(form.set_list_position(input_channel_list(k), static_cast<qint16>(s.in_channel)));
        QVERIFY(form.set_list_position(output_module_list(k), static_cast<qint16>(s.out_module)));
        QVERIFY(form.set_list_position(output_channel_list(k), static_cast<qint16>(s.out_channel)));
        form.ToggleButton(input_toggle(k))->setChecked(s.in_loop);
        form.ToggleButton(output_toggle(k))->setChecked(s.out_loop);
    }
    QVERIFY(m_fx.prompts.messages.isEmpty());
}

QList<int> TestDeviceSequences::window_positions() const
{
    QList<int> positions;
    for (int n = 1; n <= LIST_COUNT; ++n)
        positions.append(m_fx.form->list_position(n));
    return positions;
}

QList<bool> TestDeviceSequences::toggle_states() const
{
    QList<bool> states;
    for (int n = 1; n <= TOGGLE_COUNT; ++n)
        states.append(m_fx.form->toggle_pressed(n));
    return states;
}

QStringList TestDeviceSequences::record_status()
{
    connect(m_fx.form->Text1(), &QTextEdit::textChanged, this, [this] {
        const QString text = m_fx.form->status_text();
        if (!text.isEmpty() && (m_status_history.isEmpty() || m_status_history.last() != text))
            m_status_history.append(text);
    });
    return m_status_history;
}

void TestDeviceSequences::run(bool read)
{
    QPushButton *button = read ? m_fx.form->READ_CONFIG() : m_fx.form->WRITE_CONFIG();
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!m_fx.commands->running());
    QVERIFY(!m_fx.commands->port().PortOpen());
    QCOMPARE(m_fx.config().busy, FALSE16);
}

void TestDeviceSequences::write_then_read_round_trip()
{
    set_window(FULL_CONFIGURATION);
    const QList<int> positions = window_positions();
    const QList<bool> toggles = toggle_states();
    m_fx.form->Text(2)->setText(QStringLiteral("PANEL 7"));
    m_fx.form->Text(3)->setText(QStringLiteral("PUMP ON"));

    run(false);
    QCOMPARE(m_fx.form->status_text(), PROGRAMMED);
    QCOMPARE(m_fx.form->status_background(), ui::GREEN);
    QCOMPARE(m_fx.module_bytes(), expected_bytes());
    QCOMPARE(m_fx.module_bytes()[0], 23);

    // Change everything, then read the module back into the window.
    std::array<SlotSetting, SLOT_COUNT> other{};
    other[0] = {2, 2, 3, 3, true, true};
    set_window(other);
    QVERIFY(window_positions() != positions);
    run(true);
    QCOMPARE(m_fx.form->status_text(), READ_SUCCESSFUL);
    QCOMPARE(m_fx.form->status_background(), ui::GREEN);
    QCOMPARE(window_positions(), positions);
    QCOMPARE(toggle_states(), toggles);
    QCOMPARE(m_fx.form->Text(2)->text(), QString());
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        for (int box : {input_designation_box(k), output_designation_box(k)}) {
            QCOMPARE(m_fx.form->Text(box)->text(), ui::DESIGNATION);
            QVERIFY(m_fx.form->Text(box)->isHidden());
        }
    }
    QVERIFY(m_fx.prompts.messages.isEmpty());
}

void TestDeviceSequences::identity_mismatch_data()
{
    QTest::addColumn<bool>("read");
    QTest::addColumn<int>("identity");
    QTest::newRow("read, 30") << true << 30;
    QTest::newRow("write, 0") << false << 0;
}

void TestDeviceSequences::identity_mismatch()
{
    QFETCH(bool, read);
    QFETCH(int, identity);
    set_window(FULL_CONFIGURATION);
    const QList<int> positions = window_positions();
    const QList<int> memory = m_fx.module_bytes();
    m_fx.form->Text(2)->setText(QStringLiteral("PANEL 7"));
    FaultOptions faults;
    faults.identity = static_cast<quint8>(identity);
    m_fx.module->core().set_faults(faults);
    bool port_open_during_box = false;
    m_fx.prompts.on_message = [&](const RecordingPrompts::Message &) {
        port_open_during_box = m_fx.commands->port().PortOpen();
    };

    run(read);
    QCOMPARE(m_fx.prompts.messages.size(), 1);
    QCOMPARE(m_fx.prompts.messages[0].title, MISMATCH_TITLE);
    QCOMPARE(m_fx.prompts.messages[0].text, read ? READ_MISMATCH : WRITE_MISMATCH);
    QVERIFY(port_open_during_box);
    QCOMPARE(m_fx.form->status_text(), COMMUNICATIONS_OK);
    QCOMPARE(m_fx.form->status_background(), ui::YELLOW);
    QCOMPARE(window_positions(), positions);
    QCOMPARE(m_fx.module_bytes(), memory);
    QCOMPARE(m_fx.module->core().exchanges(), 2); // the handshake and the identity read
    QCOMPARE(m_fx.form->Text(2)->text(), read ? QString() : QStringLiteral("PANEL 7"));
}

void TestDeviceSequences::module_never_answers_data()
{
    QTest::addColumn<bool>("read");
    QTest::newRow("read") << true;
    QTest::newRow("write") << false;
}

void TestDeviceSequences::module_never_answers()
{
    QFETCH(bool, read);
    set_window(FULL_CONFIGURATION);
    const QList<int> positions = window_positions();
    FaultOptions faults;
    faults.silent = true;
    m_fx.module->core().set_faults(faults);
    run(read);
    QCOMPARE(m_fx.module->core().exchanges(), 6);
    QCOMPARE(m_fx.form->status_text(), FAILED_TO_RESPOND);
    QCOMPARE(m_fx.form->status_background(), ui::RED);
    QCOMPARE(window_positions(), positions);
}

void TestDeviceSequences::bad_read_back_stops_the_read_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("slots_changed"); // slots read: inputs, then outputs
    QTest::newRow("OUT-3 as 170") << 12 << 170 << 13;
    QTest::newRow("address 22 as 300") << 22 << 300 << 20;
}

void TestDeviceSequences::bad_read_back_stops_the_read()
{
    QFETCH(int, address);
    QFETCH(int, value);
    QFETCH(int, slots_changed);
    // The module holds the full configuration; the window holds something else.
    set_window(FULL_CONFIGURATION);
    const QList<int> module_positions = window_positions();
    run(false);
    std::array<SlotSetting, SLOT_COUNT> other{};
    for (int k = 1; k <= SLOT_COUNT; ++k)
        other[k - 1] = {2, k - 1, 8, k - 1, true, k % 2 == 0};
    set_window(other);
    const QList<int> before = window_positions();
    const QList<bool> toggles = toggle_states();

    FaultOptions faults;
    faults.read_values = {{address, value}};
    m_fx.module->core().set_faults(faults);
    run(true);
    QCOMPARE(m_fx.form->status_text(), BAD_DATA);
    QCOMPARE(m_fx.form->status_background(), ui::RED);
    // The loop bytes were never applied; only inputs read as "N/A" released their toggles,
    // through the slot's own reaction.
    const QList<bool> toggles_after = toggle_states();
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        const bool released = FULL_CONFIGURATION[k - 1].in_module == 0;
        for (int n : {input_toggle(k), output_toggle(k)})
            QCOMPARE(toggles_after[n - 1], released ? false : toggles[n - 1]);
    }
    const QList<int> after = window_positions();
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        const bool input_read = k <= slots_changed;
        // An input read as "N/A" clears its outputs too, as the slot reaction does.
        const bool output_read =
            SLOT_COUNT + k <= slots_changed || FULL_CONFIGURATION[k - 1].in_module == 0;
        for (int n : {input_module_list(k), input_channel_list(k)})
            QCOMPARE(after[n - 1], (input_read ? module_positions : before)[n - 1]);
        if (address == 12 && k == 3)
            continue;
        for (int n : {output_module_list(k), output_channel_list(k)})
            QCOMPARE(after[n - 1], (output_read ? module_positions : before)[n - 1]);
    }
    if (address == 12) {
        // OUT-3's lists are set from the value received: 170 selects nothing.
        QCOMPARE(after[output_module_list(3) - 1], -1);
        QCOMPARE(after[output_channel_list(3) - 1], -1);
    }
}

void TestDeviceSequences::store_not_kept_stops_the_write()
{
    for (int address = 0; address < 24; ++address)
        m_fx.module->core().set_byte(address, 200);
    set_window(FULL_CONFIGURATION);
    FaultOptions faults;
    faults.forget_addresses = {12};
    m_fx.module->core().set_faults(faults);
    run(false);
    QCOMPARE(m_fx.form->status_text(), BAD_DATA);
    QCOMPARE(m_fx.form->status_background(), ui::RED);
    const QList<int> expected = expected_bytes();
    const QList<int> memory = m_fx.module_bytes();
    QCOMPARE(memory.mid(0, 12), expected.mid(0, 12));
    for (int address = 12; address < 24; ++address)
        QCOMPARE(memory[address], 200);
    // Handshake, identity, 12 stores verified, the 13th stored and read back.
    QCOMPARE(m_fx.module->core().exchanges(), 2 + 2 * 13);
}

void TestDeviceSequences::port_that_does_not_exist_data()
{
    QTest::addColumn<bool>("read");
    QTest::newRow("read") << true;
    QTest::newRow("write") << false;
}

void TestDeviceSequences::port_that_does_not_exist()
{
    QFETCH(bool, read);
    m_fx.commands->set_port_number(2);
    record_status();
    run(read);
    QVERIFY(m_status_history.size() >= 3);
    QCOMPARE(m_status_history[0], read ? STARTING_READ : STARTING_WRITE);
    QCOMPARE(m_status_history[1], INCORRECT_PORT_SETTINGS);
    QCOMPARE(m_status_history.last(), FAILED_TO_RESPOND);
    QCOMPARE(m_fx.form->status_background(), ui::RED);
    QCOMPARE(m_fx.module->core().exchanges(), 0);
}

void TestDeviceSequences::incomplete_input_and_output()
{
    Form1 &form = *m_fx.form;
    QVERIFY(form.set_list_position(input_module_list(2), 3)); // IN-2 without a channel
    QVERIFY(form.set_list_position(input_module_list(4), 1));
    QVERIFY(form.set_list_position(input_channel_list(4), 1)); // OUT-4 not entered
    run(false);
    QCOMPARE(form.status_text(), INPUTS_NOT_ENTERED);
    QCOMPARE(form.status_background(), ui::RED);
    QVERIFY(form.Text1()->isVisibleTo(&form));
    QCOMPARE(m_fx.module->core().exchanges(), 0);
    QVERIFY(m_fx.module->core().pending_input().isEmpty());
}

void TestDeviceSequences::second_commands_are_ignored()
{
    set_window(FULL_CONFIGURATION);
    Form1 &form = *m_fx.form;
    QSignalSpy started(m_fx.commands.get(), &DeviceCommands::sequence_started);
    int clicks = 0;
    // While the write waits: both device buttons and a port change through the COM window.
    QTimer::singleShot(400ms, this, [&] {
        QVERIFY(m_fx.commands->running());
        QTest::mouseClick(form.READ_CONFIG(), Qt::LeftButton);
        QTest::mouseClick(form.WRITE_CONFIG(), Qt::LeftButton);
        form.MENU1()->trigger();
        m_fx.commands->dialog()->List1()->setCurrentRow(2);
        QTest::mouseClick(m_fx.commands->dialog()->OKButton(), Qt::LeftButton);
        QCOMPARE(m_fx.commands->port().CommPort(), 1); // held: the open port keeps its line
        ++clicks;
    });
    run(false);
    QCOMPARE(clicks, 1);
    QCOMPARE(started.count(), 1);
    QCOMPARE(form.status_text(), PROGRAMMED);
    QCOMPARE(m_fx.module_bytes(), expected_bytes());
    QCOMPARE(m_fx.module->core().exchanges(), 2 + 2 * 24);
    QCOMPARE(m_fx.commands->port().CommPort(), 3); // taken when the port closed
}

void TestDeviceSequences::line_drops_mid_sequence_data()
{
    QTest::addColumn<bool>("read");
    QTest::addColumn<int>("after");
    QTest::newRow("read, after 7 exchanges") << true << 7;
    QTest::newRow("write, after 9 exchanges") << false << 9;
    QTest::newRow("read, at the identity") << true << 1;
}

void TestDeviceSequences::line_drops_mid_sequence()
{
    QFETCH(bool, read);
    QFETCH(int, after);
    set_window(FULL_CONFIGURATION);
    FaultOptions faults;
    faults.drop_after = after;
    m_fx.module->core().set_faults(faults);
    QSignalSpy dropped(&m_fx.commands->port(), &ComPort::line_dropped);
    record_status();
    run(read);
    QCOMPARE(dropped.count(), 1);
    QVERIFY(m_status_history.contains(INCORRECT_PORT_SETTINGS));
    QCOMPARE(m_fx.form->status_background(), ui::RED);
    QVERIFY(m_fx.form->status_text() != READ_SUCCESSFUL);
    QVERIFY(m_fx.form->status_text() != PROGRAMMED);
}

void TestDeviceSequences::window_closed_mid_sequence()
{
    set_window(FULL_CONFIGURATION);
    const int descriptors = open_descriptors();
    QTimer::singleShot(500ms, m_fx.form.get(), &QWidget::close);
    run(true);
    QVERIFY(!m_fx.form->isVisible());
    QVERIFY(m_fx.module->core().exchanges() < 10);
    QCOMPARE(open_descriptors(), descriptors);
    // Nothing starts on a window that has gone.
    m_fx.commands->READ_CONFIG();
    QVERIFY(!m_fx.commands->port().PortOpen());
}

void TestDeviceSequences::module_restarted_between_sequences()
{
    set_window(FULL_CONFIGURATION);
    run(false);
    const QList<int> positions = window_positions();
    const int descriptors = open_descriptors();
    for (int round = 0; round < 4; ++round) {
        QVERIFY(m_fx.restart_module());
        run(true);
        QCOMPARE(m_fx.form->status_text(), READ_SUCCESSFUL);
        QCOMPARE(window_positions(), positions);
        // Killed while the program waits for it: the sequence fails, the next one works.
        FaultOptions faults;
        faults.drop_after = 3 + round;
        m_fx.module->core().set_faults(faults);
        run(round % 2 == 0);
        QCOMPARE(m_fx.form->status_background(), ui::RED);
    }
    QVERIFY(m_fx.restart_module());
    QCOMPARE(open_descriptors(), descriptors);
}

QTEST_MAIN(TestDeviceSequences)
#include "tst_device_sequences.moc"
