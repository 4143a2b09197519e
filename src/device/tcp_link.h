#pragma once
// SerialLink on a TCP connection that carries the module's bytes as they are (tcp://HOST:PORT),
// with the traffic log. Ready once connected; a link that must first agree on the line with the
// far end builds on it. Whatever the far end does, the link holds a few KiB of it at most.

#include "port_names.h"
#include "serial_link.h"

#include <QHostAddress>
#include <QList>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

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
    virtual QByteArray decode(const QByteArray &piece);
    virtual QByteArray encode(const QByteArray &bytes) { return bytes; }
    // `reason` for a connection that never agreed on the line, with whatever the far end's
    // behaviour says about the kind of port it is.
    virtual QString explained(const QString &reason) const { return reason; }

    bool write_to_socket(const QByteArray &bytes);
    // Ends the connection for `reason`; lost() follows on the next turn of the event loop, so
    // that it never comes from inside open() or the socket's own notification.
    void fail(const QString &reason);
    // `text` with the host and the port filled in.
    QString named(const QString &text) const;
    // The same host and port as a port name of the other kind.
    QString other_kind() const;

private:
    // A name lookup in progress; shared with the thread that runs it.
    struct NameLookup;

    void look_up();
    void on_resolved(quint64 connection, const QList<QHostAddress> &addresses, int status);
    void abandon_lookup();
    void connect_next();
    void on_connected();
    void on_error(QAbstractSocket::SocketError error);
    void on_deadline();
    QString closed_reason() const;
    void read_arrived();
    void read_later();
    void become_ready();

    QTcpSocket m_socket;
    // Looking up and connecting, then agreeing on the line: each must end within its own limit.
    QTimer m_deadline;
    QString m_device;
    PortAddress m_address;
    std::shared_ptr<NameLookup> m_lookup;
    QList<QHostAddress> m_addresses; // still to try
    // A second descriptor of the connected socket, to tell a reset from a close.
    int m_peer = -1;
    QByteArray m_input;
    qsizetype m_before_ready = 0; // bytes received before the line was agreed
    QByteArray m_opening;         // the connection's first bytes
    QString m_error;
    PortFault m_fault = PortFault::None;
    bool m_open = false;
    bool m_connected = false;
    bool m_ready = false;
    bool m_lost = false;
    // Counts connections, so that a failure reported late never reaches the next one.
    quint64 m_connection = 0;
};
