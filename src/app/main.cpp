// Builds the main window and wires the commands to its buttons.

#include "form1.h"
#include "qt_prompts.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("converter-config"));

    QtPrompts prompts;
    Form1 form(prompts);
    prompts.set_parent(&form);

    form.show();
    return QApplication::exec();
}
