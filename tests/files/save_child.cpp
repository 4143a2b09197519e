// Runs one save through the real window in a process of its own, under limits a test must not
// have, given as a comma-separated list: "nobody" (when run as root, who may write anywhere)
// and a file size in bytes. Prints the title and text of every box the save showed.

#include "file_commands.h"
#include "form1.h"
#include "recording_prompts.h"

#include <QApplication>
#include <QLineEdit>
#include <QTextStream>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3)
        return 2;
    constexpr uid_t NOBODY = 65534;
    for (const QByteArray &limit : QByteArray(argv[2]).split(',')) {
        if (limit == "nobody") {
            if (geteuid() == 0 && (setgid(NOBODY) != 0 || setuid(NOBODY) != 0))
                return 3;
            continue;
        }
        // Without this the first write past the limit would kill the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t bytes = limit.toULongLong();
        const rlimit size{bytes, bytes};
        setrlimit(RLIMIT_FSIZE, &size);
    }
    RecordingPrompts prompts;
    Form1 form(prompts);
    FileCommands commands(form);
    prompts.file_answers = {QString::fromLocal8Bit(argv[1])};
    form.Text(2)->setText(QStringLiteral("CHILD")); // the panel name
    // Twenty long designations make a record of well over a kilobyte.
    for (int n = input_designation_box(1); n <= output_designation_box(SLOT_COUNT); ++n)
        form.Text(n)->setText(QString(60, u'D'));
    commands.WRITE_FILE();
    QTextStream out(stdout);
    for (const RecordingPrompts::Message &message : prompts.messages)
        out << message.title << '\n' << message.text << '\n';
    return 0;
}
