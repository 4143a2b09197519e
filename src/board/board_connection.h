#pragma once
// One browser's connection to the board: requests read one at a time, each answered whole before
// the next is read, so what waits for a slow reader is one response at most. Closed when no
// request comes, or the answer does not drain, for a while.

#include "board_routes.h"

#include <QObject>
#include <QTimer>
#include <chrono>

class QTcpSocket;

class BoardConnection : public QObject
{
    Q_OBJECT

public:
    // Takes the socket over. A busy connection is one beyond the limit: whatever it asks is
    // answered with "busy".
    BoardConnection(QTcpSocket *socket, const BoardRoutes &routes,
                    std::chrono::milliseconds idle_limit, bool busy, QObject *parent = nullptr);

signals:
    // The connection is over, by either side; it may be deleted now.
    void closed();

private:
    void serve();
    void written();
    void answer(const QByteArray &bytes, bool close);
    void close_now();

    QTcpSocket *m_socket;
    const BoardRoutes &m_routes;
    std::chrono::milliseconds m_idle_limit;
    bool m_busy;
    QTimer m_idle;
    QByteArray m_buffer;
    bool m_closing = false; // the last answer is going out; what comes in is discarded
    bool m_closed = false;
};
