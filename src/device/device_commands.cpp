#include "device_commands.h"

#include "com_port_dialog.h"
#include "form1.h"
#include "read_sequence.h"
#include "write_sequence.h"

#include <QAction>
#include <QPushButton>
#include <QScopeGuard>

DeviceCommands::DeviceCommands(Form1 &form, QObject *parent)
    : QObject(parent), m_form(form), m_waits(form.config(), m_port),
      m_exchanges(form, m_port, m_waits)
{
    connect(&form, &Form1::closing, this, &DeviceCommands::window_closing);
}

DeviceCommands::~DeviceCommands()
{
    delete m_dialog;
}

void DeviceCommands::connect_buttons()
{
    connect(m_form.READ_CONFIG(), &QPushButton::clicked, this, &DeviceCommands::READ_CONFIG);
    connect(m_form.WRITE_CONFIG(), &QPushButton::clicked, this, &DeviceCommands::WRITE_CONFIG);
    connect(m_form.MENU1(), &QAction::triggered, this, &DeviceCommands::MENU1);
}

void DeviceCommands::set_port_number(qint16 port_number)
{
    m_port.setCommPort(port_number);
}

void DeviceCommands::MENU1()
{
    if (!m_dialog) {
        m_dialog = new ComPortDialog(&m_form);
        m_dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_dialog, &ComPortDialog::port_chosen, this, &DeviceCommands::set_port_number);
    }
    // A change held for the end of a running sequence is what the operator chose last.
    m_dialog->prepare(m_port.chosen_port());
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void DeviceCommands::READ_CONFIG()
{
    run_sequence<ReadSequence>();
}

void DeviceCommands::WRITE_CONFIG()
{
    run_sequence<WriteSequence>();
}

template <typename Sequence> void DeviceCommands::run_sequence()
{
    // A click that arrives while a sequence waits is ignored: the port and the window's
    // variables belong to the running one.
    if (m_running || m_waits.aborted())
        return;
    m_running = true;
    const auto done = qScopeGuard([this] {
        m_running = false;
        emit sequence_finished();
    });
    emit sequence_started();
    Sequence sequence(m_form, m_port, m_waits, m_exchanges);
    sequence.run();
}

void DeviceCommands::window_closing()
{
    if (m_dialog)
        m_dialog->close();
    // Ends the running sequence at its next turn of the event loop; once the window has gone
    // no new one starts.
    m_waits.abort();
}
