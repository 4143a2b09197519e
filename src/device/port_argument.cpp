#include "port_argument.h"

#include "device_constants.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QHostAddress>
#include <QSet>
#include <algorithm>
#include <future>
#include <memory>
#include <thread>

namespace
{
const QString COM_PREFIX = QStringLiteral("COM");
const QString COM_LABEL = QStringLiteral("COM%1");
constexpr QChar PATH_SEPARATOR = u'/';
// More links than this in a row is a loop.
constexpr int MAX_LINKS = 40;

bool all_digits(const QString &text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

// The addresses a host stands for: itself when it is one, else what the system looks it up to
// within `limit`; the name itself when the lookup fails or takes longer. The lookup runs on a
// thread of its own that is left behind when late, since the system's resolver cannot be
// interrupted.
QSet<QString> host_addresses(const QString &host, std::chrono::milliseconds limit)
{
    if (const QHostAddress literal(host); !literal.isNull())
        return {literal.toString()};
    auto found = std::make_shared<std::promise<QSet<QString>>>();
    std::future<QSet<QString>> lookup = found->get_future();
    std::thread([found, host] {
        QSet<QString> addresses;
        for (const QHostAddress &address : look_up_host(host).addresses)
            addresses.insert(address.toString());
        found->set_value(addresses);
    }).detach();
    if (lookup.wait_for(limit) == std::future_status::ready)
        if (QSet<QString> addresses = lookup.get(); !addresses.isEmpty())
            return addresses;
    return {host.toLower()};
}
} // namespace

std::optional<PortArgument> parse_port_argument(const QString &text, const PortNameMap &port_names)
{
    // A network port goes to its link as it was written.
    const PortAddress address = port_address(text);
    if (address.scheme != PortScheme::Serial)
        return address.usable() ? std::optional(PortArgument{text, text, {}}) : std::nullopt;
    // Made absolute here: the serial port would look for any other name under /dev.
    if (text.contains(PATH_SEPARATOR))
        return PortArgument{text, QDir::current().absoluteFilePath(text), {}};
    const QString number =
        text.startsWith(COM_PREFIX, Qt::CaseInsensitive) ? text.mid(COM_PREFIX.size()) : text;
    if (all_digits(number)) {
        const int n = number.toInt();
        if (n < device::FIRST_PORT || n > device::LAST_PORT)
            return std::nullopt;
        const auto port_number = static_cast<qint16>(n);
        return PortArgument{COM_LABEL.arg(port_number), port_names(port_number), port_number};
    }
    if (text.isEmpty())
        return std::nullopt;
    return PortArgument{text, device_file(text), {}};
}

QString resolved_path(const QString &path)
{
    QString current = QDir::current().absoluteFilePath(path);
    for (int links = 0; links < MAX_LINKS; ++links) {
        const QFileInfo info(current);
        if (info.isSymLink()) {
            current = info.symLinkTarget();
            continue;
        }
        if (info.exists())
            return info.canonicalFilePath();
        // Not there (yet): the folder it would be in, resolved, and its own name.
        const QString parent = info.absolutePath();
        if (parent == current)
            return current;
        return QDir(resolved_path(parent)).filePath(info.fileName());
    }
    return current;
}

std::optional<std::pair<int, int>> same_port(const QList<PortArgument> &ports,
                                             std::chrono::milliseconds lookup_limit)
{
    QList<PortAddress> addresses;
    QList<QString> paths;
    for (const PortArgument &port : ports) {
        addresses << port_address(port.device);
        paths << (addresses.last().scheme == PortScheme::Serial ? resolved_path(port.device)
                                                                : QString());
    }
    // Host names are looked up only where a scheme and a port number already agree.
    QHash<QString, QSet<QString>> looked_up;
    const auto hosts = [&](const QString &host) -> const QSet<QString> & {
        auto found = looked_up.find(host);
        if (found == looked_up.end())
            found = looked_up.insert(host, host_addresses(host, lookup_limit));
        return *found;
    };
    for (int i = 0; i < ports.size(); ++i)
        for (int j = i + 1; j < ports.size(); ++j) {
            const PortAddress &a = addresses[i];
            const PortAddress &b = addresses[j];
            if (a.scheme != b.scheme)
                continue;
            if (a.scheme == PortScheme::Serial
                    ? paths[i] == paths[j]
                    : a.port == b.port &&
                          (a.host == b.host || hosts(a.host).intersects(hosts(b.host))))
                return std::pair{i, j};
        }
    return std::nullopt;
}
