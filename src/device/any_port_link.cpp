#include "any_port_link.h"

#include "port_names.h"

AnyPortLink::AnyPortLink(QObject *parent) : SerialLink(parent)
{
    // Only the open link has anything to say.
    for (SerialLink *link : std::initializer_list<SerialLink *>{&m_serial, &m_tcp, &m_rfc2217}) {
        connect(link, &SerialLink::became_ready, this, &SerialLink::became_ready);
        connect(link, &SerialLink::received, this, &SerialLink::received);
        connect(link, &SerialLink::lost, this, &SerialLink::lost);
    }
}

bool AnyPortLink::open(const QString &device)
{
    m_active->close();
    switch (port_address(device).scheme) {
    case PortScheme::Serial:
        m_active = &m_serial;
        break;
    case PortScheme::Tcp:
        m_active = &m_tcp;
        break;
    case PortScheme::Rfc2217:
        m_active = &m_rfc2217;
        break;
    }
    return m_active->open(device);
}
