#include "board_connection.h"

#include <QTcpSocket>
#include <sys/socket.h>

namespace
{
// Far beyond a browser's request for one of four paths; a head that has not ended by then never
// will.
constexpr qsizetype MAX_HEAD_BYTES = 8 * 1024;
} // namespace

BoardConnection::BoardConnection(QTcpSocket *socket, const BoardRoutes &routes,
                                 std::chrono::milliseconds idle_limit, bool busy, QObject *parent)
    : QObject(parent), m_socket(socket), m_routes(routes), m_idle_limit(idle_limit), m_busy(busy)
{
    m_socket->setParent(this);
    // What a client sends while it is not being read stays in the system's buffers, not ours.
    m_socket->setReadBufferSize(MAX_HEAD_BYTES);
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this, &BoardConnection::close_now);
    connect(m_socket, &QTcpSocket::readyRead, this, &BoardConnection::serve);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &BoardConnection::written);
    connect(m_socket, &QTcpSocket::disconnected, this, &BoardConnection::close_now);
    m_idle.start(m_idle_limit);
    serve();
}

void BoardConnection::serve()
{
    if (m_closing) {
        m_socket->readAll();
        return;
    }
    // One answer at a time: the next request is read once this one has gone out.
    while (!m_closing && m_socket->bytesToWrite() == 0) {
        m_buffer += m_socket->read(MAX_HEAD_BYTES + 1 - m_buffer.size());
        const qsizetype end = request_head_end(m_buffer);
        if (end < 0) {
            if (m_buffer.size() > MAX_HEAD_BYTES)
                answer(BoardRoutes::too_large(), true);
            return;
        }
        const HttpRequest request = parse_request_head(m_buffer.left(end));
        m_buffer.remove(0, end);
        if (m_busy) {
            answer(BoardRoutes::busy(), true);
        } else {
            const BoardRoutes::Answer routed = m_routes.answer(request);
            answer(routed.bytes, routed.close);
        }
    }
}

void BoardConnection::answer(const QByteArray &bytes, bool close)
{
    m_socket->write(bytes);
    m_closing = close;
    // The limit runs from here again: for this answer to drain, then for the next request.
    m_idle.start(m_idle_limit);
}

void BoardConnection::written()
{
    // A reader that takes something is not stalled.
    m_idle.start(m_idle_limit);
    if (m_socket->bytesToWrite() > 0)
        return;
    if (!m_closing) {
        serve();
        return;
    }
    // Our side ends here; the browser's ends once it has read the answer. Closing at once would
    // reset the connection over anything it sent meanwhile, and take the answer with it.
    ::shutdown(static_cast<int>(m_socket->socketDescriptor()), SHUT_WR);
    serve();
}

void BoardConnection::close_now()
{
    if (m_closed)
        return;
    m_closed = true;
    m_idle.stop();
    m_socket->abort();
    emit closed();
}
