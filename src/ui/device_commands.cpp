#include "device_commands.h"

#include "device_constants.h"
#include "form1.h"
#include "panel_gathering.h"
#include "panel_loading.h"
#include "prompts.h"
#include "ui_constants.h"

#include <QLineEdit>

DeviceCommands::DeviceCommands(Form1 &form, QObject *parent)
    : QObject(parent), m_form(form), m_port_number(device::START_PORT)
{
    connect(&session(), &ModuleSession::progress, this, &DeviceCommands::on_progress);
    connect(&session(), &ModuleSession::finished, this, &DeviceCommands::on_finished);
    connect(&form, &Form1::closing, this, &DeviceCommands::window_closing);
}

DeviceCommands::~DeviceCommands()
{
    delete m_dialog;
}

void DeviceCommands::set_port_number(qint16 port_number)
{
    // The running run keeps the line it opened.
    if (m_running) {
        m_pending_port = port_number;
    } else {
        m_port_number = port_number;
        m_port_device.clear();
    }
}

void DeviceCommands::set_port(const PortArgument &port)
{
    if (port.com_number) {
        set_port_number(*port.com_number);
        return;
    }
    m_pending_port.reset();
    m_port_device = port.device;
}

std::optional<qint16> DeviceCommands::chosen_port() const
{
    if (m_pending_port)
        return m_pending_port;
    if (!m_port_device.isEmpty())
        return std::nullopt;
    return m_port_number;
}

QString DeviceCommands::port_name() const
{
    return m_port_device.isEmpty() ? m_port_name_map(m_port_number) : m_port_device;
}

void DeviceCommands::MENU1()
{
    if (!m_dialog) {
        m_dialog = new ComPortDialog(&m_form);
        m_dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_dialog, &ComPortDialog::port_chosen, this, &DeviceCommands::set_port_number);
    }
    // A change held for the end of a running run is what the operator chose last.
    m_dialog->prepare(chosen_port());
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

// Starting and ending ---------------------------------------------------------------------------

bool DeviceCommands::begin()
{
    // A click that arrives while a run goes on is ignored: the port and the window's variables
    // belong to the running one. Once the window has gone, nothing starts.
    if (m_running || m_closing)
        return false;
    m_running = true;
    emit sequence_started();
    return true;
}

void DeviceCommands::end()
{
    m_running = false;
    if (m_pending_port)
        set_port_number(*std::exchange(m_pending_port, std::nullopt));
    emit sequence_finished();
}

void DeviceCommands::READ_CONFIG()
{
    if (!begin())
        return;
    m_form.set_busy(true);
    m_form.show_status(ui::STARTING_READ, ui::YELLOW);
    m_form.Text(ui::PANEL_NAME_BOX)->setText(QString());
    session().read(port_name());
}

void DeviceCommands::WRITE_CONFIG()
{
    if (!begin())
        return;
    m_form.show_status(ui::STARTING_WRITE, ui::YELLOW);
    // Taken once, now, so that toggles pressed while the write runs cannot mix two
    // configurations in the module.
    const Panel panel = m_form.panel();
    const std::optional<ModuleImage> image = image_to_write(panel);
    // Nothing is sent, and the port is not even opened, for a configuration not entered.
    if (!image) {
        report(incomplete_sides(panel).first().output ? INCOMPLETE_OUTPUT_TEXT
                                                      : INCOMPLETE_INPUT_TEXT,
               false);
        end();
        return;
    }
    session().write(port_name(), *image);
}

void DeviceCommands::window_closing()
{
    if (m_dialog)
        m_dialog->close();
    m_closing = true;
    session().abort();
}

// What each exchange shows ----------------------------------------------------------------------

void DeviceCommands::on_progress(const SessionProgress &event)
{
    show_exchange(event);
    // A slot shows what the module sent for it, even a value the read refuses; a reply that
    // carried no value leaves the slot as it was.
    if (event.kind == SessionKind::Read && event.step == SessionStep::Configuration && event.value)
        take_read_value(event.address, *event.value);
}

