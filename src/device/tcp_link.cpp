#include "tcp_link.h"

#include "device_constants.h"
#include "frame_text.h"
#include "line_trace.h"
#include "link_texts.h"
#include "telnet_codec.h"

#include <QMutex>
#include <QUrl>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace device;

// The system's resolver cannot be interrupted, and a process cannot end while Qt's own lookup
// threads wait for it. This lookup runs on a thread nobody waits for; the link lets go of it
// when it closes, and an answer that comes after that goes nowhere.
struct TcpLink::NameLookup {
    QMutex mutex;
    TcpLink *link = nullptr; // none once abandoned
};

namespace
{
const QString SCHEME_END = QStringLiteral("://");
const QString TCP_NAME = QStringLiteral("tcp");
const QString RFC2217_NAME = QStringLiteral("rfc2217");

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

// A connection the far end reset is closed outright; one it closed waits for our side to close.
bool was_reset(int descriptor)
{
    tcp_info info{};
    socklen_t size = sizeof info;
    return descriptor >= 0 && ::getsockopt(descriptor, IPPROTO_TCP, TCP_INFO, &info, &size) == 0 &&
           info.tcpi_state == TCP_CLOSE;
}

void close_descriptor(int &descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}
} // namespace

TcpLink::TcpLink(QObject *parent) : SerialLink(parent)
{
    m_deadline.setSingleShot(true);
    // The socket stops reading from the system once this much waits in it.
    m_socket.setReadBufferSize(INPUT_BACKLOG_LIMIT);
    connect(&m_deadline, &QTimer::timeout, this, &TcpLink::on_deadline);
    connect(&m_socket, &QTcpSocket::connected, this, &TcpLink::on_connected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &TcpLink::read_arrived);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpLink::on_error);
    // A clean close by the far end comes as an error first; this catches any other way.
    connect(&m_socket, &QTcpSocket::disconnected, this, [this] { fail(closed_reason()); });
}

TcpLink::~TcpLink()
{
    m_open = false;
    abandon_lookup();
    m_socket.abort();
    close_descriptor(m_peer);
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
    const QHostAddress literal(m_address.host);
    if (literal.isNull()) {
        look_up();
    } else {
        m_addresses = {literal};
        connect_next();
    }
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
    abandon_lookup();
    m_addresses.clear();
    m_socket.abort();
    close_descriptor(m_peer);
    m_input.clear();
    m_before_ready = 0;
    m_opening.clear();
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
    // What the system would not take stays with us: a far end that asks and never reads would
    // have it grow without end.
    if (m_socket.bytesToWrite() > SEND_BACKLOG_LIMIT) {
        fail(named(NOT_READING));
        return false;
    }
    return true;
}

QByteArray TcpLink::take()
{
    read_later();
    return std::exchange(m_input, {});
}

void TcpLink::discard()
{
    const QByteArray stale = m_input + (m_lost ? QByteArray() : decode(m_socket.readAll()));
    m_input.clear();
    if (!stale.isEmpty())
        qCInfo(lcLine).noquote() << device() << "discarded" << frame_text(stale);
}

QByteArray TcpLink::decode(const QByteArray &piece)
{
    // A telnet server opens with its negotiation; a module speaks only when asked.
    if (m_opening.size() < TelnetCodec::NEGOTIATION_START) {
        m_opening +=
            piece.first(std::min(piece.size(), TelnetCodec::NEGOTIATION_START - m_opening.size()));
        if (TelnetCodec::is_negotiation(m_opening))
            fail(named(TELNET_ON_RAW_PORT).arg(other_kind()));
    }
    return piece;
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
    abandon_lookup();
    qCInfo(lcLine).noquote() << device() << "lost:" << reason;
    QMetaObject::invokeMethod(
        this,
        [this, connection = m_connection] {
            if (connection != m_connection)
                return;
            m_socket.abort();
            close_descriptor(m_peer);
            emit lost(m_error);
        },
        Qt::QueuedConnection);
}

QString TcpLink::named(const QString &text) const
{
    return QString(text).arg(m_address.host).arg(m_address.port);
}

QString TcpLink::other_kind() const
{
    const QString &other = m_address.scheme == PortScheme::Tcp ? RFC2217_NAME : TCP_NAME;
    return other + m_device.mid(m_device.indexOf(SCHEME_END));
}

void TcpLink::look_up()
{
    m_lookup = std::make_shared<NameLookup>();
    m_lookup->link = this;
    std::thread([lookup = m_lookup, host = m_address.host, connection = m_connection] {
        const HostLookup found = look_up_host(host);
        // Posted while the link is known to exist; a link destroyed later takes the event along.
        const QMutexLocker lock(&lookup->mutex);
        if (TcpLink *link = lookup->link)
            QMetaObject::invokeMethod(
                link, [=] { link->on_resolved(connection, found.addresses, found.status); },
                Qt::QueuedConnection);
    }).detach();
}

