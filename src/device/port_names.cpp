#include "port_names.h"

#include <QFileInfo>

QString platform_port_name(qint16 port_number)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port_number);
#else
    const QString link = QStringLiteral("/dev/COM%1").arg(port_number);
    if (QFileInfo::exists(link))
        return link;
    return QStringLiteral("/dev/ttyS%1").arg(port_number - 1);
#endif
}