void DeviceCommands::show_exchange(const SessionProgress &event)
{
    if (event.step == SessionStep::Handshake)
        return;
    // A store's read-back colours the line; the reads only make sure it is shown.
    const bool store = event.kind == SessionKind::Write && event.step == SessionStep::Configuration;
    if (!store)
        m_form.show_status_line();
    switch (event.status) {
    case ExchangeStatus::Ok:
        if (store)
            m_form.set_status_background(ui::YELLOW);
        m_form.set_status_text(ui::COMMUNICATIONS_OK);
        break;
    case ExchangeStatus::Corrupted:
    case ExchangeStatus::NoNumber:
        m_form.set_status_text(ui::COMMUNICATIONS_CORRUPTED);
        break;
    case ExchangeStatus::OutOfRange:
        m_form.set_status_text(ui::DATA_OUT_OF_RANGE);
        break;
    case ExchangeStatus::FailedToVerify:
        m_form.set_status_text(ui::DATA_FAILED_TO_VERIFY);
        break;
    case ExchangeStatus::Overflow:
        // A number too large for the window's variables fails like the port.
        port_failure();
        break;
    case ExchangeStatus::NotAcknowledged:
        break;
    }
}

void DeviceCommands::take_read_value(qint16 address, qint16 value)
{
    // The loop bytes reach the toggles together, once the whole read has succeeded.
    const MemoryCell &cell = memory_map()[static_cast<std::size_t>(address)];
    if (cell.content == CellContent::LoopByte)
        return;
    const bool output = cell.content == CellContent::OutputPointCode;
    if (!m_form.load_side(cell.slot, output, side_positions(value, output)))
        port_failure();
    m_form.set_designation(cell.slot, output, DESIGNATION_PLACEHOLDER, false);
}

// What the end shows ----------------------------------------------------------------------------

void DeviceCommands::on_finished(const SessionResult &result)
{
    const bool read = result.kind == SessionKind::Read;
    switch (result.outcome) {
    case SessionOutcome::Success:
        if (read) {
            m_form.apply_loops(read_panel(result.image));
            // Releasing a hidden toggle recolours its list; an "N/A" input stays grey.
            m_form.grey_unassigned_inputs();
        }
        report(read ? ui::READ_SUCCESSFUL : ui::PROGRAMMED, true);
        break;
    case SessionOutcome::NoAnswer:
        // An identity read that got nothing has always ended on the bad-data text here.
        report(result.step == SessionStep::Identity ? ui::BAD_DATA : ui::FAILED_TO_RESPOND, false);
        break;
    case SessionOutcome::PortFailure:
        port_failure();
        // The steps after a port failure run on, each failing in turn, to the ending of the
        // step where the line was lost. Nothing was read there, so no slot changes.
        report(result.step == SessionStep::Identity || result.step == SessionStep::Configuration
                   ? ui::BAD_DATA
                   : ui::FAILED_TO_RESPOND,
               false);
        break;
    case SessionOutcome::WrongModule:
        mismatch_box(result.kind);
        break;
    case SessionOutcome::BadData:
        // An identity that was not read proves nothing about the module's kind either way.
        report(ui::BAD_DATA, false);
        break;
    case SessionOutcome::Aborted:
        break;
    }
    if (read)
        m_form.set_busy(false);
    end();
}

void DeviceCommands::mismatch_box(SessionKind kind)
{
    m_form.prompts().message(ui::MISMATCH_TITLE,
                             kind == SessionKind::Read ? ui::READ_MISMATCH : ui::WRITE_MISMATCH);
}

void DeviceCommands::report(const QString &text, bool success)
{
    m_form.show_status(text, success ? ui::GREEN : ui::RED);
}

void DeviceCommands::port_failure()
{
    m_form.show_status(ui::INCORRECT_PORT_SETTINGS, ui::RED);
}
