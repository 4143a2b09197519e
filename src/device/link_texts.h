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
inline const QString HOST_NOT_FOUND = QStringLiteral("the host name %1 cannot be found");
inline const QString CONNECTION_REFUSED =
    QStringLiteral("%1 port %2 refused the connection: nothing listens there");
inline const QString NO_CONNECTION_IN_TIME =
    QStringLiteral("%1 port %2 did not accept a connection within %3 seconds");
inline const QString CONNECTION_CLOSED = QStringLiteral("%1 port %2 closed the connection");
inline const QString CONNECTION_FAILED = QStringLiteral("the connection to %1 port %2 failed: %3");
inline const QString NOT_CONNECTED = QStringLiteral("%1 port %2 is not connected yet");

// RFC 2217: the server must agree to binary transmission, to serial port control and to the
// module's line settings (%3: the baud rate).
inline const QString NO_AGREEMENT_IN_TIME = QStringLiteral(
    "%1 port %2 did not agree to control the serial line within %3 seconds: is it an RFC 2217 "
    "server?");
inline const QString REFUSED_COM_PORT =
    QStringLiteral("%1 port %2 refused to control the serial line: it is not an RFC 2217 server");
inline const QString REFUSED_BINARY =
    QStringLiteral("%1 port %2 refused binary transmission, which the module's frames need");
inline const QString REFUSED_LINE_SETTINGS =
    QStringLiteral("%1 port %2 would not set the serial line to %3 baud, 8N1");

} // namespace device
