#pragma once
// A module session on a real serial port over a pseudo-terminal, with the emulated module on the
// other end, in the same thread; the link also takes network ports.

#include "any_port_link.h"
#include "device_constants.h"
#include "module_server.h"
#include "module_session.h"
#include "tick_timer.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using emulator::FaultOptions;
using namespace std::chrono_literals;

// A run takes about 2.6 s against a module that answers at once; the slowest rows twice that.
constexpr int RUN_TIMEOUT_MS = 20000;

struct SessionFixture {
    // Torn down in reverse: the session before its link and timer, all before the module's line.
    std::unique_ptr<emulator::ModuleServer> module = std::make_unique<emulator::ModuleServer>();
    AnyPortLink link;
    TickTimer timer;
    ModuleSession session{link, timer};
    QList<SessionProgress> events;
    std::optional<SessionResult> result;

    SessionFixture()
    {
        QObject::connect(&session, &ModuleSession::progress,
                         [this](const SessionProgress &event) { events.append(event); });
        QObject::connect(&session, &ModuleSession::finished,
                         [this](const SessionResult &r) { result = r; });
    }

    bool start() { return module->open_pty(); }
    emulator::ModuleCore &core() { return module->core(); }

    // Runs a read or a write to its end; false when it would not start or never ended.
    bool run(bool read, const ModuleImage &image = {}, const QString &device = {})
    {
        events.clear();
        result.reset();
        const QString name = device.isEmpty() ? module->port_name() : device;
        if (!(read ? session.read(name) : session.write(name, image)))
            return false;
        return QTest::qWaitFor([this] { return result.has_value(); }, RUN_TIMEOUT_MS) &&
               !session.running() && !link.is_open();
    }

    QList<int> module_bytes() const // memory bytes 0..23
    {
        const auto &memory = module->core().memory();
        return {memory.begin(), memory.begin() + CONFIGURATION_BYTES};
    }
};
