#pragma once
// The real ser2net from Debian in front of a serial device, as a child process in the foreground
// on 127.0.0.1 only: one port passes the bytes as they are, the other speaks telnet with serial
// port control. Its configuration and pid file live in a temporary folder and it takes no lock
// files, so it needs neither root nor /etc.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

class Ser2netServer
{
public:
    ~Ser2netServer() { kill(); }

    // Serves `device` at 9600 baud, 8N1, with `options` ("chardelay: false") on both ports; false
    // when it cannot start. listening() tells when both ports can be reached.
    bool start(const QString &device, const QStringList &options = {});
    bool listening() const;
    QString raw_url() const { return url(u"tcp://", m_raw_port); }
    QString rfc2217_url() const { return url(u"rfc2217://", m_rfc2217_port); }
    // Ends it at once, as a crash would.
    void kill();

private:
    static QString url(QStringView scheme, quint16 port);

    QTemporaryDir m_folder;
    QProcess m_process;
    quint16 m_raw_port = 0, m_rfc2217_port = 0;
};
