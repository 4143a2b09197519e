#pragma once
// The real ser2net from Debian in front of a serial device, as a child process in the foreground
// on 127.0.0.1 only: one port passes the bytes as they are, the other speaks telnet with serial
// port control. Its configuration and pid file live in a temporary folder of its own and it takes
// no lock files, so it needs neither root nor /etc.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class Ser2netServer
{
public:
    ~Ser2netServer();

    // Starts serving `device` at 9600 baud, 8N1; `options` ("chardelay: false", say) apply to
    // both ports.
    // False with the reason in error() when it cannot start. listening() tells when it can be
    // reached.
    bool start(const QString &device, const QStringList &options = {});
    // Both ports accept connections.
    bool listening() const;
    // The ports as the program names them: tcp://127.0.0.1:PORT and rfc2217://127.0.0.1:PORT.
    QString raw_url() const;
    QString rfc2217_url() const;
    // Ends it at once, as a crash or a pulled network cable would.
    void kill();
    QString error() const { return m_error; }

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    quint16 m_raw_port = 0;
    quint16 m_rfc2217_port = 0;
    QString m_error;
};
