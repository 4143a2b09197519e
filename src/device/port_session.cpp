#include "port_session.h"

#include "any_port_link.h"
#include "tick_timer.h"

PortSession::PortSession(QObject *parent)
    : PortSession(std::make_unique<AnyPortLink>(), std::make_unique<TickTimer>(), parent)
{
}

PortSession::PortSession(std::unique_ptr<SerialLink> link, std::unique_ptr<LinkTimer> timer,
                         QObject *parent)
    : QObject(parent), m_link(std::move(link)), m_timer(std::move(timer)),
      m_session(std::make_unique<ModuleSession>(*m_link, *m_timer))
{
}

// The session goes first: it closes the line it may still hold.
PortSession::~PortSession()
{
    m_session.reset();
}
