#include "port_names.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <netdb.h>
#include <sys/socket.h>

namespace
{
const QString DEVICE_FOLDER = QStringLiteral("/dev");
constexpr QChar PATH_SEPARATOR = u'/';
const QString NAMED_PORT = QStringLiteral("COM%1");
const QString BUILT_IN_PORT = QStringLiteral("ttyS%1");
const QString TCP_SCHEME = QStringLiteral("tcp://");
const QString RFC2217_SCHEME = QStringLiteral("rfc2217://");
} // namespace

QString platform_port_name(qint16 port_number)
{
#ifdef Q_OS_WIN
    return NAMED_PORT.arg(port_number);
#else
    return port_name_in(DEVICE_FOLDER, port_number);
#endif
}

QString device_file(const QString &name)
{
    return QDir(DEVICE_FOLDER).filePath(name);
}

QString link_target(const QString &device)
{
    const QFileInfo info(device);
    return info.isSymLink() ? info.canonicalFilePath() : QString();
}

HostLookup look_up_host(const QString &host)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    HostLookup lookup;
    lookup.status = ::getaddrinfo(QUrl::toAce(host).constData(), nullptr, &hints, &found);
    for (const addrinfo *entry = lookup.status == 0 ? found : nullptr; entry;
         entry = entry->ai_next)
        lookup.addresses.append(QHostAddress(entry->ai_addr));
    if (found)
        ::freeaddrinfo(found);
    return lookup;
}

QString real_device(const QString &name)
{
    const QString path = name.contains(PATH_SEPARATOR) ? name : device_file(name);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? name : canonical;
}

QString port_name_in(const QString &device_folder, qint16 port_number)
{
    const QDir folder(device_folder);
    const QString named = folder.filePath(NAMED_PORT.arg(port_number));
    // exists() follows a link; a dangling one still names this port, and must not fall back to
    // whatever sits on the built-in port.
    const QFileInfo entry(named);
    if (entry.exists() || entry.isSymLink())
        return named;
    return folder.filePath(BUILT_IN_PORT.arg(port_number - 1));
}

PortAddress port_address(const QString &name)
{
    PortAddress address;
    if (name.startsWith(TCP_SCHEME, Qt::CaseInsensitive))
        address.scheme = PortScheme::Tcp;
    else if (name.startsWith(RFC2217_SCHEME, Qt::CaseInsensitive))
        address.scheme = PortScheme::Rfc2217;
    else
        return address;
    // Nothing but a host and a port: a path, a query or a user would be silently ignored.
    const QUrl url(name, QUrl::StrictMode);
    const bool bare = url.isValid() && url.path().isEmpty() && !url.hasQuery() &&
                      !url.hasFragment() && url.userInfo().isEmpty() && !url.host().isEmpty();
    if (bare && url.port() > 0) {
        address.host = url.host();
        address.port = static_cast<quint16>(url.port());
    }
    return address;
}
