#pragma once
// The main window's device commands: READ_CONFIG, WRITE_CONFIG and MENU1 (COM SETTINGS), with
// the port, Timer1 and the guard that lets only one device sequence run at a time.

#include "com_port.h"
#include "com_port_dialog.h"
#include "link_waits.h"
#include "module_exchanges.h"

#include <QObject>
#include <QPointer>

class Form1;

class DeviceCommands : public QObject
{
    Q_OBJECT

public:
    explicit DeviceCommands(Form1 &form, QObject *parent = nullptr);
    ~DeviceCommands() override;

    // True while a device read or write runs; other commands must not start meanwhile.
    bool running() const { return m_running; }
    // Connects the window's READ_CONFIG and WRITE_CONFIG buttons and its MENU1 item to these
    // commands.
    void connect_buttons();
    // The start-up port number; a change while a sequence holds the port waits for its end.
    void set_port_number(qint16 port_number);

    ComPort &port() { return m_port; }
    LinkWaits &waits() { return m_waits; }
    ModuleExchanges &exchanges() { return m_exchanges; }
    // The COM PORT SETTINGS window while it is open, else null.
    ComPortDialog *dialog() const { return m_dialog; }

public slots:
    void MENU1();
    void READ_CONFIG();
    void WRITE_CONFIG();

signals:
    void sequence_started();
    void sequence_finished();

private:
    template <typename Sequence> void run_sequence();
    void window_closing();

    Form1 &m_form;
    ComPort m_port;
    LinkWaits m_waits;
    ModuleExchanges m_exchanges;
    QPointer<ComPortDialog> m_dialog;
    bool m_running = false;
};
