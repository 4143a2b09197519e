// The window's read and write end to end: the real window, the real port over a pseudo-terminal
// and the emulated module, with the failure paths of both, and the COM PORT SETTINGS window.

#include "com_port_dialog.h"
#include "module_fixture.h"
#include "panel_loading.h"
#include "port_argument.h"
#include "ui_constants.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>

using namespace ui;

namespace
{

// One slot as the operator sets it: input module position (0 = "N/A"), channel, output module
// position, channel, and the two loop toggles.
struct SlotSetting {
    int in_module, in_channel, out_module, out_channel;
    bool in_loop, out_loop;
};
using Window = std::array<SlotSetting, SLOT_COUNT>;

// Every slot used, "N/A" slots in between, loops mixed; inputs on modules A..E, outputs on F..P.
const Window FULL{{{3, 3, 5, 0, false, true}, // IN-1 C4: code 23
                   {0, 0, 0, 0, false, false},
                   {1, 0, 15, 9, true, false},
                   {5, 9, 6, 4, true, true},
                   {2, 5, 9, 2, false, false},
                   {0, 0, 0, 0, false, false},
                   {4, 1, 12, 7, true, false},
                   {1, 8, 7, 7, false, true},
                   {3, 0, 10, 3, true, true},
                   {5, 5, 14, 1, false, true}}};
const QList<int> FULL_BYTES{23,  160, 0,  49,  15,  160, 31,  8,   20, 45, 50,  160,
                            159, 64,  92, 160, 127, 77,  103, 141, 76, 1,  137, 3};

// What the module holds before each test: a different configuration in every byte.
Window other_window()
{
    Window other{};
    for (int k = 1; k <= SLOT_COUNT; ++k)
        other[k - 1] = {2, k - 1, 8, k - 1, true, k % 2 == 0};
    return other;
}
const QList<int> OTHER_BYTES{10, 11, 12, 13, 14, 15, 16, 17, 18,  19, 80,  81,
                             82, 83, 84, 85, 86, 87, 88, 89, 255, 3,  170, 2};

// The window lists one memory address fills.
QList<int> lists_of(int address)
{
    const int k = address % SLOT_COUNT + 1;
    if (address >= 2 * SLOT_COUNT)
        return {};
    return address < SLOT_COUNT ? QList<int>{input_module_list(k), input_channel_list(k)}
                                : QList<int>{output_module_list(k), output_channel_list(k)};
}

int open_descriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// One run of a sequence: history is what the status line shows after the starting text; done
// counts the addresses read into the window or written to the module before it stopped.
struct Run {
    bool read;
    FaultOptions faults;
    int port;
    QStringList history;
    QString message;
    int exchanges, done;
};

} // namespace
Q_DECLARE_METATYPE(Run)

class TestDeviceSequences : public QObject
{
    Q_OBJECT

    std::optional<ModuleFixture> m_fx;
    QStringList m_history; // every text the status line shows, in order
    ListPositions m_full_positions, m_other_positions;
    QList<bool> m_full_toggles, m_other_toggles;

    void set_window(const Window &settings)
    {
        Form1 &form = *m_fx->form;
        for (int k = 1; k <= SLOT_COUNT; ++k) {
            const SlotSetting &s = settings[k - 1];
            QVERIFY(form.set_list_position(input_module_list(k), qint16(s.in_module)));
            if (s.in_module == 0)
                continue;
            QVERIFY(form.set_list_position(input_channel_list(k), qint16(s.in_channel)));
            QVERIFY(form.set_list_position(output_module_list(k), qint16(s.out_module)));
            QVERIFY(form.set_list_position(output_channel_list(k), qint16(s.out_channel)));
            form.ToggleButton(input_toggle(k))->setChecked(s.in_loop);
            form.ToggleButton(output_toggle(k))->setChecked(s.out_loop);
        }
        QVERIFY(m_fx->prompts.messages.isEmpty());
    }

    QList<bool> toggles() const
    {
        QList<bool> states;
        for (int n = 1; n <= TOGGLE_COUNT; ++n)
            states.append(m_fx->form->toggle_pressed(n));
        return states;
    }

