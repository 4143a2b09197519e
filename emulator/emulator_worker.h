#pragma once
// The program's work: load the memory, serve the line, log the frames, dump and clean up.

#include "emulator_options.h"
#include "module_server.h"
#include "port_link.h"

#include <QObject>
#include <QTextStream>

namespace emulator
{

class EmulatorWorker : public QObject
{
    Q_OBJECT
public:
    EmulatorWorker(const EmulatorOptions &options, QTextStream &out, QObject *parent = nullptr);

    // Opens the line and prints its path as the first line of output, flushed at once.
    bool start();
    // Closes the line, removes the link and dumps the memory if asked; then finished().
    void stop(int exit_code = 0);

    QString error_string() const { return m_error; }
    ModuleServer &server() { return m_server; }

signals:
    void finished(int exit_code);

private:
    bool load_memory();
    bool dump_memory();

    EmulatorOptions m_options;
    QTextStream &m_out;
    ModuleServer m_server;
    PortLink m_link;
    QString m_error;
    bool m_stopped = false;
};

} // namespace emulator
