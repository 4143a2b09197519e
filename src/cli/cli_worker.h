#pragma once
// converter-cli's work apart from main(): runs one command line, writes to the streams it is
// given, talks to the modules through one session per port, and ends with finished(exit code).

#include "command_line.h"
#include "input_reader.h"
#include "module_runs.h"
#include "progress_display.h"
#include "record_check.h"

#include <QJsonObject>
#include <QObject>
#include <QTextStream>
#include <functional>
#include <optional>
#include <unistd.h>

class CliWorker : public QObject
{
    Q_OBJECT

public:
    struct Streams {
        QTextStream &out;
        QTextStream &err;
        bool out_terminal = false; // progress is drawn in place on a terminal
        bool err_terminal = false;
        // The width of the terminal progress is drawn on, asked at each redraw; 0: unknown.
        std::function<int()> columns = {};
        int input = STDIN_FILENO; // what a FILE of "-" reads
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
    void run_command();
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

    // The file's record checked ("-": standard input), or nothing and why it could not be read.
    std::optional<RecordCheck> load_and_check(const QString &path, QString *error) const;
    // The same, or nothing after reporting why as a file error.
    std::optional<RecordCheck> check_file(const QString &path);
    void report_problems(QTextStream &stream, const QString &file,
                         const QList<RecordProblem> &problems);
    // What keeps `read` from saving its file, asked before the module is touched.
    std::optional<QString> output_refusal() const;
    bool start_trace();
    void start_runs(SessionKind kind, const ModuleImage &image = {});
    // One line (or the JSON document) for standard output; once that fails, it and the rest
    // go to standard error, and the command can no longer end with 0.
    void print(const QString &text);
    void print_table(const Panel &panel);
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
    std::optional<InputReader> m_input_reader;
    LoadedFile m_input; // standard input, once read
    QJsonObject m_json;
    Panel m_expected;    // what verify compares each module with
    ModuleImage m_image; // what write stores, or what verify expects each module to hold
    bool m_interrupted = false;
    bool m_output_failed = false;
    bool m_finished = false;
    int m_exit_code = 0;
};
