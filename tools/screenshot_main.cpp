// Renders the main window in three states into PNG files: as it starts, with three slots filled
// (one of them on DATA-B), and after those slots were written into an emulated module, so the
// layout can be checked without clicking through it.

#include "device_commands.h"
#include "form1.h"
#include "module_server.h"
#include "prompts.h"
#include "slot_lists.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextStream>

namespace {

// Nothing in these scenes asks a question; a box would be a fault in the scene itself.
class SilentPrompts : public Prompts
{
public:
    void message(const QString &, const QString &) override {}
    QString open_file_name(const QString &, const QString &, const QString &) override
    {
        return {};
    }
    QString save_file_name(const QString &, const QString &, const QString &) override
    {
        return {};
    }
};

struct SlotScene {
    int slot;
    int in_module; // input module list position (1 = "A")
    int in_channel;
    int out_module; // output module list position (0 = "A")
    int out_channel;
    bool data_b;
    const char *in_designation;
    const char *out_designation;
};

bool save_shot(QWidget &window, const QString &path)
{
    QApplication::processEvents();
    const QPixmap shot = window.grab();
    return shot.save(path);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);

    SilentPrompts prompts;
    Form1 form(prompts);
    form.show();

    const QString start_path = QDir(folder).filePath(QStringLiteral("startup.png"));
    if (!save_shot(form, start_path)) {
        err << "could not write " << start_path << Qt::endl;
        return 1;
    }

    const SlotScene scenes[] = {
        {1, 3, 4, 1, 0, false, "FIRE ALARM", "SIREN BANK"},
        {2, 5, 0, 4, 9, true, "DOOR SENSORS", "ACCESS PANEL"},
        {4, 16, 9, 0, 2, false, "PUMP STATUS", "CONTROL ROOM"},
    };
    for (const SlotScene &s : scenes) {
        form.set_list_position(input_module_list(s.slot), static_cast<qint16>(s.in_module));
        form.set_list_position(input_channel_list(s.slot), static_cast<qint16>(s.in_channel));
        form.set_list_position(output_module_list(s.slot), static_cast<qint16>(s.out_module));
        form.set_list_position(output_channel_list(s.slot), static_cast<qint16>(s.out_channel));
        form.ToggleButton(input_toggle(s.slot))->setChecked(s.data_b);
        form.ToggleButton(output_toggle(s.slot))->setChecked(s.data_b);
        form.Text(input_designation_box(s.slot))->setText(QString::fromLatin1(s.in_designation));
        form.Text(output_designation_box(s.slot))
            ->setText(QString::fromLatin1(s.out_designation));
    }
    form.Text(2)->setText(QStringLiteral("NORTH PANEL"));

    const QString filled_path = QDir(folder).filePath(QStringLiteral("three-slots.png"));
    if (!save_shot(form, filled_path)) {
        err << "could not write " << filled_path << Qt::endl;
        return 1;
    }

    // The same slots written into a module played on a pseudo-terminal, to the green end.
    emulator::ModuleServer module;
    if (!module.open_pty()) {
        err << "no pseudo-terminal for the module: " << module.error_string() << Qt::endl;
        return 1;
    }
    DeviceCommands device(form);
    device.set_port_name_map([&module](qint16) { return module.port_name(); });
    QEventLoop written;
    QObject::connect(&device, &DeviceCommands::sequence_finished, &written, &QEventLoop::quit);
    device.WRITE_CONFIG();
    written.exec();
    const QString written_path = QDir(folder).filePath(QStringLiteral("finished-write.png"));
    if (!save_shot(form, written_path)) {
        err << "could not write " << written_path << Qt::endl;
        return 1;
    }
    return 0;
}
