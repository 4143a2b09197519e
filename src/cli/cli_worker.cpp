#include "cli_worker.h"

#include "cli_texts.h"
#include "file_texts.h"
#include "json_report.h"
#include "line_trace.h"
#include "module_record.h"
#include "panel_loading.h"
#include "record_file.h"
#include "text_report.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSerialPortInfo>
#include <fcntl.h>

using namespace cli;

namespace
{

constexpr int EXIT_OK = 0;
constexpr int EXIT_PROBLEM = 1; // a file or a module is not as it should be
constexpr int EXIT_USAGE =
    2; // a command line, a file, a folder or an output the command cannot use
constexpr int EXIT_INTERRUPTED = 130; // Ctrl-C, SIGTERM or SIGHUP, as shells report a SIGINT
const QString STANDARD_INPUT = QStringLiteral("-"); // as a FILE
const QString OUTPUT_EXISTS = QStringLiteral("%1: the file exists; give --force to replace it");
const QString OUTPUT_NOT_A_FILE =
    QStringLiteral("%1: %2, not a file to save into; nothing was read");
const QString OUTPUT_UNUSABLE = QStringLiteral("%1: cannot be saved: %2; nothing was read");
const QString OUTPUT_FAILED =
    QStringLiteral("standard output failed (%1); what it could not take follows here");
const QString TRACE_FAILED = QStringLiteral("--trace %1");
const QString TRACE_NOT_WRITTEN =
    QStringLiteral("the traffic log %1 stopped taking lines (%2); what came after is not in it");
const QString LOG_FAILED = QStringLiteral("--log %1: %2");
const QString NO_READER = QStringLiteral("a named pipe that no program is reading");
const QString LOG_IS_FORBIDDEN = QStringLiteral("that is %1, which the log must not be");
const QString LOG_IS_DEVICE =
    QStringLiteral("a device (a terminal, a serial port or a disk), not a file to log into");
const QString LOG_NOT_A_FILE = QStringLiteral("neither a file nor a named pipe");
const QString LOG_STOPPED =
    QStringLiteral("--log %1: a module's line could not be written; the station stopped");
const QString FILE_NOT_FOUND = QStringLiteral("no such file");
const QString FILE_ACCESS_DENIED = QStringLiteral("cannot be opened for reading");
const QString FILE_IS_FOLDER = QStringLiteral("a folder, not a file");
const QString FOLDER_KIND = QStringLiteral("a folder");
const QString PIPE_KIND = QStringLiteral("a named pipe");
const QString DEVICE_KIND = QStringLiteral("a device");
const QString SOCKET_KIND = QStringLiteral("a socket");
const QString OTHER_KIND = QStringLiteral("a special file");
const QString FILE_READ_ERROR = QStringLiteral("reading it failed");
const QString FILE_NOT_REGULAR =
    QStringLiteral("not a regular file (a pipe, a device or a socket): not opened");
const QString FILE_TIMED_OUT = QStringLiteral("reading it did not end in time");
const QString SAVE_NOT_WRITTEN = QStringLiteral("%1: not saved: %2");
const QString SAVE_DAMAGED = QStringLiteral("%1: written, but it does not read back the same: %2");
// summary.
constexpr int SUMMARY_FAILURES = 20; // the failures listed unless --all
const QString INPUT_TOO_LARGE =
    QStringLiteral("larger than 4 MiB, more than standard input takes: name the log instead");

const QString BOARD_OPEN = QStringLiteral(
    "warning: the board on %1 has no password and shows file names and ports to whoever can "
    "reach it");
const QString BOARD_IN_USE =
    QStringLiteral("--board %1: another program listens there; choose another port");
const QString BOARD_FAILED = QStringLiteral("--board %1: cannot listen there: %2");

// A file already open, by the name the system gives it.
const QString PROC_DESCRIPTOR = QStringLiteral("/proc/self/fd/%1");

QString load_error(const LoadedFile &loaded)
{
    switch (loaded.status) {
    case LoadStatus::NotFound:
        return FILE_NOT_FOUND;
    case LoadStatus::AccessDenied:
        return loaded.kind == FileKind::Folder ? FILE_IS_FOLDER : FILE_ACCESS_DENIED;
    case LoadStatus::ReadError:
        return FILE_READ_ERROR;
    case LoadStatus::NotAFile:
        return FILE_NOT_REGULAR;
    case LoadStatus::TimedOut:
        return FILE_TIMED_OUT;
    case LoadStatus::Ok:
    case LoadStatus::TooLarge: // the window opens it when the record ends within what was read
        break;
    }
    return {};
}

QString kind_words(FileKind kind)
{
    switch (kind) {
    case FileKind::Folder:
        return FOLDER_KIND;
    case FileKind::Pipe:
        return PIPE_KIND;
    case FileKind::Device:
        return DEVICE_KIND;
    case FileKind::Socket:
        return SOCKET_KIND;
    case FileKind::Regular:
    case FileKind::Other:
        break;
    }
    return OTHER_KIND;
}


QString log_problem_text(const LogStatus &status)
{
    switch (status.problem) {
    case LogProblem::Forbidden:
        return LOG_IS_FORBIDDEN.arg(status.reason);
    case LogProblem::Device:
        return LOG_IS_DEVICE;
    case LogProblem::NotAFile:
        return LOG_NOT_A_FILE;
    case LogProblem::NoReader:
        return NO_READER;
    case LogProblem::System:
    case LogProblem::None:
        break;
    }
    return status.reason;
}

} // namespace

