#pragma once
// The board's listening socket and its connections: at most a fixed number served at once; as
// many more are told the board is busy, and any beyond are dropped. Each is closed when idle or
// stalled. All in the station's thread; nothing here ever waits for a browser.

#include "board_address.h"
#include "board_routes.h"

#include <QTcpServer>
#include <chrono>

// How many browsers at once, and how long a connection may go without a request, or without its
// answer being taken, before it is closed.
struct BoardLimits {
    int connections = 32;
    std::chrono::milliseconds idle = std::chrono::seconds{10};
};

class BoardServer : public QObject
{
    Q_OBJECT

public:
    BoardServer(const BoardRoutes &routes, const BoardLimits &limits, QObject *parent = nullptr);

    // False when the address cannot be taken: see error() and error_string().
    bool listen(const BoardAddress &address);
    QAbstractSocket::SocketError error() const { return m_server.serverError(); }
    QString error_string() const { return m_server.errorString(); }
    quint16 port() const { return m_server.serverPort(); }

private:
    void accept();

    const BoardRoutes &m_routes;
    BoardLimits m_limits;
    QTcpServer m_server;
    int m_served = 0;
    int m_refused = 0; // being told the board is busy
};
