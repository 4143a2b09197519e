#pragma once
// The real window and its device commands, with port 1 leading to an emulated module on a
// pseudo-terminal in the same process; other port numbers lead nowhere.

#include "device_commands.h"
#include "device_constants.h"
#include "file_commands.h"
#include "form1.h"
#include "module_server.h"
#include "recording_prompts.h"
#include "ui_constants.h"
#include "window_commands.h"

#include <QTest>

using emulator::FaultOptions;
using namespace std::chrono_literals;

// A run takes about 2.6 s against a module that answers at once.
constexpr int RUN_TIMEOUT_MS = 20000;

struct ModuleFixture {
    // Torn down in reverse: the commands and the window before the module's line.
    RecordingPrompts prompts;
    std::unique_ptr<emulator::ModuleServer> module;
    std::unique_ptr<Form1> form;
    std::unique_ptr<DeviceCommands> commands;
    std::unique_ptr<FileCommands> files;

    // False when the pseudo-terminal could not be made.
    bool start()
    {
        module = std::make_unique<emulator::ModuleServer>();
        form = std::make_unique<Form1>(prompts);
        commands = std::make_unique<DeviceCommands>(*form);
        commands->set_port_name_map([this](qint16 n) {
            return n == 1 ? module->port_name() : QStringLiteral("/dev/no-such-port-%1").arg(n);
        });
        files = std::make_unique<FileCommands>(*form);
        connect_window_commands(*form, *commands, *files);
        commands->set_port_number(1);
        return restart_module();
    }

    // A fresh line in place of the old one (the emulator killed and started again).
    bool restart_module()
    {
        const auto memory = core().memory();
        module = std::make_unique<emulator::ModuleServer>();
        core().set_memory(memory);
        core().set_byte(device::IDENTITY_ADDRESS, device::IDENTITY_CODE);
        return module->open_pty();
    }

    emulator::ModuleCore &core() { return module->core(); }
    QList<int> module_bytes() // memory bytes 0..23
    {
        return {core().memory().begin(), core().memory().begin() + 24};
    }
};
