// Runs one save through the real window in a process of its own, under a limit a test must not
// have: "nobody" (when run as root, who may write anywhere) or a file size in bytes. Prints the
// title of every box the save showed, one a line.

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
    if (qstrcmp(argv[2], "nobody") == 0) {
        if (geteuid() == 0 && (setgid(NOBODY) != 0 || setuid(NOBODY) != 0))
            return 3;
    } else {
        // Without this the first write past the limit would kill the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t bytes = QByteArray(argv[2]).toULongLong();
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
        out << message.title << '\n';
    return 0;
}
