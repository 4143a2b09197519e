#include "port_argument.h"

#include "device_constants.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace
{
const QString COM_PREFIX = QStringLiteral("COM");
const QString COM_LABEL = QStringLiteral("COM%1");
constexpr QChar PATH_SEPARATOR = u'/';

// The device itself, so that a link and what it points to compare equal.
QString identity_of(const QString &device)
{
    const QString canonical = QFileInfo(device).canonicalFilePath();
    return canonical.isEmpty() ? device : canonical;
}

bool all_digits(const QString &text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
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

std::optional<std::pair<int, int>> same_port(const QList<PortArgument> &ports)
{
    for (int i = 0; i < ports.size(); ++i)
        for (int j = i + 1; j < ports.size(); ++j)
            if (identity_of(ports[i].device) == identity_of(ports[j].device))
                return std::pair{i, j};
    return std::nullopt;
}
