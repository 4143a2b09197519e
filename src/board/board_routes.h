#pragma once
// What the board answers: the page, its style and script (compiled in), and the station's state
// as JSON, to GET and HEAD of exactly those paths; every other request is refused with its status.

#include "board_state.h"
#include "http_request.h"

#include <QByteArray>

class BoardRoutes
{
public:
    // The whole response, and whether the connection closes after it.
    struct Answer {
        QByteArray bytes;
        bool close = false;
    };

    explicit BoardRoutes(const BoardState &state);

    Answer answer(const HttpRequest &request) const;
    // Listening on a loopback address, only a page this machine names by a loopback address or
    // "localhost" is answered: another site's page that reached here under a name of its own
    // (DNS rebinding) is refused.
    void set_loopback(bool loopback) { m_loopback = loopback; }
    // A head longer than the board reads, and a connection beyond the limit: both then closed.
    static QByteArray too_large();
    static QByteArray busy();

private:
    const BoardState &m_state;
    QByteArray m_page, m_style, m_script;
    bool m_loopback = true;
};
