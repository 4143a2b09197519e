#include "module_fixture.h"

#include "device_constants.h"

bool ModuleFixture::start()
{
    form = std::make_unique<Form1>(prompts);
    commands = std::make_unique<DeviceCommands>(*form);
    module = std::make_unique<emulator::ModuleServer>();
    commands->port().set_port_name_map([this](qint16 n) {
        return n == 1 && module ? module->port_name()
                                : QStringLiteral("/dev/no-such-port-%1").arg(n);
    });
    commands->connect_buttons();
    commands->set_port_number(1);
    return restart_module();
}

bool ModuleFixture::restart_module()
{
    const auto memory = module->core().memory();
    module = std::make_unique<emulator::ModuleServer>();
    module->core().set_memory(memory);
    module->core().set_byte(device::IDENTITY_ADDRESS, device::IDENTITY_CODE);
    return module->open_pty();
}

void ModuleFixture::stop()
{
    commands.reset();
    form.reset();
    module.reset();
    prompts.messages.clear();
}

QList<int> ModuleFixture::module_bytes() const
{
    QList<int> bytes;
    for (int address = 0; address < 24; ++address)
        bytes.append(module->core().byte_at(address));
    return bytes;
}