CliWorker::CliWorker(const Streams &streams, PortNameMap port_names, QObject *parent)
    : QObject(parent), m_streams(streams), m_port_names(std::move(port_names))
{
    connect(&m_runs, &ModuleRuns::progress, this, [this](int index, const SessionProgress &event) {
        if (m_progress)
            m_progress->update(index, event);
    });
    connect(&m_runs, &ModuleRuns::ended, this, [this](int index) {
        if (m_progress)
            m_progress->finish(index, m_runs.run(index).result);
    });
    connect(&m_runs, &ModuleRuns::finished, this, &CliWorker::runs_finished);
}

CliWorker::~CliWorker()
{
    for (int fd : std::as_const(m_native_files))
        ::close(fd);
}

void CliWorker::start(const QStringList &arguments, const QList<QByteArray> &native)
{
    for (qsizetype i = 0; i < std::min(arguments.size(), native.size()); ++i)
        if (QFile::encodeName(arguments[i]) != native[i])
            m_native_names.insert(arguments[i], native[i]);
    const ParsedCommandLine parsed = parse_command_line(arguments, m_port_names);
    switch (parsed.kind) {
    case ParsedCommandLine::Print:
        print(parsed.text);
        finish(EXIT_OK);
        return;
    case ParsedCommandLine::UsageError:
        m_line.json = parsed.json;
        stop_with_error(parsed.text);
        return;
    case ParsedCommandLine::Run:
        break;
    }
    m_line = parsed.command_line;
    m_result.command = m_line.command;
    m_runs.set_reply_wait(m_line.reply_wait);
    const bool shows_progress = m_line.command == CliCommand::Write ||
                                m_line.command == CliCommand::Read ||
                                m_line.command == CliCommand::Verify;
    if (!m_line.quiet && shows_progress) {
        // With --json, standard output carries the document alone.
        QTextStream &progress = m_line.json ? m_streams.err : m_streams.out;
        m_progress.emplace(progress, m_line.json ? m_streams.err_terminal : m_streams.out_terminal,
                           m_streams.columns);
    }
    if (!m_line.files.contains(STANDARD_INPUT)) {
        run_command();
        return;
    }
    // Standard input first, to its end; the command then reads it like any file.
    m_input_reader.emplace(m_streams.input);
    connect(
        &*m_input_reader, &InputReader::finished, this,
        [this](const LoadedFile &input) {
            m_input = input;
            m_input_reader.reset();
            run_command();
        },
        Qt::QueuedConnection);
}

