// Runs one save in a process of its own, under limits a test must not have, given as a
// comma-separated list: "nobody" (when run as root, who may write anywhere) and a file size in
// bytes. Prints how the save ended and the reason it gives, a line each.

#include "config_record.h"
#include "panel_notation.h"
#include "record_file.h"

#include <QCoreApplication>
#include <QTextStream>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    constexpr uid_t NOBODY = 65534;
    for (const QString &limit : QString::fromLatin1(argv[2]).split(u',', Qt::SkipEmptyParts)) {
        if (limit == QLatin1StringView("nobody")) {
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
    // Twenty long designations make a record of well over a kilobyte.
    ConfigRecord record = record_of(QString());
    record.panel = QStringLiteral("CHILD");
    record.indesig.fill(QString(60, u'D'));
    record.outdesig.fill(QString(60, u'D'));
    const SaveResult saved =
        save_record_file(QString::fromLocal8Bit(argv[1]), write_config_record(record).bytes);
    QTextStream(stdout) << int(saved.status) << '\n' << saved.reason << '\n';
    return 0;
}
