#pragma once
// The program's command line: what to serve, where to link it, the memory files, the faults.

#include "fault_options.h"

#include <QCommandLineParser>
#include <QString>
#include <optional>

namespace emulator
{

struct EmulatorOptions {
    bool pty = false;
    QString device;
    QString link;
    QString load_file;
    QString dump_file;
    bool quiet = false;
    FaultOptions faults;
};

void add_emulator_options(QCommandLineParser &parser);
// The options of an already parsed command line, or nothing and the reason in *error.
std::optional<EmulatorOptions> emulator_options(const QCommandLineParser &parser, QString *error);

// Option text with \xHH for any byte and \\ for a backslash, as bytes.
std::optional<QByteArray> decode_escapes(const QString &text);

} // namespace emulator