void CliWorker::run_command()
{
    switch (m_line.command) {
    case CliCommand::Check:
        check();
        break;
    case CliCommand::Show:
        show();
        break;
    case CliCommand::Write:
        write();
        break;
    case CliCommand::Read:
        read();
        break;
    case CliCommand::Verify:
        verify();
        break;
    case CliCommand::Probe:
        probe();
        break;
    case CliCommand::Ports:
        ports();
        break;
    case CliCommand::Station:
        station();
        break;
    case CliCommand::Summary:
        summary();
        break;
    }
}

void CliWorker::interrupt()
{
    if (m_finished || m_interrupted)
        return;
    m_interrupted = true;
    m_input_reader.reset();
    // The station reports at once; each run ends at once and the last one reports through
    // runs_finished().
    if (m_station) {
        m_station->stop();
    } else if (m_runs.running()) {
        m_runs.abort();
    } else {
        finish(EXIT_INTERRUPTED);
    }
}

// Commands on files ------------------------------------------------------------------------------

void CliWorker::check()
{
    int exit_code = EXIT_OK;
    auto &check = m_result.body.emplace<CheckResult>();
    for (const QString &path : std::as_const(m_line.files)) {
        QString error;
        const std::optional<RecordCheck> checked = load_and_check(path, &error);
        check.files.append({path, error, checked ? checked->problems : QList<RecordProblem>()});
        if (!checked)
            exit_code = std::max(exit_code, EXIT_USAGE);
        else if (!checked->sound())
            exit_code = std::max(exit_code, EXIT_PROBLEM);
    }
    finish(exit_code);
}

void CliWorker::show()
{
    auto &show = m_result.body.emplace<ShowResult>();
    show.file = m_line.files.first();
    const auto checked = check_file(show.file);
    if (!checked)
        return;
    if (!checked->opens()) {
        show.problems = checked->problems;
        finish(EXIT_PROBLEM);
        return;
    }
    show.panel = checked->panel();
    finish(EXIT_OK);
}

void CliWorker::ports()
{
    auto &ports = m_result.body.emplace<PortsResult>();
    // What the system lists; nothing is opened.
    const auto available = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : available) {
        SerialPortEntry entry{info.systemLocation(), info.description(), info.manufacturer(),
                              info.serialNumber(),   std::nullopt,       std::nullopt};
        if (info.hasVendorIdentifier())
            entry.vendor_id = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            entry.product_id = info.productIdentifier();
        ports.serial_ports.append(entry);
    }
    for (qint16 n = device::FIRST_PORT; n <= device::LAST_PORT; ++n) {
        const QString device = m_port_names(n);
        ports.com_ports.append({n, device, link_target(device), QFileInfo::exists(device)});
    }
    finish(EXIT_OK);
}

// Commands on modules ----------------------------------------------------------------------------

std::optional<RecordCheck> CliWorker::file_to_program(const QString &path,
                                                      std::optional<QList<RecordProblem>> &refused)
{
    QByteArray bytes;
    const auto checked = check_file(path, &bytes);
    if (!checked)
        return std::nullopt;
    // The window would refuse, or undo, every one of these before writing.
    if (!checked->sound()) {
        refused = checked->problems;
        finish(EXIT_PROBLEM);
        return std::nullopt;
    }
    if (!open_log() || !start_trace())
        return std::nullopt;
    m_sha256 = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    // A sound file always has its image.
    m_image = *image_to_write(checked->panel());
    return checked;
}

void CliWorker::write()
{
    auto &write = m_result.body.emplace<WriteResult>();
    write.file = m_line.files.first();
    if (!file_to_program(write.file, write.refused))
        return;
    write.image = m_image;
    m_runs.write(m_line.ports, m_image);
    begin_progress(SessionKind::Write);
}

void CliWorker::read()
{
    auto &read = m_result.body.emplace<ReadResult>();
    read.name = m_line.name;
    read.output = m_line.output;
    // Asked before the module is touched, so a refusal costs nothing.
    if (!read.output.isEmpty())
        if (const auto refusal = output_refusal()) {
            stop_with_error(*refusal);
            return;
        }
    if (!start_trace())
        return;
    m_runs.read(m_line.ports);
    begin_progress(SessionKind::Read);
}