    // Port 0: the module's device named as on the command line, with COM 2 behind it leading
    // nowhere.
    void use_port(int port)
    {
        m_fx->commands->set_port_number(qint16(port ? port : 2));
        if (port == 0)
            m_fx->commands->set_port(*parse_port_argument(m_fx->module->port_name(), {}));
    }

    void run(bool read)
    {
        QTest::mouseClick(read ? m_fx->form->READ_CONFIG() : m_fx->form->WRITE_CONFIG(),
                          Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!m_fx->commands->running(), RUN_TIMEOUT_MS);
        QVERIFY(!m_fx->commands->session().running());
        QVERIFY(!m_fx->commands->link().is_open());
        QVERIFY(!m_fx->form->busy());
    }

private slots:
    // The module holds the other configuration, the window the full one.
    void init()
    {
        QVERIFY(m_fx.emplace().start());
        for (int address = 0; address < 24; ++address)
            m_fx->core().set_byte(address, quint8(OTHER_BYTES[address]));
        set_window(other_window());
        m_other_positions = m_fx->form->panel().positions();
        m_other_toggles = toggles();
        set_window(FULL);
        m_full_positions = m_fx->form->panel().positions();
        m_full_toggles = toggles();
        m_fx->form->Text(2)->setText(QStringLiteral("PANEL 7"));
        m_fx->form->Text(input_designation_box(1))->setText(QStringLiteral("PUMP ON"));
        m_history.clear();
        connect(m_fx->form->Text1(), &QTextEdit::textChanged, this, [this] {
            const QString text = m_fx->form->status_text();
            if (!text.isEmpty() && (m_history.isEmpty() || m_history.last() != text))
                m_history.append(text);
        });
    }
    void cleanup() { m_fx.reset(); }

    void sequences_data()
    {
        QTest::addColumn<Run>("r");
        const QString ok = COMMUNICATIONS_OK, port = INCORRECT_PORT_SETTINGS, bad = BAD_DATA;
        const QString range = DATA_OUT_OF_RANGE, silent = FAILED_TO_RESPOND;
        const auto row = [](const char *name, const Run &r) { QTest::newRow(name) << r; };
        row("read, third A answered",
            {true, {.answer_attention_from = 3}, 1, {ok, READ_SUCCESSFUL}, {}, 28, 24});
        row("read, identity 30", {true, {.identity = 30}, 1, {ok}, READ_MISMATCH, 2, 0});
        row("write, identity 0", {false, {.identity = 0}, 1, {ok}, WRITE_MISMATCH, 2, 0});
        row("read, never answers", {true, {.silent = true}, 1, {silent}, {}, 6, 0});
        row("OUT-3 read as 170",
            {true, {.read_values = {{12, 170}}}, 1, {ok, range, bad}, {}, 15, 12});
        row("address 22 read as 300",
            {true, {.read_values = {{22, 300}}}, 1, {ok, range, bad}, {}, 25, 22});
        row("address 22 read as XXXXV", {true,
                                         {.raw_replies = {{22, "XXXXV"}}},
                                         1,
                                         {ok, COMMUNICATIONS_CORRUPTED, bad},
                                         {},
                                         25,
                                         22});
        row("address 12 not kept",
            {false, {.forget_addresses = {12}}, 1, {ok, DATA_FAILED_TO_VERIFY, bad}, {}, 28, 12});
        row("read, no such port", {true, {}, 2, {port, silent}, {}, 0, 0});
        // What the line did not bring shows nowhere: no box for an identity never read, no
        // value in the slot about to be read, nothing for a reply too short to hold one.
        row("read, line drops at the identity",
            {true, {.drop_after = 1}, 1, {port, bad}, {}, 1, 0});
        row("read, line drops at IN-1", {true, {.drop_after = 2}, 1, {ok, port, bad}, {}, 2, 0});
        row("read, IN-4 reply too short",
            {true, {.raw_replies = {{3, "12"}}}, 1, {ok, COMMUNICATIONS_CORRUPTED, bad}, {}, 6, 3});
        row("read, line drops at address 20",
            {true, {.drop_after = 22}, 1, {ok, port, bad}, {}, 22, 20});
        row("write, line drops after 9", {false, {.drop_after = 9}, 1, {ok, port, bad}, {}, 9, 4});
        row("write through a device path", {false, {}, 0, {ok, PROGRAMMED}, {}, 50, 24});
    }

