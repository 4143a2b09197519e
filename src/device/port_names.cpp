#include "port_names.h"

#include <QDir>
#include <QFileInfo>

namespace
{
const QString DEVICE_FOLDER = QStringLiteral("/dev");
const QString NAMED_PORT = QStringLiteral("COM%1");
const QString BUILT_IN_PORT = QStringLiteral("ttyS%1");
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