std::optional<QString> CliWorker::output_refusal() const
{
    const QString &path = m_line.output;
    const std::optional<FileKind> kind = file_kind(path);
    if (kind && *kind != FileKind::Regular)
        return OUTPUT_NOT_A_FILE.arg(path, kind_words(*kind));
    // A link that points nowhere is there too; saving would create what it points to.
    if ((kind || QFileInfo(path).isSymLink()) && !m_line.force)
        return OUTPUT_EXISTS.arg(path);
    const QString obstacle = save_obstacle(path);
    if (!obstacle.isEmpty())
        return OUTPUT_UNUSABLE.arg(path, obstacle);
    return std::nullopt;
}

void CliWorker::verify()
{
    auto &verify = m_result.body.emplace<VerifyResult>();
    verify.file = m_line.files.first();
    const auto checked = check_file(verify.file);
    if (!checked)
        return;
    // The module is compared with what the window holds once the file is open and checked; a
    // file it cannot open, or would not write, cannot be compared.
    const auto image =
        checked->opens() ? image_to_write(checked->panel()) : std::optional<ModuleImage>();
    if (!image) {
        verify.problems = checked->problems;
        finish(EXIT_PROBLEM);
        return;
    }
    verify.expected = *image;
    if (!start_trace())
        return;
    m_runs.verify(m_line.ports, checked->panel());
    begin_progress(SessionKind::Read);
}

void CliWorker::probe()
{
    m_result.body.emplace<ProbeResult>();
    if (!start_trace())
        return;
    m_runs.probe(m_line.ports);
}

void CliWorker::begin_progress(SessionKind kind)
{
    QList<QString> labels;
    for (const PortArgument &port : std::as_const(m_line.ports))
        labels << port.label;
    if (m_progress)
        m_progress->begin(labels, kind);
}

void CliWorker::runs_finished()
{
    const PortRuns runs = m_runs.runs(m_interrupted);
    int exit_code = EXIT_OK;
    switch (m_line.command) {
    case CliCommand::Write:
        exit_code = write_done(runs);
        break;
    case CliCommand::Read:
        exit_code = read_done(runs);
        break;
    case CliCommand::Verify:
        exit_code = verify_done(runs);
        break;
    case CliCommand::Probe:
        exit_code = probe_done(runs);
        break;
    case CliCommand::Check:
    case CliCommand::Show:
    case CliCommand::Ports:
    case CliCommand::Station:
    case CliCommand::Summary:
        break;
    }
    finish(m_interrupted ? EXIT_INTERRUPTED : exit_code);
}

int CliWorker::write_done(const PortRuns &runs)
{
    std::get<WriteResult>(m_result.body).runs = runs;
    bool failed = false;
    for (const PortRun &run : runs.ports) {
        if (!log_module(run))
            return EXIT_USAGE;
        failed = failed || !run.result.succeeded();
    }
    return failed ? EXIT_PROBLEM : EXIT_OK;
}

int CliWorker::read_done(const PortRuns &runs)
{
    auto &read = std::get<ReadResult>(m_result.body);
    read.runs = runs;
    const SessionResult &result = runs.ports.first().result;
    if (!result.succeeded())
        return EXIT_PROBLEM;
    const Panel panel = read_panel(result.image, m_line.name);
    read.panel = panel;
    if (m_line.output.isEmpty())
        return EXIT_OK;
    const std::optional<ConfigRecord> to_save = record_to_save(panel);
    if (!to_save) {
        // The window's save refuses the same way; nothing is written.
        read.problems = incomplete_problems(panel);
        return EXIT_PROBLEM;
    }
    // The name was checked before the read and the designations are the placeholder, so the
    // record always has its bytes.
    const RecordBytes bytes = write_config_record(*to_save);
    // Checked again: the file may have appeared while the module was read.
    if (const auto refusal = output_refusal()) {
        m_result.error = *refusal;
        return EXIT_USAGE;
    }
    const SaveResult saved = save_record_file(m_line.output, bytes.bytes);
    if (saved.status != SaveStatus::Ok) {
        const QString &text =
            saved.status == SaveStatus::NotWritten ? SAVE_NOT_WRITTEN : SAVE_DAMAGED;
        m_result.error = text.arg(m_line.output, saved.reason);
        return EXIT_USAGE;
    }
    read.saved = true;
    return EXIT_OK;
}