    void sequences()
    {
        QFETCH(Run, r);
        m_fx->core().set_faults(r.faults);
        use_port(r.port);
        QSignalSpy dropped(&m_fx->commands->link(), &SerialLink::lost);
        run(r.read);
        QCOMPARE(m_history, QStringList(r.read ? STARTING_READ : STARTING_WRITE) + r.history);
        const bool success = r.history.last() == READ_SUCCESSFUL || r.history.last() == PROGRAMMED;
        const bool mismatch = r.history.last() == COMMUNICATIONS_OK;
        QCOMPARE(m_fx->form->status_background(), success    ? ui::GREEN
                                                  : mismatch ? ui::YELLOW
                                                             : ui::RED);
        QCOMPARE(m_fx->prompts.messages.size(), r.message.isEmpty() ? 0 : 1);
        if (!r.message.isEmpty())
            QCOMPARE(m_fx->prompts.messages[0].text, r.message);
        QCOMPARE(m_fx->core().exchanges(), r.exchanges);
        QCOMPARE(dropped.count(), r.faults.drop_after ? 1 : 0);
        // A write stops at the first store that fails; a read keeps what came before the bad
        // value and the bad point code itself (selecting nothing), and takes the loop bytes last.
        const int written = r.read ? 0 : r.done;
        QCOMPARE(m_fx->module_bytes(), FULL_BYTES.mid(0, written) + OTHER_BYTES.mid(written));
        ListPositions expected = m_full_positions;
        for (int address = 0; r.read && address < r.done; ++address)
            for (int n : lists_of(address))
                expected[n - 1] = m_other_positions[n - 1];
        for (int n : lists_of(r.done))
            if (r.read && r.faults.read_values.contains(r.done))
                expected[n - 1] = -1;
        QCOMPARE(m_fx->form->panel().positions(), expected);
        QCOMPARE(toggles(), success && r.read ? m_other_toggles : m_full_toggles);
        // A whole read leaves the window as the model says a read does.
        if (success && r.read) {
            ModuleImage image;
            std::copy(OTHER_BYTES.begin(), OTHER_BYTES.end(), image.bytes.begin());
            QCOMPARE(m_fx->form->panel(), read_panel(image));
        }
        // A read clears the title first, and the designations of the slots it loads.
        QCOMPARE(m_fx->form->Text(2)->text().isEmpty(), r.read);
        QLineEdit *designation = m_fx->form->Text(input_designation_box(1));
        const QString pump = QStringLiteral("PUMP ON");
        QCOMPARE(designation->text(), r.read && r.done > 0 ? DESIGNATION_PLACEHOLDER : pump);
        QCOMPARE(designation->isHidden(), r.read && r.done > 0);
    }

    void incomplete_input_and_output()
    {
        Form1 &form = *m_fx->form;
        QVERIFY(form.set_list_position(input_module_list(2), 3)); // IN-2 without a channel
        QVERIFY(form.set_list_position(input_module_list(6), 1));
        QVERIFY(form.set_list_position(input_channel_list(6), 1)); // OUT-6 not entered
        run(false);
        QCOMPARE(m_history, QStringList({STARTING_WRITE, INCOMPLETE_INPUT_TEXT}));
        QCOMPARE(form.status_background(), ui::RED);
        QCOMPARE(m_fx->core().exchanges(), 0);
        QVERIFY(m_fx->core().pending_input().isEmpty());
    }

