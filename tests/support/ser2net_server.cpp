#include "ser2net_server.h"

#include <QFile>
#include <QTcpServer>

using namespace Qt::StringLiterals;

namespace
{

const QString HOST = u"127.0.0.1"_s;
// %1 host, %2 raw port, %3 RFC 2217 port, %4 device, %5 options.
const QString CONFIGURATION = uR"(%YAML 1.1
---
connection: &raw
  accepter: tcp,%1,%2
  connector: serialdev,%4,9600n81,local
%5connection: &rfc2217
  accepter: telnet(rfc2217),tcp,%1,%3
  connector: serialdev,%4,9600n81,local
%5)"_s;

} // namespace

bool Ser2netServer::start(const QString &device, const QStringList &options)
{
    {
        // Two ports nobody listens on just now, held at once so that they differ.
        QTcpServer raw, rfc2217;
        if (!raw.listen(QHostAddress::LocalHost) || !rfc2217.listen(QHostAddress::LocalHost))
            return false;
        m_raw_port = raw.serverPort();
        m_rfc2217_port = rfc2217.serverPort();
    }
    const QString block =
        options.isEmpty() ? QString() : u"  options:\n    "_s + options.join(u"\n    ") + u'\n';
    QFile configuration(m_folder.filePath(u"ser2net.yaml"_s));
    if (!configuration.open(QIODevice::WriteOnly) || configuration.write(CONFIGURATION.arg(HOST)
                                                                             .arg(m_raw_port)
                                                                             .arg(m_rfc2217_port)
                                                                             .arg(device, block)
                                                                             .toUtf8()) < 0)
        return false;
    configuration.close();
    // -n: in the foreground; -u: no UUCP lock files, which only root may write.
    m_process.start(u"ser2net"_s, {u"-n"_s, u"-u"_s, u"-c"_s, configuration.fileName(), u"-P"_s,
                                   m_folder.filePath(u"ser2net.pid"_s)});
    return m_process.waitForStarted();
}

bool Ser2netServer::listening() const
{
    QFile table(u"/proc/net/tcp"_s);
    int found = 0;
    // Lines "sl local_address rem_address st ...": 0100007F:PORT in hexadecimal, 0A listening.
    for (const QByteArray &line :
         table.open(QIODevice::ReadOnly) ? table.readAll().split('\n') : QList<QByteArray>()) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        const quint16 port = fields.value(1).split(':').value(1).toUShort(nullptr, 16);
        found += fields.value(3) == "0A" && (port == m_raw_port || port == m_rfc2217_port);
    }
    return found == 2;
}

QString Ser2netServer::url(QStringView scheme, quint16 port)
{
    return scheme.toString() + HOST + u':' + QString::number(port);
}

void Ser2netServer::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}