int CliWorker::verify_done(const PortRuns &runs)
{
    std::get<VerifyResult>(m_result.body).runs = runs;
    const bool all_identical =
        std::all_of(runs.ports.begin(), runs.ports.end(), [](const PortRun &run) {
            return run.result.succeeded() && run.differences.isEmpty();
        });
    return all_identical ? EXIT_OK : EXIT_PROBLEM;
}

int CliWorker::probe_done(const PortRuns &runs)
{
    std::get<ProbeResult>(m_result.body).runs = runs;
    const bool all_found = std::all_of(runs.ports.begin(), runs.ports.end(),
                                       [](const PortRun &run) { return run.result.succeeded(); });
    return all_found ? EXIT_OK : EXIT_PROBLEM;
}

// The bench station ------------------------------------------------------------------------------

void CliWorker::station()
{
    auto &station = m_result.body.emplace<StationResult>();
    station.file = m_line.files.first();
    const auto checked = file_to_program(station.file, station.refused);
    if (!checked)
        return;
    StationSetup setup;
    setup.ports = m_line.ports;
    setup.file = station.file;
    setup.sha256 = m_sha256;
    setup.expected = checked->panel();
    setup.image = m_image;
    setup.reply_wait = m_line.reply_wait;
    setup.verify_first = m_line.verify_first;
    Station &bench = m_station.emplace(m_log);
    if (!start_board(bench))
        return;
    StationReport &report = m_station_report.emplace(
        bench, station.file, m_line.log,
        StationReport::Options{m_line.json, m_line.quiet, m_streams.out_terminal,
                               m_streams.columns},
        [this](const QString &line) { print(line); }, m_streams.out, m_streams.err);
    connect(&bench, &Station::event, this,
            [this](const StationEvent &event) { m_station_report->show(event); });
    connect(&bench, &Station::finished, this, &CliWorker::station_finished);
    bench.start(setup);
    report.started();
}

bool CliWorker::start_board(const Station &station)
{
    if (!m_line.board)
        return true;
    const BoardAddress &address = *m_line.board;
    const BoardServer &server = m_board.emplace(station, m_line.log).server();
    if (!m_board->listen(address)) {
        stop_with_error(server.error() == QAbstractSocket::AddressInUseError
                            ? BOARD_IN_USE.arg(address.text())
                            : BOARD_FAILED.arg(address.text(), server.error_string()));
        return false;
    }
    if (!address.loopback())
        m_streams.err << ERROR_LINE.arg(PROGRAM_NAME, BOARD_OPEN.arg(address.text())) << Qt::endl;
    return true;
}

void CliWorker::station_finished()
{
    if (m_finished)
        return;
    QList<PortTally> tallies;
    for (int index = 0; index < m_station->count(); ++index) {
        const StationTally tally = m_station->tally(index);
        tallies.append({m_station->port(index), tally.passed, tally.failed});
    }
    std::get<StationResult>(m_result.body).ports = tallies;
    m_station_report->ending(m_interrupted);
    if (m_station->log_failed()) {
        m_result.error = LOG_STOPPED.arg(m_line.log);
        finish(EXIT_USAGE);
        return;
    }
    finish(m_station->total().failed > 0 ? EXIT_PROBLEM : EXIT_OK);
}

