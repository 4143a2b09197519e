#include "board_server.h"

#include "board_connection.h"

#include <QTcpSocket>

BoardServer::BoardServer(const BoardRoutes &routes, const BoardLimits &limits, QObject *parent)
    : QObject(parent), m_routes(routes), m_limits(limits)
{
    connect(&m_server, &QTcpServer::newConnection, this, &BoardServer::accept);
}

bool BoardServer::listen(const BoardAddress &address)
{
    return m_server.listen(address.host, address.port);
}

void BoardServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        const bool busy = m_served >= m_limits.connections;
        if (busy && m_refused >= m_limits.connections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        int &count = busy ? m_refused : m_served;
        ++count;
        auto *connection = new BoardConnection(socket, m_routes, m_limits.idle, busy, this);
        connect(connection, &BoardConnection::closed, this, [&count, connection] {
            --count;
            connection->deleteLater();
        });
    }
}
