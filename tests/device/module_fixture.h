#pragma once
// The real window and its device commands, with port 1 leading to an emulated module on a
// pseudo-terminal in the same process; other port numbers lead nowhere.

#include "device_commands.h"
#include "form1.h"
#include "module_server.h"
#include "recording_prompts.h"

#include <memory>

struct ModuleFixture {
    RecordingPrompts prompts;
    std::unique_ptr<Form1> form;
    std::unique_ptr<DeviceCommands> commands;
    std::unique_ptr<emulator::ModuleServer> module;

    // False when the pseudo-terminal could not be made.
    bool start();
    void stop();

    // A fresh line in place of the old one (the emulator killed and started again).
    bool restart_module();

    ConverterConfig &config() { return form->config(); }
    // Memory bytes 0..23 of the module.
    QList<int> module_bytes() const;
};
