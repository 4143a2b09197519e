#pragma once
// SerialLink on a telnet connection with serial port control (rfc2217://HOST:PORT): ready once
// the server has agreed to binary transmission and set its line to the module's settings.

#include "tcp_link.h"
#include "telnet_codec.h"

class Rfc2217Link : public TcpLink
{
    Q_OBJECT

public:
    using TcpLink::TcpLink;

protected:
    QByteArray greeting() override { return m_codec.start(); }
    bool agreed() const override { return m_codec.ready(); }
    QByteArray decode(const QByteArray &piece) override;
    QByteArray encode(const QByteArray &bytes) override { return TelnetCodec::escape(bytes); }
    QString explained(const QString &reason) const override;

private:
    TelnetCodec m_codec;
};
