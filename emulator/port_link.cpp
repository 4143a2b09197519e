#include "port_link.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace emulator
{

namespace
{

QString system_error()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

PortLink::~PortLink()
{
    remove();
}

bool PortLink::create(const QString &link_path, const QString &target)
{
    const QFileInfo existing(link_path);
    const bool ours = is_active() && link_path == m_path;
    if (existing.isSymLink() || existing.exists()) {
        const bool dangling = existing.isSymLink() && !QFileInfo::exists(link_path);
        if (!ours && !dangling) {
            m_error = existing.isSymLink()
                          ? QStringLiteral("%1 already points to %2; remove it first")
                                .arg(link_path, existing.symLinkTarget())
                          : QStringLiteral("%1 already exists and is not a link").arg(link_path);
            return false;
        }
    }
    if (is_active() && !ours)
        remove();

    // Made under a temporary name and renamed over the old one, so the path never vanishes.
    const QByteArray native_link = QFile::encodeName(link_path);
    const QByteArray temporary =
        native_link + ".new-" + QByteArray::number(QCoreApplication::applicationPid());
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(target).constData(), temporary.constData()) != 0 ||
        ::rename(temporary.constData(), native_link.constData()) != 0) {
        m_error = QStringLiteral("cannot create %1: %2").arg(link_path, system_error());
        ::unlink(temporary.constData());
        return false;
    }
    m_path = link_path;
    m_target = target;
    m_error.clear();
    return true;
}

void PortLink::remove()
{
    if (!is_active())
        return;
    // Someone may have replaced it meanwhile; only our own link goes.
    const QFileInfo link(m_path);
    if (link.isSymLink() && link.symLinkTarget() == m_target)
        ::unlink(QFile::encodeName(m_path).constData());
    m_target.clear();
}

} // namespace emulator
