#include "board_address.h"

#include <QRegularExpression>
#include <limits>

namespace
{
constexpr QChar PORT_SEPARATOR = u':';
constexpr QChar OPEN_BRACKET = u'[';
constexpr QChar CLOSE_BRACKET = u']';
const QString AUTHORITY = QStringLiteral("%1:%2");
const QString BRACKETED = QStringLiteral("[%1]");
constexpr uint MAX_PORT = std::numeric_limits<quint16>::max();

std::optional<quint16> port_number(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const uint port = text.toUInt();
    if (port == 0 || port > MAX_PORT)
        return std::nullopt;
    return static_cast<quint16>(port);
}
} // namespace

bool BoardAddress::loopback() const
{
    // An IPv4 address written as IPv6 (::ffff:127.0.0.1) is still that address.
    bool mapped = false;
    const quint32 ipv4 = host.toIPv4Address(&mapped);
    return host.isLoopback() || (mapped && QHostAddress(ipv4).isLoopback());
}

QString BoardAddress::text() const
{
    const QString address = host.toString();
    return AUTHORITY
        .arg(host.protocol() == QAbstractSocket::IPv6Protocol ? BRACKETED.arg(address) : address)
        .arg(port);
}

std::optional<BoardAddress> parse_board_address(const QString &text)
{
    BoardAddress address;
    const qsizetype separator = text.lastIndexOf(PORT_SEPARATOR);
    const auto port = port_number(separator < 0 ? text : text.mid(separator + 1));
    if (!port)
        return std::nullopt;
    address.port = *port;
    if (separator < 0)
        return address;
    QString host = text.left(separator);
    const bool bracketed = host.startsWith(OPEN_BRACKET) && host.endsWith(CLOSE_BRACKET);
    if (bracketed)
        host = host.mid(1, host.size() - 2);
    // An IPv6 address outside brackets cannot be told from its port; IPv4 never goes in them.
    if (host.contains(PORT_SEPARATOR) != bracketed || !address.host.setAddress(host))
        return std::nullopt;
    return address;
}
