#include "rfc2217_link.h"

#include "device_constants.h"
#include "link_texts.h"

using namespace device;

QByteArray Rfc2217Link::decode(const QByteArray &piece)
{
    const TelnetCodec::Output out = m_codec.feed(piece);
    if (!out.reply.isEmpty() && !write_to_socket(out.reply))
        return out.data;
    // Once the line works, a refusal takes back what the server had agreed to.
    switch (m_codec.refusal()) {
    case TelnetCodec::Refusal::None:
        break;
    case TelnetCodec::Refusal::Binary:
        fail(ready() ? BINARY_STOPPED : named(REFUSED_BINARY));
        break;
    case TelnetCodec::Refusal::ComPort:
        fail(ready() ? COM_PORT_STOPPED : named(REFUSED_COM_PORT));
        break;
    case TelnetCodec::Refusal::LineSettings:
        fail(named(REFUSED_LINE_SETTINGS).arg(BAUD_RATE));
        break;
    }
    return out.data;
}

// A raw port passes the greeting to the module, which never answers in telnet.
QString Rfc2217Link::explained(const QString &reason) const
{
    return m_codec.heard_telnet() ? reason : NO_TELNET_HINT.arg(reason, other_kind());
}
