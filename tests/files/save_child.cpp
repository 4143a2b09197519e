// Runs one save through the real window in a process of its own, so a test can limit what this
// process may write. Prints the title of every box the save showed, one a line.

#include "file_commands.h"
#include "form1.h"
#include "recording_prompts.h"

#include <QApplication>
#include <QLineEdit>
#include <QTextStream>

namespace
{
constexpr int PANEL_NAME_BOX = 2;
constexpr int LONG_DESIGNATION = 60; // twenty of these make a record of well over a kilobyte
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    RecordingPrompts prompts;
    Form1 form(prompts);
    FileCommands commands(form);
    prompts.file_answers = {QString::fromLocal8Bit(argv[1])};
    form.Text(PANEL_NAME_BOX)->setText(QStringLiteral("CHILD"));
    for (int n = input_designation_box(1); n <= output_designation_box(SLOT_COUNT); ++n)
        form.Text(n)->setText(QString(LONG_DESIGNATION, u'D'));
    commands.WRITE_FILE();
    QTextStream out(stdout);
    for (const RecordingPrompts::Message &message : prompts.messages)
        out << message.title << '\n';
    return 0;
}