bool CliWorker::open_log()
{
    if (m_line.log.isEmpty())
        return true;
    // Never the file being programmed, nor a port named to program modules on.
    QStringList forbidden;
    for (const QString &file : std::as_const(m_line.files))
        if (file != STANDARD_INPUT)
            forbidden << file;
    for (const PortArgument &port : std::as_const(m_line.ports))
        if (port_address(port.device).scheme == PortScheme::Serial)
            forbidden << port.device;
    const LogStatus opened = m_log.open(m_line.log, forbidden);
    if (opened.ok()) {
        for (LogNotice notice : m_log.take_notices())
            if (notice == LogNotice::NoFinalLineEnd)
                m_streams.err << ERROR_LINE.arg(PROGRAM_NAME, LOG_LINE_END.arg(m_line.log))
                              << Qt::endl;
        return true;
    }
    stop_with_error(LOG_FAILED.arg(m_line.log, log_problem_text(opened)));
    return false;
}

bool CliWorker::log_module(const PortRun &run)
{
    if (!m_log.is_open())
        return true;
    const ModuleRecord record =
        module_record(run.port, run.result, m_line.files.first(), m_sha256, m_image);
    const LogStatus written = m_log.append(log_line(record_json(record)));
    if (written.ok())
        return true;
    m_result.error = LOG_NOT_WRITTEN.arg(m_line.log, written.reason);
    return false;
}

// The logs' summary
// --------------------------------------------------------------------------------

void CliWorker::summary()
{
    auto &summary = m_result.body.emplace<SummaryResult>();
    summary.all = m_line.all;
    LogSummarizer summarizer(m_line.since,
                             m_line.all ? std::nullopt : std::optional(SUMMARY_FAILURES));
    for (const QString &path : std::as_const(m_line.files)) {
        QBuffer input(&m_input.bytes);
        QFile file(reachable(path));
        QIODevice &log = path == STANDARD_INPUT ? static_cast<QIODevice &>(input) : file;
        if (path == STANDARD_INPUT && m_input.status != LoadStatus::Ok) {
            stop_with_error(FILE_UNREADABLE.arg(path, m_input.status == LoadStatus::TooLarge
                                                          ? INPUT_TOO_LARGE
                                                          : load_error(m_input)));
            return;
        }
        const QFileInfo info(file.fileName());
        if (path != STANDARD_INPUT && (!info.exists() || info.isDir())) {
            stop_with_error(
                FILE_UNREADABLE.arg(path, info.isDir() ? FILE_IS_FOLDER : FILE_NOT_FOUND));
            return;
        }
        if (!log.open(QIODevice::ReadOnly)) {
            stop_with_error(FILE_UNREADABLE.arg(path, file.errorString()));
            return;
        }
        for (int number = 1; !log.atEnd(); ++number) {
            const QByteArray line = log.readLine().trimmed();
            if (!line.isEmpty())
                summarizer.add_line(path, number, line);
        }
        if (path != STANDARD_INPUT && file.error() != QFileDevice::NoError) {
            stop_with_error(FILE_UNREADABLE.arg(path, file.errorString()));
            return;
        }
    }
    summary.summary = summarizer.summary();
    finish(summary.summary->bad_lines.isEmpty() ? EXIT_OK : EXIT_PROBLEM);
}

// Shared steps -----------------------------------------------------------------------------------

QString CliWorker::reachable(const QString &path) const
{
    const auto native = m_native_names.find(path);
    if (native == m_native_names.end())
        return path;
    // Held without opening the file itself, which may be a pipe or a device; the file library
    // opens it through this name as it would any other.
    const int fd = ::open(native->constData(), O_PATH | O_CLOEXEC);
    if (fd < 0)
        return path;
    m_native_files.append(fd);
    return PROC_DESCRIPTOR.arg(fd);
}

std::optional<RecordCheck> CliWorker::load_and_check(const QString &path, QString *error,
                                                     QByteArray *bytes) const
{
    const LoadedFile loaded = path == STANDARD_INPUT ? m_input : load_record_file(reachable(path));
    *error = load_error(loaded);
    if (!error->isEmpty())
        return std::nullopt;
    if (bytes)
        *bytes = loaded.bytes;
    return check_record(loaded.bytes, loaded.status == LoadStatus::TooLarge);
}

