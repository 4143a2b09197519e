#pragma once
// SerialLink on a QSerialPort: the real line, with the traffic log. The device is ours alone while
// it is open, whatever name reached it.

#include "serial_link.h"

#include <QSerialPort>

class SerialPortLink : public SerialLink
{
    Q_OBJECT

public:
    explicit SerialPortLink(QObject *parent = nullptr);
    ~SerialPortLink() override;

    bool open(const QString &device) override;
    void close() override;
    bool is_open() const override { return m_serial.isOpen(); }
    bool send(const QByteArray &bytes) override;
    qsizetype available() const override { return m_input.size(); }
    QByteArray take() override;
    void discard() override;
    QString error_string() const override { return m_error; }
    PortFault fault() const override { return m_fault; }

    // The device as it was named to open(), for the traffic log.
    QString device() const { return m_device; }

private:
    // Locks the device itself; false when another program holds it.
    bool lock_device(const QString &real_device);
    void unlock_device();
    // Records why the port cannot be opened; always false.
    bool refuse(const QString &reason, PortFault fault);
    void read_arrived();
    void on_error(QSerialPort::SerialPortError error);

    QSerialPort m_serial;
    QString m_device;
    // Everything received and not yet taken; read from the port as it arrives, so the log shows
    // each piece at the moment it came.
    QByteArray m_input;
    QString m_error;
    PortFault m_fault = PortFault::None;
    bool m_lost = false;
    // Our own descriptor on the device, holding its exclusive lock while the port is open.
    int m_lock = -1;
};
