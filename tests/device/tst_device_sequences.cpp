// The window's read and write end to end: the real window, the real port over a pseudo-terminal
// and the emulated module; how each way a run ends shows in the status line, the slots and the
// boxes, and the COM PORT SETTINGS window.

#include "com_port_dialog.h"
#include "device_commands.h"
#include "file_commands.h"
#include "module_server.h"
#include "panel_loading.h"
#include "port_argument.h"
#include "recording_prompts.h"
#include "ui_constants.h"
#include "window_commands.h"
#include "window_notation.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>

using namespace ui;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using emulator::FaultOptions;

namespace
{

// A run takes about 2.6 s against a module that answers at once.
constexpr int RUN_TIMEOUT_MS = 20000;

// The window before each test: every slot used but two, loops mixed, inputs on modules A to E,
// outputs on F to P. The module holds another configuration, different in every byte.
const QString FULL = u"IN1=C4 OUT1=F1.B IN3=A1.B OUT3=P10 IN4=E10.B OUT4=G5.B IN5=B6 OUT5=J3 "
                     "IN7=D2.B OUT7=M8 IN8=A9 OUT8=H8.B IN9=C1.B OUT9=K4.B IN10=E6 OUT10=O2.B"_s;
const QString OTHER = u"IN1=B1.B OUT1=I1 IN2=B2.B OUT2=I2.B IN3=B3.B OUT3=I3 IN4=B4.B OUT4=I4.B "
                      "IN5=B5.B OUT5=I5 IN6=B6.B OUT6=I6.B IN7=B7.B OUT7=I7 IN8=B8.B OUT8=I8.B "
                      "IN9=B9.B OUT9=I9 IN10=B10.B OUT10=I10.B"_s;

int open_descriptors()
{
    return int(QDir(u"/proc/self/fd"_s).entryList(QDir::Files | QDir::System).size());
}

// One run of a sequence: history is what the status line shows after the starting text; done
// counts the addresses read into the window or written to the module before it stopped.
struct Run {
    bool read;
    FaultOptions faults;
    int port; // as use_port() takes it
    QStringList history;
    QString message;
    int exchanges, done;
    QString edit = {}; // what the person changes in the window first
};

} // namespace
Q_DECLARE_METATYPE(Run)

class TestDeviceSequences : public QObject
{
    Q_OBJECT

    // Port 1 leads to the emulated module, other numbers nowhere. Torn down in reverse: the
    // commands and the window before the module's line.
    RecordingPrompts m_prompts;
    std::unique_ptr<emulator::ModuleServer> m_module;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<DeviceCommands> m_commands;
    std::unique_ptr<FileCommands> m_files;
    QStringList m_history; // every text the status line shows, in order

    emulator::ModuleCore &core() { return m_module->core(); }
    QList<int> module_bytes()
    {
        return {core().memory().begin(), core().memory().begin() + CONFIGURATION_BYTES};
    }

    // A fresh line in place of the old one (the emulator killed and started again).
    bool restart_module()
    {
        const auto memory = m_module->core().memory();
        m_module = std::make_unique<emulator::ModuleServer>();
        core().set_memory(memory);
        return m_module->open_pty();
    }

    // Port 0: the module's device named as on the command line, with COM 2 behind it leading
    // nowhere.
    void use_port(int port)
    {
        m_commands->set_port_number(qint16(port ? port : 2));
        if (port == 0)
            m_commands->set_port(*parse_port_argument(m_module->port_name(), {}));
    }

