#include "window_commands.h"

#include "device_commands.h"
#include "file_commands.h"
#include "form1.h"

#include <QAction>
#include <QPushButton>

void connect_window_commands(Form1 &form, DeviceCommands &device, FileCommands &files)
{
    QObject::connect(form.READ_CONFIG(), &QPushButton::clicked, &device, [&] {
        if (!files.running())
            device.READ_CONFIG();
    });
    QObject::connect(form.WRITE_CONFIG(), &QPushButton::clicked, &device, [&] {
        if (!files.running())
            device.WRITE_CONFIG();
    });
    QObject::connect(form.MENU1(), &QAction::triggered, &device, &DeviceCommands::MENU1);
    QObject::connect(form.READ_FILE(), &QPushButton::clicked, &files, [&] {
        if (!device.running())
            files.READ_FILE();
    });
    QObject::connect(form.WRITE_FILE(), &QPushButton::clicked, &files, [&] {
        if (!device.running())
            files.WRITE_FILE();
    });
}
