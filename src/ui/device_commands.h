#pragma once
// The main window's device commands: READ_CONFIG, WRITE_CONFIG and MENU1 (COM SETTINGS). They run
// the module session on the chosen port and show its exchanges and its end in the status line
// and the slots, in the order and with the texts the window has always shown.

#include "com_port_dialog.h"
#include "port_argument.h"
#include "port_names.h"
#include "port_session.h"

#include <QObject>
#include <QPointer>
#include <optional>

class Form1;

class DeviceCommands : public QObject
{
    Q_OBJECT

public:
    explicit DeviceCommands(Form1 &form, QObject *parent = nullptr);
    ~DeviceCommands() override;

    // True from a click on READ_CONFIG or WRITE_CONFIG until the run and its boxes have ended;
    // other commands must not start meanwhile.
    bool running() const { return m_running; }

    // The COM port number. A change while a run holds the port takes effect when it ends, and
    // ends the use of a port named on the command line.
    void set_port_number(qint16 port_number);
    qint16 port_number() const { return m_port_number; }
    // A port named on the command line: a COM number stays a number; any other port is used as
    // it was resolved until a COM number is chosen. Set before the first run.
    void set_port(const PortArgument &port);
    // The device or network port in use instead of a COM number; empty when none is.
    const QString &port_device() const { return m_port_device; }
    // The number chosen last, whether it has taken effect or still waits for the run's end;
    // nothing while a port named otherwise is in use.
    std::optional<qint16> chosen_port() const;
    // Tests point port numbers at pseudo-terminals.
    void set_port_name_map(PortNameMap map) { m_port_name_map = std::move(map); }

    ModuleSession &session() { return m_port.session(); }
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
    bool begin();
    void end();
    // What the next run opens.
    QString port_name() const;
    void on_progress(const SessionProgress &event);
    void on_finished(const SessionResult &result);
    void show_exchange(const SessionProgress &event);
    // Puts a value read at `address` into the slot it belongs to.
    void take_read_value(qint16 address, qint16 value);
    void mismatch_box(SessionKind kind);
    void report(const QString &text, bool success);
    void port_failure();
    void window_closing();

    Form1 &m_form;
    PortSession m_port;
    QPointer<ComPortDialog> m_dialog;
    PortNameMap m_port_name_map = platform_port_name;
    qint16 m_port_number;
    std::optional<qint16> m_pending_port;
    QString m_port_device;
    bool m_running = false;
    bool m_closing = false;
};