    void run(bool read)
    {
        QTest::mouseClick(read ? m_form->READ_CONFIG() : m_form->WRITE_CONFIG(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!m_commands->running(), RUN_TIMEOUT_MS);
        QVERIFY(!m_form->busy());
    }

private slots:
    void init()
    {
        m_module = std::make_unique<emulator::ModuleServer>();
        QVERIFY(m_module->open_pty());
        const QList<int> other = bytes_of(OTHER);
        for (int address = 0; address < CONFIGURATION_BYTES; ++address)
            core().set_byte(address, quint8(other[address]));
        m_prompts.messages.clear();
        m_form = std::make_unique<Form1>(m_prompts);
        m_commands = std::make_unique<DeviceCommands>(*m_form);
        m_commands->set_port_name_map([this](qint16 n) {
            return n == 1 ? m_module->port_name() : u"/dev/no-such-port-%1"_s.arg(n);
        });
        m_files = std::make_unique<FileCommands>(*m_form);
        connect_window_commands(*m_form, *m_commands, *m_files);
        edit(*m_form, FULL);
        m_form->Text(PANEL_NAME_BOX)->setText(u"PANEL 7"_s);
        m_form->Text(input_designation_box(1))->setText(u"PUMP ON"_s);
        QVERIFY(m_prompts.messages.isEmpty());
        m_history.clear();
        connect(m_form->Text1(), &QTextEdit::textChanged, this, [this] {
            const QString text = m_form->status_text();
            if (!text.isEmpty() && (m_history.isEmpty() || m_history.last() != text))
                m_history.append(text);
        });
    }

    // A read greys every "N/A" input, whatever an earlier read did to its hidden toggle.
    void read_greys_unassigned_inputs()
    {
        for (const QString &held : {u"IN1=B3 OUT1=C2 L=32,0,0,0"_s, u"IN1=B3 OUT1=C2"_s}) {
            const QList<int> bytes = bytes_of(held);
            for (int address = 0; address < CONFIGURATION_BYTES; ++address)
                core().set_byte(address, quint8(bytes[address]));
            use_port(1);
            run(true);
        }
        QCOMPARE(Form1::background(m_form->List(input_module_list(6))),
                 Form1::background(m_form->List(input_module_list(7))));
    }
    void cleanup()
    {
        m_files.reset();
        m_commands.reset();
        m_form.reset();
        m_module.reset();
    }

    void sequences_data()
    {
        QTest::addColumn<Run>("r");
        const QString ok = COMMUNICATIONS_OK, port = INCORRECT_PORT_SETTINGS, bad = BAD_DATA;
        const QString corrupted = COMMUNICATIONS_CORRUPTED, silent = FAILED_TO_RESPOND;
        const auto row = [](const char *name, const Run &r) { QTest::newRow(name) << r; };
        row("read, third A answered",
            {true, {.answer_attention_from = 3}, 1, {ok, READ_SUCCESSFUL}, {}, 28, 24});
        row("write through a device path", {false, {}, 0, {ok, PROGRAMMED}, {}, 50, 24});
        row("read, identity 30", {true, {.identity = 30}, 1, {ok}, READ_MISMATCH, 2, 0});
        row("write, identity 0", {false, {.identity = 0}, 1, {ok}, WRITE_MISMATCH, 2, 0});
        row("read, never answers", {true, {.silent = true}, 1, {silent}, {}, 6, 0});
        row("read, no such port", {true, {}, 2, {port, silent}, {}, 0, 0});
        // A value the read refuses shows in its slot as far as the lists have it (nothing, here);
        // a reply without one leaves the slot as it was.
        row("OUT-3 read as 170",
            {true, {.read_values = {{12, 170}}}, 1, {ok, DATA_OUT_OF_RANGE, bad}, {}, 15, 12});
        row("IN-4 reply too short",
            {true, {.raw_replies = {{3, "12"}}}, 1, {ok, corrupted, bad}, {}, 6, 3});
        row("IN-1 read as XXXXV",
            {true, {.raw_replies = {{0, "XXXXV"}}}, 1, {ok, corrupted, bad}, {}, 3, 0});
        row("address 12 not kept",
            {false, {.forget_addresses = {12}}, 1, {ok, DATA_FAILED_TO_VERIFY, bad}, {}, 28, 12});
        // What the line did not bring shows nowhere: no box for an identity never read.
        row("read, line drops at the identity",
            {true, {.drop_after = 1}, 1, {port, bad}, {}, 1, 0});
        row("read, line drops at IN-1", {true, {.drop_after = 2}, 1, {ok, port, bad}, {}, 2, 0});
        // Nothing is sent, and the port is not even opened, for a configuration not entered.
        row("IN-2 without a channel, OUT-6 not entered",
            {false, {}, 1, {INCOMPLETE_INPUT_TEXT}, {}, 0, 0, u"IN2=C- IN6=A2"_s});
    }

    void sequences()
    {
        QFETCH(Run, r);
        core().set_faults(r.faults);
        use_port(r.port);
        edit(*m_form, r.edit);
        Panel expected = m_form->panel();
        run(r.read);
        QCOMPARE(m_history, QStringList(r.read ? STARTING_READ : STARTING_WRITE) + r.history);
        const bool success = r.history.last() == READ_SUCCESSFUL || r.history.last() == PROGRAMMED;
        const bool mismatch = r.history.last() == COMMUNICATIONS_OK;
        QCOMPARE(m_form->status_background(), success ? GREEN : mismatch ? YELLOW : RED);
        QCOMPARE(m_prompts.messages.size(), r.message.isEmpty() ? 0 : 1);
        if (!r.message.isEmpty())
            QCOMPARE(m_prompts.messages[0].text, r.message);
        QCOMPARE(core().exchanges(), r.exchanges);
        // A write stops at the first store that fails.
        const int written = r.read ? 0 : r.done;
        QCOMPARE(module_bytes(), bytes_of(FULL).mid(0, written) + bytes_of(OTHER).mid(written));
        // A read clears the title first, loads each side it reads with its designation back to
        // the placeholder, and takes the loops last, from a whole read only.
        const Panel read = read_panel(image_of(OTHER));
        for (int address = 0; r.read && address < 2 * SLOT_COUNT && address <= r.done; ++address) {
            const int k = address % SLOT_COUNT + 1;
            const bool output = address >= SLOT_COUNT;
            PanelSide &side = output ? expected.slot(k).output : expected.slot(k).input;
            const PanelSide &now = output ? read.slot(k).output : read.slot(k).input;
            if (address < r.done)
                side = {now.module, now.channel, side.data_b, now.designation};
            else if (r.faults.read_values.contains(address))
                side.module = side.channel = NO_SELECTION;
        }
        if (r.read)
            expected.name.clear();
        QCOMPARE(m_form->panel(), success && r.read ? read : expected);
        QCOMPARE(m_form->Text(input_designation_box(1))->isHidden(), r.read && r.done > 0);
    }

    void second_commands_are_ignored()
    {
        Form1 &form = *m_form;
        QSignalSpy started(m_commands.get(), &DeviceCommands::sequence_started);
        use_port(0); // the port change below also ends the use of the path, once the run ends
        int clicks = 0;
        // While the write waits: the four buttons and a port change through the COM window.
        QTimer::singleShot(400ms, this, [&] {
            QVERIFY(m_commands->running());
            QTest::mouseClick(form.READ_CONFIG(), Qt::LeftButton);
            QTest::mouseClick(form.WRITE_CONFIG(), Qt::LeftButton);
            QTest::mouseClick(form.READ_FILE(), Qt::LeftButton);
            QTest::mouseClick(form.WRITE_FILE(), Qt::LeftButton);
            QVERIFY(m_prompts.file_requests.isEmpty());
            form.MENU1()->trigger();
            m_commands->dialog()->List1()->setCurrentRow(2);
            QTest::mouseClick(m_commands->dialog()->OKButton(), Qt::LeftButton);
            QCOMPARE(m_commands->port_number(), 2); // held: the open port keeps its line
            ++clicks;
        });
        run(false);
        QCOMPARE(clicks, 1);
        QCOMPARE(started.count(), 1);
        QCOMPARE(form.status_text(), PROGRAMMED);
        QCOMPARE(module_bytes(), bytes_of(FULL));
        QCOMPARE(m_commands->chosen_port().value_or(0), 3); // taken when the port closed
    }

    void window_closed_mid_sequence()
    {
        const int descriptors = open_descriptors();
        QTimer::singleShot(500ms, m_form.get(), &QWidget::close);
        run(true);
        QVERIFY(!m_form->isVisible());
        QVERIFY(core().exchanges() < 10);
        QCOMPARE(open_descriptors(), descriptors);
        m_commands->READ_CONFIG(); // nothing starts on a window that has gone
        QVERIFY(!m_commands->running());
    }

    // The emulator killed and started again between runs: a write the line dropped under, then
    // the round trip, a write and its read back, each on a fresh line.
    void module_restarted_between_sequences()
    {
        const int descriptors = open_descriptors();
        core().set_faults({.drop_after = 3});
        run(false);
        QCOMPARE(m_form->status_background(), RED);
        QVERIFY(restart_module());
        run(false);
        QCOMPARE(module_bytes(), bytes_of(FULL));
        QVERIFY(restart_module());
        edit(*m_form, OTHER);
        run(true);
        QCOMPARE(m_form->status_text(), READ_SUCCESSFUL);
        QCOMPARE(m_form->panel(), read_panel(image_of(FULL)));
        QVERIFY(restart_module());
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
        use_port(port);
        m_form->MENU1()->trigger();
        ComPortDialog *dialog = m_commands->dialog();
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        // An unconfirmed choice is forgotten: a second COM SETTINGS raises the same window afresh.
        dialog->List1()->setCurrentRow(port % 5);
        m_form->MENU1()->trigger();
        QCOMPARE(m_commands->dialog(), dialog);
        QCOMPARE(dialog->List1()->currentRow(), port - 1);
        if (choose_row >= 0)
            dialog->List1()->setCurrentRow(choose_row);
        QTest::mouseClick(ok ? dialog->OKButton() : dialog->CancelButton(), Qt::LeftButton);
        QCOMPARE(m_commands->chosen_port().value_or(0), port_after);
        QTRY_VERIFY(!m_commands->dialog()); // discarded
    }
};

QTEST_MAIN(TestDeviceSequences)
#include "tst_device_sequences.moc"
