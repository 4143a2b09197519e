#pragma once
// Where the board listens: a port on this machine's loopback address, or an address and a port
// as `--board` takes them ("8088", "0.0.0.0:8088", "[::1]:8088").

#include <QHostAddress>
#include <QString>
#include <optional>

struct BoardAddress {
    QHostAddress host{QHostAddress::LocalHost};
    quint16 port = 0;

    // Only this machine reaches it; from any other address the board shows the bench to the
    // network, with no password.
    bool loopback() const;
    // As a browser takes it: "127.0.0.1:8088", "[::1]:8088".
    QString text() const;
};

// The option's value: a port alone, or a literal address (IPv6 in brackets), a colon and a port;
// the port from 1 to 65535. Nothing for anything else, names included: the board never looks
// a name up.
std::optional<BoardAddress> parse_board_address(const QString &text);
