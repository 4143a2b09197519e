#include "port_argument.h"

#include "device_constants.h"

#include <QFileInfo>

namespace
{
const QString COM_PREFIX = QStringLiteral("COM");
const QString COM_LABEL = QStringLiteral("COM%1");
constexpr QChar PATH_SEPARATOR = u'/';

// The device itself, so that a link and what it points to compare equal.
QString identity_of(const QString &device)
{
    const QFileInfo info(device);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}
} // namespace

std::optional<PortArgument> parse_port_argument(const QString &text, const PortNameMap &port_names)
{
    if (text.contains(PATH_SEPARATOR))
        return PortArgument{text, text};
    QString number = text;
    if (number.startsWith(COM_PREFIX, Qt::CaseInsensitive))
        number = number.mid(COM_PREFIX.size());
    bool ok = false;
    const int n = number.toInt(&ok);
    if (!ok || n < device::FIRST_PORT || n > device::LAST_PORT)
        return std::nullopt;
    const auto port_number = static_cast<qint16>(n);
    return PortArgument{COM_LABEL.arg(port_number), port_names(port_number)};
}

std::optional<std::pair<int, int>> same_port(const QList<PortArgument> &ports)
{
    for (int i = 0; i < ports.size(); ++i)
        for (int j = i + 1; j < ports.size(); ++j)
            if (identity_of(ports[i].device) == identity_of(ports[j].device))
                return std::pair{i, j};
    return std::nullopt;
}
