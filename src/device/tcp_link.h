#pragma once
// SerialLink on a TCP connection that carries the module's bytes as they are (tcp://HOST:PORT),
// with the traffic log. Ready once connected; a link that must first agree on the line with the
// far end builds on it.

#include "port_names.h"
#include "serial_link.h"

#include <QTcpSocket>
#include <QTimer>

class TcpLink : public SerialLink
{
    Q_OBJECT

public:
    explicit TcpLink(QObject *parent = nullptr);
    ~TcpLink() override;

    // Starts connecting and returns at once; became_ready() or lost() follows. False only for a
    // name that is no usable network port.
    bool open(const QString &device) override;
    void close() override;
    bool is_open() const override { return m_open; }
    bool ready() const override { return m_ready; }
    bool send(const QByteArray &bytes) override;
    qsizetype available() const override { return m_input.size(); }
    QByteArray take() override;
    void discard() override;
    QString error_string() const override { return m_error; }
    PortFault fault() const override { return m_fault; }

    // The port as it was named to open(), for the traffic log.
    QString device() const { return m_device; }

protected:
    // What a connection says first, and whether the far end has agreed to everything asked.
    virtual QByteArray greeting() { return {}; }
    virtual bool agreed() const { return true; }
    // The socket's bytes into the module's, and back. decode() may answer the far end through
    // write_to_socket() or end the connection through fail().
    virtual QByteArray decode(const QByteArray &piece) { return piece; }
    virtual QByteArray encode(const QByteArray &bytes) { return bytes; }

    bool write_to_socket(const QByteArray &bytes);
    // Ends the connection for `reason`; lost() follows on the next turn of the event loop, so
    // that it never comes from inside open() or the socket's own notification.
    void fail(const QString &reason);
    // `text` with the host and the port filled in.
    QString named(const QString &text) const;

private:
    void on_connected();
    void on_error(QAbstractSocket::SocketError error);
    void on_deadline();
    void read_arrived();
    void become_ready();

    QTcpSocket m_socket;
    // Connecting, then agreeing on the line: each must end within its own limit.
    QTimer m_deadline;
    QString m_device;
    PortAddress m_address;
    QByteArray m_input;
    QString m_error;
    PortFault m_fault = PortFault::None;
    bool m_open = false;
    bool m_connected = false;
    bool m_ready = false;
    bool m_lost = false;
    // Counts connections, so that a failure reported late never reaches the next one.
    quint64 m_connection = 0;
};
