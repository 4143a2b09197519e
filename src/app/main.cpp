// Builds the main window and wires the commands to its buttons.

#include "device_commands.h"
#include "file_commands.h"
#include "form1.h"
#include "qt_prompts.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>

namespace {
constexpr qint16 START_UP_PORT = 1; // every run starts on COM 1; nothing is remembered
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("converter-config"));

    QtPrompts prompts;
    Form1 form(prompts);
    prompts.set_parent(&form);

    DeviceCommands device(form);
    device.set_port_number(START_UP_PORT);
    FileCommands files(form);

    // While an open waits for a slow file, the device commands wait their turn.
    QObject::connect(form.READ_CONFIG(), &QPushButton::clicked, &device, [&] {
        if (!files.running())
            device.READ_CONFIG();
    });
    QObject::connect(form.WRITE_CONFIG(), &QPushButton::clicked, &device, [&] {
        if (!files.running())
            device.WRITE_CONFIG();
    });
    QObject::connect(form.MENU1(), &QAction::triggered, &device, &DeviceCommands::MENU1);

    // While a device sequence holds the window's state, the file commands wait their turn.
    QObject::connect(form.READ_FILE(), &QPushButton::clicked, &files, [&] {
        if (!device.running())
            files.READ_FILE();
    });
    QObject::connect(form.WRITE_FILE(), &QPushButton::clicked, &files, [&] {
        if (!device.running())
            files.WRITE_FILE();
    });

    form.show();
    return QApplication::exec();
}
