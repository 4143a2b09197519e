#pragma once
// One port's module session together with the link and the timer it runs on, owned as one: the
// window's device commands, the runs on several ports and the bench station hold one per port.

#include "link_timer.h"
#include "module_session.h"
#include "serial_link.h"

#include <QObject>
#include <memory>

class PortSession : public QObject
{
    Q_OBJECT

public:
    // On whatever a port name names (a serial device or a network port) and a real timer.
    explicit PortSession(QObject *parent = nullptr);
    // On the given line and timer: a scripted line and a hand-driven timer under test.
    PortSession(std::unique_ptr<SerialLink> link, std::unique_ptr<LinkTimer> timer,
                QObject *parent = nullptr);
    ~PortSession() override;

    ModuleSession &session() { return *m_session; }
    const ModuleSession &session() const { return *m_session; }
    SerialLink &link() { return *m_link; }

private:
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<LinkTimer> m_timer;
    std::unique_ptr<ModuleSession> m_session;
};
