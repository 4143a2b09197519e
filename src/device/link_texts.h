#pragma once
// The words a link gives when it cannot carry a run, each defined once. A network port is named
// by its host and port: %1 and %2.

#include <QString>

namespace device
{

inline const QString LINE_LOST = QStringLiteral("the line has gone away");
inline const QString NOT_OPEN = QStringLiteral("the port is not open");
inline const QString IN_USE = QStringLiteral("in use by another program");
// The same, when the lock file of the port names its holder: %1 the program, %2 its process id.
inline const QString IN_USE_BY = QStringLiteral("in use by another program (%1, process %2)");

inline const QString NOT_A_NETWORK_PORT =
    QStringLiteral("%1 is not a network port: write tcp://HOST:PORT or rfc2217://HOST:PORT");
inline const QString UNKNOWN_HOST = QStringLiteral("the host name %1 cannot be found");
inline const QString NAME_LOOKUP_FAILED =
    QStringLiteral("the host name %1 cannot be looked up: %2");
// %1 the host, %2 the limit in seconds.
inline const QString NAME_NOT_RESOLVED_IN_TIME =
    QStringLiteral("%1: the name could not be resolved within %2 seconds");
inline const QString CONNECTION_REFUSED =
    QStringLiteral("%1 port %2 refused the connection: nothing listens there");
inline const QString NO_CONNECTION_IN_TIME =
    QStringLiteral("%1 port %2 did not accept a connection within %3 seconds");
inline const QString CONNECTION_CLOSED = QStringLiteral("%1 port %2 closed the connection");
inline const QString CONNECTION_RESET_EARLY = QStringLiteral("%1 port %2 reset the connection");
inline const QString CONNECTION_FAILED = QStringLiteral("the connection to %1 port %2 failed: %3");
inline const QString NOT_CONNECTED = QStringLiteral("%1 port %2 is not connected yet");

// RFC 2217: the server must agree to binary transmission, to serial port control and to the
// module's line settings (%3: the baud rate).
inline const QString NO_AGREEMENT_IN_TIME =
    QStringLiteral("%1 port %2 did not agree to control the serial line within %3 seconds");
inline const QString REFUSED_COM_PORT =
    QStringLiteral("%1 port %2 refused to control the serial line: it is not an RFC 2217 server");
inline const QString REFUSED_BINARY =
    QStringLiteral("%1 port %2 refused binary transmission, which the module's frames need");
inline const QString REFUSED_LINE_SETTINGS =
    QStringLiteral("%1 port %2 would not set the serial line to %3 baud, 8N1");

// A network line that was working, and what ended it.
inline const QString SERVER_CLOSED = QStringLiteral("the server closed the connection");
inline const QString CONNECTION_RESET = QStringLiteral("the connection was reset");
inline const QString BINARY_STOPPED = QStringLiteral("the server stopped binary mode");
inline const QString COM_PORT_STOPPED =
    QStringLiteral("the server stopped controlling the serial line");

// A peer that would make the program hold more than it needs (%3: the limit in bytes).
inline const QString TOO_MUCH_BEFORE_AGREEMENT =
    QStringLiteral("%1 port %2 sent more than %3 bytes before agreeing on the serial line");
inline const QString NOT_READING =
    QStringLiteral("%1 port %2 does not read what the program sends to it");

// Hints at the other kind of network port: %1 a failure's words (or the host), then the name to
// try instead.
inline const QString NO_TELNET_HINT = QStringLiteral(
    "%1; it sent no telnet command: if it passes the module's bytes as they are, use %2");
inline const QString TELNET_ON_RAW_PORT =
    QStringLiteral("%1 port %2 answered with telnet commands: if it is an RFC 2217 server, use %3");

} // namespace device
