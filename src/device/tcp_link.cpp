#include "tcp_link.h"

#include "device_constants.h"
#include "frame_text.h"
#include "line_trace.h"
#include "link_texts.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

using namespace device;

namespace
{
qint64 whole_seconds(std::chrono::milliseconds limit)
{
    return std::chrono::duration_cast<std::chrono::seconds>(limit).count();
}

// Acknowledges what arrives at once instead of waiting up to 40 ms for data to carry the
// acknowledgement. A server that answers the line settings in several small packets sends each
// only once the one before is acknowledged. The system falls back to delaying acknowledgements
// by itself, so this is asked for again after each piece.
void acknowledge_at_once(const QTcpSocket &socket)
{
    const int on = 1;
    ::setsockopt(int(socket.socketDescriptor()), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}
} // namespace

TcpLink::TcpLink(QObject *parent) : SerialLink(parent)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &TcpLink::on_deadline);
    connect(&m_socket, &QTcpSocket::connected, this, &TcpLink::on_connected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &TcpLink::read_arrived);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpLink::on_error);
    // A clean close by the far end comes as an error first; this catches any other way.
    connect(&m_socket, &QTcpSocket::disconnected, this, [this] { fail(named(CONNECTION_CLOSED)); });
}

TcpLink::~TcpLink()
{
    m_open = false;
    m_socket.abort();
}

bool TcpLink::open(const QString &device)
{
    close();
    m_device = device;
    m_address = port_address(device);
    if (m_address.scheme == PortScheme::Serial || !m_address.usable()) {
        m_error = NOT_A_NETWORK_PORT.arg(device);
        m_fault = PortFault::Other;
        qCInfo(lcLine).noquote() << device << "cannot be opened:" << m_error;
        return false;
    }
    m_open = true;
    m_error.clear();
    m_fault = PortFault::None;
    qCInfo(lcLine).noquote() << device << "connecting";
    m_deadline.start(CONNECT_TIME_LIMIT);
    m_socket.connectToHost(m_address.host, m_address.port);
    return true;
}

void TcpLink::close()
{
    if (m_open)
        qCInfo(lcLine).noquote() << device() << "closed";
    // Closed first, so that the socket's own signals while it goes are not taken for a failure.
    m_open = m_connected = m_ready = m_lost = false;
    ++m_connection;
    m_deadline.stop();
    m_socket.abort();
    m_input.clear();
}

bool TcpLink::send(const QByteArray &bytes)
{
    if (!m_open || m_lost || !m_ready) {
        if (!m_lost) {
            m_error = m_open ? named(NOT_CONNECTED) : NOT_OPEN;
            m_fault = PortFault::Other;
        }
        return false;
    }
    qCInfo(lcLine).noquote() << device() << "->" << frame_text(bytes);
    return write_to_socket(encode(bytes)) && !m_lost;
}

bool TcpLink::write_to_socket(const QByteArray &bytes)
{
    if (m_socket.write(bytes) != bytes.size()) {
        fail(named(CONNECTION_FAILED).arg(m_socket.errorString()));
        return false;
    }
    // Hand the bytes to the system now instead of on the next turn of the event loop.
    m_socket.flush();
    return true;
}

QByteArray TcpLink::take()
{
    return std::exchange(m_input, {});
}

void TcpLink::discard()
{
    const QByteArray stale = m_input + (m_lost ? QByteArray() : decode(m_socket.readAll()));
    m_input.clear();
    if (!stale.isEmpty())
        qCInfo(lcLine).noquote() << device() << "discarded" << frame_text(stale);
}

void TcpLink::fail(const QString &reason)
{
    if (!m_open || m_lost)
        return;
    // Before the line is agreed the port was never reached; after, a working line went away.
    m_fault = m_ready ? PortFault::Lost : PortFault::Unreachable;
    m_lost = true;
    m_ready = false;
    m_error = reason;
    m_deadline.stop();
    qCInfo(lcLine).noquote() << device() << "lost:" << reason;
    QMetaObject::invokeMethod(
        this,
        [this, connection = m_connection] {
            if (connection != m_connection)
                return;
            m_socket.abort();
            emit lost(m_error);
        },
        Qt::QueuedConnection);
}

QString TcpLink::named(const QString &text) const
{
    return QString(text).arg(m_address.host).arg(m_address.port);
}

void TcpLink::on_connected()
{
    m_connected = true;
    // Frames are a few bytes each, and each waits for its reply: send them at once.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    acknowledge_at_once(m_socket);
    qCInfo(lcLine).noquote() << device() << "connected";
    const QByteArray greeting = this->greeting();
    if (!greeting.isEmpty() && !write_to_socket(greeting))
        return;
    if (agreed())
        become_ready();
    else
        m_deadline.start(NEGOTIATION_TIME_LIMIT);
}

void TcpLink::on_error(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::HostNotFoundError:
        fail(HOST_NOT_FOUND.arg(m_address.host));
        break;
    case QAbstractSocket::ConnectionRefusedError:
        fail(named(CONNECTION_REFUSED));
        break;
    case QAbstractSocket::RemoteHostClosedError:
        fail(named(CONNECTION_CLOSED));
        break;
    default:
        fail(named(CONNECTION_FAILED).arg(m_socket.errorString()));
        break;
    }
}

void TcpLink::on_deadline()
{
    if (m_connected)
        fail(named(NO_AGREEMENT_IN_TIME).arg(whole_seconds(NEGOTIATION_TIME_LIMIT)));
    else
        fail(named(NO_CONNECTION_IN_TIME).arg(whole_seconds(CONNECT_TIME_LIMIT)));
}

void TcpLink::read_arrived()
{
    if (!m_ready)
        acknowledge_at_once(m_socket);
    const QByteArray piece = decode(m_socket.readAll());
    if (!m_open || m_lost)
        return;
    // Whatever came before the line was agreed is kept too: the run throws it away as stale,
    // and the log shows what the far end said (a server's "in use" message, say).
    if (!piece.isEmpty()) {
        qCInfo(lcLine).noquote() << device() << "<-" << frame_text(piece);
        m_input += piece;
    }
    if (!m_ready && m_connected && agreed())
        become_ready();
    else if (!piece.isEmpty())
        emit received();
}

void TcpLink::become_ready()
{
    m_deadline.stop();
    m_ready = true;
    qCInfo(lcLine).noquote() << device() << "ready";
    emit became_ready();
}
