#include "rfc2217_link.h"

#include "device_constants.h"
#include "link_texts.h"

using namespace device;

QByteArray Rfc2217Link::decode(const QByteArray &piece)
{
    const TelnetCodec::Output out = m_codec.feed(piece);
    if (!out.reply.isEmpty())
        write_to_socket(out.reply);
    switch (m_codec.refusal()) {
    case TelnetCodec::Refusal::None:
        break;
    case TelnetCodec::Refusal::Binary:
        fail(named(REFUSED_BINARY));
        break;
    case TelnetCodec::Refusal::ComPort:
        fail(named(REFUSED_COM_PORT));
        break;
    case TelnetCodec::Refusal::LineSettings:
        fail(named(REFUSED_LINE_SETTINGS).arg(BAUD_RATE));
        break;
    }
    return out.data;
}
