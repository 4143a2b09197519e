#pragma once
// converter-cli's work apart from main(): runs one command line, writes to the streams it is
// given, talks to the modules through one session per port, and ends with finished(exit code).

#include "command_line.h"
#include "module_runs.h"
#include "progress_display.h"
#include "record_check.h"

#include <QJsonObject>
#include <QObject>
#include <QTextStream>
#include <optional>

class CliWorker : public QObject
{
    Q_OBJECT

public:
    struct Streams {
        QTextStream &out;
        QTextStream &err;
        bool out_terminal = false; // progress is drawn in place on a terminal
        bool err_terminal = false;
    };

    explicit CliWorker(const Streams &streams, PortNameMap port_names = platform_port_name,
                       QObject *parent = nullptr);

    // Runs `arguments` (the program's name first). finished() follows, always later than this
    // call: at once for the commands that need no module, after the last module otherwise.
    void start(const QStringList &arguments);
    // Ctrl-C: stops every run at once (ports closed), reports, and finishes with 130.
    void interrupt();

    bool is_finished() const { return m_finished; }
    int exit_code() const { return m_exit_code; }

signals:
    void finished(int exit_code);

private:
    void check();
    void show();
    void write();
    void read();
    void verify();

    void runs_finished();
    int write_results();
    int read_result();
    int verify_results();
    // After Ctrl-C: one line naming the modules a write may have left partly programmed.
    void report_interrupt();

    // The file's record checked, or nothing after reporting why it could not be read.
    std::optional<RecordCheck> check_file(const QString &path);
    void report_problems(QTextStream &stream, const QString &file,
                         const QList<RecordProblem> &problems);
    bool start_trace();
    void start_runs(SessionKind kind, const ModuleImage &image = {});
    // One line on standard error, and the "error" of the JSON document.
    void report_error(const QString &text);
    // A usage or file error: reported, and the command ends with exit code 2.
    void stop_with_error(const QString &text);
    void print_result(int index, const QString &text);
    void finish(int exit_code);

    Streams m_streams;
    PortNameMap m_port_names;
    CommandLine m_line;
    ModuleRuns m_runs;
    std::optional<ProgressDisplay> m_progress;
    QJsonObject m_json;
    Panel m_expected; // what verify compares each module with
    bool m_interrupted = false;
    bool m_finished = false;
    int m_exit_code = 0;
};