void TcpLink::on_resolved(quint64 connection, const QList<QHostAddress> &addresses, int status)
{
    if (connection != m_connection || !m_open || m_lost)
        return;
    m_lookup.reset();
    if (status == EAI_NONAME || status == EAI_NODATA || status == EAI_FAIL ||
        (status == 0 && addresses.isEmpty())) {
        fail(UNKNOWN_HOST.arg(m_address.host));
        return;
    }
    if (status != 0) {
        fail(
            NAME_LOOKUP_FAILED.arg(m_address.host, QString::fromLocal8Bit(::gai_strerror(status))));
        return;
    }
    m_addresses = addresses;
    connect_next();
}

void TcpLink::abandon_lookup()
{
    if (!m_lookup)
        return;
    const QMutexLocker lock(&m_lookup->mutex);
    m_lookup->link = nullptr;
    m_lookup.reset();
}

void TcpLink::connect_next()
{
    m_socket.abort();
    m_socket.connectToHost(m_addresses.takeFirst(), m_address.port);
}

void TcpLink::on_connected()
{
    m_connected = true;
    m_addresses.clear();
    m_peer = ::fcntl(int(m_socket.socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    // Frames are a few bytes each, and each waits for its reply: send them at once. The system
    // needs no more room for them than the link keeps, so a far end that does not read is soon
    // found out.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket.setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, int(SEND_BACKLOG_LIMIT));
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
    // A name may stand for several addresses; the next is tried from the event loop, outside
    // the socket's own notification.
    if (!m_connected && !m_addresses.isEmpty()) {
        QMetaObject::invokeMethod(
            this,
            [this, connection = m_connection] {
                if (connection == m_connection && m_open && !m_lost)
                    connect_next();
            },
            Qt::QueuedConnection);
        return;
    }
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        fail(named(CONNECTION_REFUSED));
        break;
    case QAbstractSocket::RemoteHostClosedError:
        fail(closed_reason());
        break;
    default:
        fail(named(CONNECTION_FAILED).arg(m_socket.errorString()));
        break;
    }
}

void TcpLink::on_deadline()
{
    if (m_lookup)
        fail(NAME_NOT_RESOLVED_IN_TIME.arg(m_address.host).arg(whole_seconds(CONNECT_TIME_LIMIT)));
    else if (m_connected)
        fail(explained(named(NO_AGREEMENT_IN_TIME).arg(whole_seconds(NEGOTIATION_TIME_LIMIT))));
    else
        fail(named(NO_CONNECTION_IN_TIME).arg(whole_seconds(CONNECT_TIME_LIMIT)));
}

// Qt reads a reset as a close and lets go of its descriptor before it says so; the second
// descriptor still shows which it was.
QString TcpLink::closed_reason() const
{
    const bool reset = was_reset(m_peer);
    if (m_ready)
        return reset ? CONNECTION_RESET : SERVER_CLOSED;
    return named(reset ? CONNECTION_RESET_EARLY : CONNECTION_CLOSED);
}

void TcpLink::read_arrived()
{
    if (!m_open || m_lost)
        return;
    if (!m_ready)
        acknowledge_at_once(m_socket);
    // The socket holds no more than INPUT_BACKLOG_LIMIT. Once the run holds as much, the socket is
    // left to fill, and then the system's buffers, and the far end waits. Before the line is
    // agreed, the far end may not send that much at all.
    if (m_ready && m_input.size() >= INPUT_BACKLOG_LIMIT)
        return;
    const QByteArray raw = m_socket.readAll();
    if (raw.isEmpty())
        return;
    if (!m_ready)
        m_before_ready += raw.size();
    const QByteArray piece = decode(raw);
    if (!m_open || m_lost)
        return;
    if (!m_ready && !agreed() && m_before_ready > AGREEMENT_INPUT_LIMIT) {
        fail(explained(named(TOO_MUCH_BEFORE_AGREEMENT).arg(AGREEMENT_INPUT_LIMIT)));
        return;
    }
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

// The socket signals new bytes only, not those it already holds.
void TcpLink::read_later()
{
    if (m_socket.bytesAvailable() > 0)
        QMetaObject::invokeMethod(
            this,
            [this, connection = m_connection] {
                if (connection == m_connection)
                    read_arrived();
            },
            Qt::QueuedConnection);
}

void TcpLink::become_ready()
{
    m_deadline.stop();
    m_ready = true;
    qCInfo(lcLine).noquote() << device() << "ready";
    emit became_ready();
}
