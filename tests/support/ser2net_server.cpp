#include "ser2net_server.h"

#include <QFile>
#include <QTcpServer>

namespace
{

const QString PROGRAM = QStringLiteral("ser2net");
const QString HOST = QStringLiteral("127.0.0.1");
// -n: stay in the foreground; -u: no UUCP lock files, which live in a folder only root may
// write to; -c, -P: the configuration and the pid file, in our own folder.
const QString CONFIGURATION = QStringLiteral(R"(%YAML 1.1
---
connection: &raw
  accepter: tcp,%1,%2
  connector: serialdev,%4,9600n81,local
%5connection: &rfc2217
  accepter: telnet(rfc2217),tcp,%1,%3
  connector: serialdev,%4,9600n81,local
%5)");
const QString OPTIONS = QStringLiteral("  options:\n");
const QString OPTION = QStringLiteral("    %1\n");
const QString LISTENING_STATE = QStringLiteral("0A");
const QString TCP_TABLE = QStringLiteral("/proc/net/tcp");

// A port nobody listens on just now.
quint16 free_port()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

} // namespace

Ser2netServer::~Ser2netServer()
{
    kill();
}

bool Ser2netServer::start(const QString &device, const QStringList &options)
{
    m_raw_port = free_port();
    m_rfc2217_port = free_port();
    if (!m_folder.isValid() || m_raw_port == 0 || m_rfc2217_port == 0) {
        m_error = QStringLiteral("no temporary folder or no free port");
        return false;
    }
    const QString configuration = m_folder.filePath(QStringLiteral("ser2net.yaml"));
    QString option_lines = options.isEmpty() ? QString() : OPTIONS;
    for (const QString &option : options)
        option_lines += OPTION.arg(option);
    QFile file(configuration);
    if (!file.open(QIODevice::WriteOnly) || file.write(CONFIGURATION.arg(HOST)
                                                           .arg(m_raw_port)
                                                           .arg(m_rfc2217_port)
                                                           .arg(device, option_lines)
                                                           .toUtf8()) < 0) {
        m_error = file.errorString();
        return false;
    }
    file.close();
    m_process.start(PROGRAM, {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"),
                              configuration, QStringLiteral("-P"),
                              m_folder.filePath(QStringLiteral("ser2net.pid"))});
    if (!m_process.waitForStarted()) {
        m_error = m_process.errorString();
        return false;
    }
    return true;
}

bool Ser2netServer::listening() const
{
    QFile table(TCP_TABLE);
    if (!table.open(QIODevice::ReadOnly))
        return false;
    int found = 0;
    // "sl local_address rem_address st ...", the local address as 0100007F:PORT in hexadecimal.
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 4 || QString::fromLatin1(fields[3]) != LISTENING_STATE)
            continue;
        const quint16 port = fields[1].split(':').value(1).toUShort(nullptr, 16);
        found += port == m_raw_port || port == m_rfc2217_port;
    }
    return found == 2;
}

QString Ser2netServer::raw_url() const
{
    return QStringLiteral("tcp://%1:%2").arg(HOST).arg(m_raw_port);
}

QString Ser2netServer::rfc2217_url() const
{
    return QStringLiteral("rfc2217://%1:%2").arg(HOST).arg(m_rfc2217_port);
}

void Ser2netServer::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
}
