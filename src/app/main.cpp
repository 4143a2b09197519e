// Builds the main window and wires the commands to its buttons.

#include "device_commands.h"
#include "file_commands.h"
#include "form1.h"
#include "line_trace.h"
#include "qt_prompts.h"

#include <QApplication>
#include <QPushButton>
#include <QTextStream>

namespace
{
constexpr qint16 START_UP_PORT = 1; // every run starts on COM 1; nothing is remembered
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("converter-config"));
    QString trace_error;
    if (!start_line_trace_from_environment(&trace_error))
        QTextStream(stderr) << QApplication::applicationName() << ": " << trace_error << Qt::endl;

    QtPrompts prompts;
    Form1 form(prompts);
    prompts.set_parent(&form);

    DeviceCommands device(form);
    device.connect_buttons();
    device.set_port_number(START_UP_PORT);

    // While a device sequence holds the window's state, the file commands wait their turn.
    FileCommands files(form);
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