std::optional<RecordCheck> CliWorker::check_file(const QString &path, QByteArray *bytes)
{
    QString error;
    std::optional<RecordCheck> checked = load_and_check(path, &error, bytes);
    if (!checked)
        stop_with_error(FILE_UNREADABLE.arg(path, error));
    return checked;
}

QString CliWorker::trace_name() const
{
    return m_line.trace.isEmpty() ? qEnvironmentVariable(TRACE_VARIABLE) : m_line.trace;
}

bool CliWorker::start_trace()
{
    QString error;
    if (m_line.trace.isEmpty()) {
        // Like the window: a log that cannot be opened is mentioned and the work goes on.
        if (!start_line_trace_from_environment(&error)) {
            m_streams.err << ERROR_LINE.arg(PROGRAM_NAME, error) << Qt::endl;
            m_result.warning = error;
        } else {
            m_tracing = !qEnvironmentVariableIsEmpty(TRACE_VARIABLE);
        }
        return true;
    }
    if (start_line_trace(m_line.trace, &error)) {
        m_tracing = true;
        return true;
    }
    stop_with_error(ERROR_LINE.arg(TRACE_FAILED.arg(m_line.trace), error));
    return false;
}

void CliWorker::print_event(const QString &text)
{
    if (m_line.json)
        m_streams.err << text << Qt::endl;
    else
        print(text);
}

bool CliWorker::print_out(const QString &line)
{
    QTextStream &out = m_streams.out;
    if (m_output_failed)
        return false;
    out << line;
    out.flush();
    if (out.status() == QTextStream::Ok)
        return true;
    // The pipe was closed or the disk is full: what was lost, and the rest, go to standard error.
    m_output_failed = true;
    m_streams.err << ERROR_LINE.arg(
                         PROGRAM_NAME,
                         OUTPUT_FAILED.arg(out.device() ? out.device()->errorString() : QString()))
                  << Qt::endl;
    return false;
}

void CliWorker::print(const QString &text)
{
    const QString line = text.endsWith(u'\n') ? text : text + u'\n';
    if (print_out(line))
        return;
    m_streams.err << line;
    m_streams.err.flush();
}

void CliWorker::stop_with_error(const QString &text)
{
    m_result.error = text;
    finish(EXIT_USAGE);
}

void CliWorker::finish(int exit_code)
{
    if (m_finished)
        return;
    m_finished = true;
    m_result.exit_code = exit_code;
    for (const ReportLine &line : text_report(m_result)) {
        if (line.error)
            m_streams.err << line.text << Qt::endl;
        else if (!m_line.json)
            print(line.text);
    }
    // A traffic log that stopped taking lines is said once; like output that did not arrive,
    // it is a failure of its own, though not one of a module.
    const std::optional<QString> trace_failed = m_tracing ? line_trace_failure() : std::nullopt;
    if (trace_failed)
        m_streams.err << ERROR_LINE.arg(PROGRAM_NAME,
                                        TRACE_NOT_WRITTEN.arg(trace_name(), *trace_failed))
                      << Qt::endl;
    const auto final_code = [&] {
        return (m_output_failed || trace_failed) && exit_code == EXIT_OK ? EXIT_USAGE : exit_code;
    };
    if (m_line.json) {
        // The station's events are one object a line; its summary is the last of them. The
        // document says the exit code the process ends with, wherever it arrives.
        const auto document = [&] {
            m_result.exit_code = final_code();
            return m_station_report
                       ? m_station_report->summary_json(json_report(m_result))
                       : QString::fromUtf8(QJsonDocument(json_report(m_result)).toJson());
        };
        if (!print_out(document()))
            m_streams.err << document();
    }
    m_streams.err.flush();
    m_exit_code = final_code();
    // Never from inside start(): the caller connects to finished() after constructing us and
    // may start the event loop only afterwards.
    QMetaObject::invokeMethod(
        this, [this] { emit finished(m_exit_code); }, Qt::QueuedConnection);
}