    void second_commands_are_ignored()
    {
        Form1 &form = *m_fx->form;
        QSignalSpy started(m_fx->commands.get(), &DeviceCommands::sequence_started);
        use_port(0); // the port change below also ends the use of the path, once the run ends
        int clicks = 0;
        // While the write waits: the four buttons and a port change through the COM window.
        QTimer::singleShot(400ms, this, [&] {
            QVERIFY(m_fx->commands->running());
            QTest::mouseClick(form.READ_CONFIG(), Qt::LeftButton);
            QTest::mouseClick(form.WRITE_CONFIG(), Qt::LeftButton);
            QTest::mouseClick(form.READ_FILE(), Qt::LeftButton);
            QTest::mouseClick(form.WRITE_FILE(), Qt::LeftButton);
            QVERIFY(m_fx->prompts.file_requests.isEmpty());
            form.MENU1()->trigger();
            m_fx->commands->dialog()->List1()->setCurrentRow(2);
            QTest::mouseClick(m_fx->commands->dialog()->OKButton(), Qt::LeftButton);
            QCOMPARE(m_fx->commands->port_number(), 2); // held: the open port keeps its line
            ++clicks;
        });
        run(false);
        QCOMPARE(clicks, 1);
        QCOMPARE(started.count(), 1);
        QCOMPARE(form.status_text(), PROGRAMMED);
        QCOMPARE(form.status_background(), ui::GREEN);
        QCOMPARE(m_fx->module_bytes(), FULL_BYTES);
        QCOMPARE(m_fx->core().exchanges(), 2 + 2 * 24);
        QCOMPARE(m_fx->commands->chosen_port().value_or(0), 3); // taken when the port closed
    }

    void window_closed_mid_sequence()
    {
        const int descriptors = open_descriptors();
        QTimer::singleShot(500ms, m_fx->form.get(), &QWidget::close);
        run(true);
        QVERIFY(!m_fx->form->isVisible());
        QVERIFY(m_fx->core().exchanges() < 10);
        QCOMPARE(open_descriptors(), descriptors);
        m_fx->commands->READ_CONFIG(); // nothing starts on a window that has gone
        QVERIFY(!m_fx->commands->running());
        QVERIFY(!m_fx->commands->link().is_open());
    }

    // The round trip: a clean write, then the module killed and restarted before each read back,
    // with a sequence the line drops under in between.
    void module_restarted_between_sequences()
    {
        run(false);
        QCOMPARE(m_fx->module_bytes(), FULL_BYTES);
        const int descriptors = open_descriptors();
        for (int round = 0; round < 4; ++round) {
            QVERIFY(m_fx->restart_module());
            set_window(other_window());
            run(true);
            QCOMPARE(m_fx->form->status_text(), READ_SUCCESSFUL);
            QCOMPARE(m_fx->form->panel().positions(), m_full_positions);
            QCOMPARE(toggles(), m_full_toggles);
            // Killed while the program waits for it: the sequence fails, the next one works.
            m_fx->core().set_faults({.drop_after = 3 + round});
            run(round % 2 == 0);
            QCOMPARE(m_fx->form->status_background(), ui::RED);
        }
        QVERIFY(m_fx->restart_module());
        QCOMPARE(open_descriptors(), descriptors);
    }

    void com_window_data()
    {
        QTest::addColumn<int>("port"); // as use_port() takes it; 0 again after: still the path
        QTest::addColumn<int>("choose_row"); // -1: leave the list alone
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("port_after");
        QTest::newRow("port 3, OK untouched") << 3 << -1 << true << 3;
        QTest::newRow("choose 5, OK") << 1 << 4 << true << 5;
        QTest::newRow("choose 2, Cancel") << 4 << 1 << false << 4;
        QTest::newRow("device path, OK untouched") << 0 << -1 << true << 0;
        QTest::newRow("device path, choose 4, OK") << 0 << 3 << true << 4;
    }

    void com_window()
    {
        QFETCH(int, port);
        QFETCH(int, choose_row);
        QFETCH(bool, ok);
        QFETCH(int, port_after);
        DeviceCommands &commands = *m_fx->commands;
        use_port(port);
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
        QCOMPARE(commands.chosen_port().value_or(0), port_after);
        QTRY_VERIFY(!commands.dialog()); // discarded
    }
};

QTEST_MAIN(TestDeviceSequences)
#include "tst_device_sequences.moc"
