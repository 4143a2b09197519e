#pragma once
// The link to whatever a port name names: a serial device, or a network port (tcp:// or
// rfc2217://), chosen on each open().

#include "rfc2217_link.h"
#include "serial_port_link.h"
#include "tcp_link.h"

class AnyPortLink : public SerialLink
{
    Q_OBJECT

public:
    explicit AnyPortLink(QObject *parent = nullptr);

    bool open(const QString &device) override;
    void close() override { m_active->close(); }
    bool is_open() const override { return m_active->is_open(); }
    bool ready() const override { return m_active->ready(); }
    bool send(const QByteArray &bytes) override { return m_active->send(bytes); }
    qsizetype available() const override { return m_active->available(); }
    QByteArray take() override { return m_active->take(); }
    void discard() override { m_active->discard(); }
    QString error_string() const override { return m_active->error_string(); }
    PortFault fault() const override { return m_active->fault(); }

private:
    SerialPortLink m_serial;
    TcpLink m_tcp;
    Rfc2217Link m_rfc2217;
    SerialLink *m_active = &m_serial;
};
