#pragma once
// The station's live board over HTTP: a view of the bench's events, served to browsers while the
// station runs. It reads the station and never acts on it.

#include "board_routes.h"
#include "board_server.h"
#include "board_state.h"

#include <QObject>

class Board : public QObject
{
    Q_OBJECT

public:
    // Follows `station` from now on; `log` is the log's path as given.
    Board(const Station &station, const QString &log, const BoardLimits &limits = {},
          QObject *parent = nullptr);

    // False when the address cannot be taken (in use, not this machine's): see server().
    bool listen(const BoardAddress &address)
    {
        m_routes.set_loopback(address.loopback());
        return m_server.listen(address);
    }
    const BoardServer &server() const { return m_server; }

private:
    BoardState m_state;
    BoardRoutes m_routes;
    BoardServer m_server;
};
