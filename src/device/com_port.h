#pragma once
// The serial port as the window's routines use it: port number, line settings, open and close,
// send, count and take received characters. Every failure is raised as a DeviceError.

#include "port_names.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <optional>

class ComPort : public QObject
{
    Q_OBJECT

public:
    explicit ComPort(QObject *parent = nullptr);
    ~ComPort() override;

    // Tests point port numbers at pseudo-terminals.
    void set_port_name_map(PortNameMap map) { m_port_name_map = std::move(map); }
    QString device_name() const { return m_port_name_map(m_comm_port); }

    // The port number the next open uses. A change asked for while the port is open would pull
    // the line from under the running exchange, so it is held until the port closes.
    qint16 CommPort() const { return m_comm_port; }
    void setCommPort(qint16 port_number);
    // The number chosen last, whether it has taken effect or still waits for the close.
    qint16 chosen_port() const { return m_pending_port.value_or(m_comm_port); }
    bool change_pending() const { return m_pending_port.has_value(); }

    // "baud,parity,data bits,stop bits" as in "9600,N,8,1", used by the next open.
    void setSettings(const QString &settings);

    // True from a successful open until the close, even when the line has gone meanwhile.
    bool PortOpen() const { return m_open; }
    // Opening fails when the device is missing or in use; closing a closed port is no error.
    void setPortOpen(bool open);

    // Sends every byte in order.
    void Output(const QByteArray &bytes);
    // Characters received and not yet taken.
    qint16 InBufferCount() const;
    // Takes every character received so far.
    QByteArray Input();
    // Throws away what has been received, in our buffer and in the driver's.
    void discard_input();

    // Whether the line vanished while the port was open (far end closed, adapter pulled).
    bool line_lost() const { return m_line_lost; }

signals:
    // The line vanished while the port was open; the port has stopped listening to it.
    void line_dropped();
    // The port number in use changed (at once, or when a held change took effect).
    void port_changed(qint16 port_number);

private:
    void on_error(QSerialPort::SerialPortError error);
    void require_usable() const;

    QSerialPort m_serial;
    PortNameMap m_port_name_map = platform_port_name;
    qint16 m_comm_port = 1;
    std::optional<qint16> m_pending_port;
    QString m_settings;
    bool m_open = false;
    bool m_line_lost = false;
};
