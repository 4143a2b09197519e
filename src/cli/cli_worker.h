#pragma once
// converter-cli's work apart from main(): runs one command line, writes to the streams it is
// given, talks to the modules through one session per port, and ends with finished(exit code).
// Each command fills one result value, rendered at its end as text or as JSON.

#include "audit_log.h"
#include "board.h"
#include "command_line.h"
#include "command_result.h"
#include "input_reader.h"
#include "module_runs.h"
#include "progress_display.h"
#include "record_check.h"
#include "station.h"
#include "station_report.h"

#include <QHash>
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
    ~CliWorker() override;

    // Runs `arguments` (the program's name first). finished() follows, always later than this
    // call: at once for the commands that need no module, after the last module otherwise.
    // `native`, when given, holds each argument's bytes as the system passed them: a file name
    // that is not UTF-8 is then opened by those bytes, as the system names the file.
    void start(const QStringList &arguments, const QList<QByteArray> &native = {});
    // Ctrl-C: stops every run at once (ports closed), reports, and finishes with 130; the
    // station finishes with its tally instead.
    void interrupt();

signals:
    void finished(int exit_code);

private:
    // The runners: each fills its part of m_result and ends with finish(), at once or once its
    // modules are done.
    void run_command();
    void check();
    void show();
    void write();
    void read();
    void verify();
    void probe();
    void ports();
    void station();
    void summary();

    void runs_finished();
    int write_done(const PortRuns &runs);
    int read_done(const PortRuns &runs);
    int verify_done(const PortRuns &runs);
    int probe_done(const PortRuns &runs);
    void station_finished();
    // The station's board listening, when asked for; false once the command has ended.
    bool start_board(const Station &station);

    // The file's record checked ("-": standard input), or nothing and why it could not be read;
    // `bytes` receives what was read.
    // A name the file library can open: the argument itself, or a descriptor's name when the
    // argument's bytes are no UTF-8 text.
    QString reachable(const QString &path) const;
    std::optional<RecordCheck> load_and_check(const QString &path, QString *error,
                                              QByteArray *bytes = nullptr) const;
    // The same, or nothing after stopping with a file error.
    std::optional<RecordCheck> check_file(const QString &path, QByteArray *bytes = nullptr);
    // The file a write or the station programs: checked, refused when it is not sound; the
    // image to store, or nothing once the command has ended.
    std::optional<RecordCheck> file_to_program(const QString &path,
                                               std::optional<QList<RecordProblem>> &refused);
    // What keeps `read` from saving its file, asked before the module is touched.
    std::optional<QString> output_refusal() const;
    bool open_log();
    // Appends the module's line to the log; false, with the command's error set, when it fails.
    bool log_module(const PortRun &run);
    bool start_trace();
    // Where the traffic log goes: --trace, or the environment's choice.
    QString trace_name() const;
    // The progress lines of a read or a write on every port.
    void begin_progress(SessionKind kind);
    // A line while a command runs (the station's events): standard output, or standard error
    // when that carries the JSON document.
    void print_event(const QString &text);
    // One line for standard output; once that fails, it and the rest go to standard error, and
    // the command can no longer end with 0.
    void print(const QString &text);
    // The line, whole, to standard output; false once that has failed.
    bool print_out(const QString &line);
    // A usage or file error: the command ends with it and exit code 2.
    void stop_with_error(const QString &text);
    void finish(int exit_code);

    Streams m_streams;
    PortNameMap m_port_names;
    CommandLine m_line;
    CommandResult m_result;
    ModuleRuns m_runs;
    AuditLog m_log;
    std::optional<Station> m_station;
    std::optional<StationReport> m_station_report;
    std::optional<Board> m_board; // the station's, while it runs
    std::optional<ProgressDisplay> m_progress;
    std::optional<InputReader> m_input_reader;
    LoadedFile m_input;  // standard input, once read
    QByteArray m_sha256; // of the file a write or the station programs
    ModuleImage m_image; // what a write or the station stores
    // Arguments whose bytes are no UTF-8 text, by the text they were read as.
    QHash<QString, QByteArray> m_native_names;
    mutable QList<int> m_native_files; // descriptors that reach such files, open until the end
    bool m_tracing = false;            // this command started the traffic log
    bool m_interrupted = false;
    bool m_output_failed = false;
    bool m_finished = false;
    int m_exit_code = 0;
};
