#include "cli_worker.h"

#include "cli_texts.h"
#include "file_texts.h"
#include "json_report.h"
#include "line_trace.h"
#include "record_file.h"
#include "run_report.h"
#include "slot_table.h"

#include <QFileInfo>
#include <QJsonDocument>

using namespace cli;

namespace
{

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
            m_progress->finish(index, *m_runs.result(index));
    });
    connect(&m_runs, &ModuleRuns::finished, this, &CliWorker::runs_finished);
}

void CliWorker::start(const QStringList &arguments)
{
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
    m_json.insert(json_key::COMMAND, command_name(m_line.command));
    if (!m_line.quiet) {
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
    }
}

void CliWorker::interrupt()
{
    if (m_finished || m_interrupted)
        return;
    m_interrupted = true;
    m_input_reader.reset();
    // Each run ends at once and the last one reports through runs_finished().
    if (m_runs.running())
        m_runs.abort();
    else
        finish(EXIT_INTERRUPTED);
}

// Commands on files ------------------------------------------------------------------------------

void CliWorker::check()
{
    int exit_code = EXIT_OK;
    QJsonArray files;
    for (const QString &path : std::as_const(m_line.files)) {
        QJsonObject file{{json_key::FILE_PATH, path}};
        QString error;
        const std::optional<RecordCheck> checked = load_and_check(path, &error);
        if (!checked) {
            m_streams.err << ERROR_LINE.arg(PROGRAM_NAME, FILE_UNREADABLE.arg(path, error))
                          << Qt::endl;
            file.insert(json_key::STATUS, json_value::UNREADABLE);
            file.insert(json_key::ERROR, error);
            files.append(file);
            exit_code = std::max(exit_code, EXIT_USAGE);
            continue;
        }
        if (!m_line.json) {
            if (checked->sound())
                print(FILE_SOUND.arg(path));
            report_problems(m_streams.out, path, checked->problems);
        }
        file.insert(json_key::STATUS, checked->sound() ? json_value::SOUND : json_value::PROBLEMS);
        file.insert(json_key::PROBLEMS, problems_json(checked->problems));
        files.append(file);
        if (!checked->sound())
            exit_code = std::max(exit_code, EXIT_PROBLEM);
    }
    m_json.insert(json_key::FILES, files);
    finish(exit_code);
}

void CliWorker::show()
{
    const QString &path = m_line.files.first();
    const auto checked = check_file(path);
    if (!checked)
        return;
    m_json.insert(json_key::FILE_PATH, path);
    if (!checked->opens()) {
        report_problems(m_streams.err, path, checked->problems);
        m_json.insert(json_key::PROBLEMS, problems_json(checked->problems));
        finish(EXIT_PROBLEM);
        return;
    }
    print_table(checked->panel());
    finish(EXIT_OK);
}

void CliWorker::print_table(const Panel &panel)
{
    if (!m_line.json)
        for (const QString &line : slot_table(panel))
            print(line);
    m_json.insert(json_key::PANEL, panel.name);
    m_json.insert(json_key::SLOTS, slots_json(panel));
}

// Commands on modules ----------------------------------------------------------------------------

void CliWorker::write()
{
    const QString &path = m_line.files.first();
    const auto checked = check_file(path);
    if (!checked)
        return;
    m_json.insert(json_key::FILE_PATH, path);
    // The window would refuse, or undo, every one of these before writing.
    if (!checked->sound()) {
        report_problems(m_streams.err, path, checked->problems);
        m_streams.err << REFUSED.arg(path) << Qt::endl;
        m_json.insert(json_key::PROBLEMS, problems_json(checked->problems));
        finish(EXIT_PROBLEM);
        return;
    }
    if (!start_trace())
        return;
    m_image = *image_to_write(checked->panel());
    start_runs(SessionKind::Write, m_image);
}

void CliWorker::read()
{
    m_json.insert(json_key::PANEL, m_line.name);
    if (!m_line.output.isEmpty()) {
        m_json.insert(json_key::FILE_PATH, m_line.output);
        // Asked before the module is touched, so a refusal costs nothing.
        if (const auto refusal = output_refusal()) {
            stop_with_error(*refusal);
            return;
        }
    }
    if (!start_trace())
        return;
    start_runs(SessionKind::Read);
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
    const QString &path = m_line.files.first();
    const auto checked = check_file(path);
    if (!checked)
        return;
    m_json.insert(json_key::FILE_PATH, path);
    // The module is compared with what the window holds once the file is open and checked; a
    // file it cannot open, or would not write, cannot be compared.
    const auto image =
        checked->opens() ? image_to_write(checked->panel()) : std::optional<ModuleImage>();
    if (!image) {
        report_problems(m_streams.err, path, checked->problems);
        m_streams.err << CANNOT_VERIFY.arg(path) << Qt::endl;
        m_json.insert(json_key::PROBLEMS, problems_json(checked->problems));
        finish(EXIT_PROBLEM);
        return;
    }
    m_expected = checked->panel();
    m_image = *image;
    m_json.insert(json_key::EXPECTED, bytes_json(m_image));
    if (!start_trace())
        return;
    start_runs(SessionKind::Read);
}

void CliWorker::start_runs(SessionKind kind, const ModuleImage &image)
{
    QList<QString> labels;
    for (const PortArgument &port : std::as_const(m_line.ports))
        labels << port.label;
    if (m_progress)
        m_progress->begin(labels, kind);
    if (kind == SessionKind::Read)
        m_runs.read(m_line.ports);
    else
        m_runs.write(m_line.ports, image);
}

void CliWorker::runs_finished()
{
    int exit_code = EXIT_OK;
    switch (m_line.command) {
    case CliCommand::Write:
        exit_code = write_results();
        break;
    case CliCommand::Read:
        exit_code = read_result();
        break;
    case CliCommand::Verify:
        exit_code = verify_results();
        break;
    case CliCommand::Check:
    case CliCommand::Show:
        break;
    }
    m_json.insert(json_key::INTERRUPTED, m_interrupted);
    if (m_interrupted)
        report_interrupt();
    finish(m_interrupted ? EXIT_INTERRUPTED : exit_code);
}

int CliWorker::write_results()
{
    QJsonArray ports;
    int failed = 0;
    for (int index = 0; index < m_runs.count(); ++index) {
        const SessionResult &result = *m_runs.result(index);
        ports.append(port_json(m_runs.port(index), result, m_image));
        print_result(index, result.succeeded() ? PROGRAMMED.arg(CONFIGURATION_BYTES)
                                               : failure_text(result, m_image));
        if (!result.succeeded())
            ++failed;
    }
    m_json.insert(json_key::PORTS, ports);
    if (failed > 0 && m_runs.count() > 1 && !m_interrupted && !m_line.json)
        print(FAILED_SUMMARY.arg(failed).arg(m_runs.count()));
    return failed > 0 ? EXIT_PROBLEM : EXIT_OK;
}

int CliWorker::read_result()
{
    const SessionResult &result = *m_runs.result(0);
    m_json.insert(json_key::PORTS, QJsonArray{port_json(m_runs.port(0), result)});
    const bool saving = !m_line.output.isEmpty();
    if (saving)
        m_json.insert(json_key::SAVED, false);
    if (!result.succeeded()) {
        print_result(0, failure_text(result));
        return EXIT_PROBLEM;
    }
    const Panel panel = read_panel(result.image, m_line.name);
    if (!saving) {
        print_result(0, READ_DONE.arg(CONFIGURATION_BYTES));
        if (!m_line.json)
            print(QString());
        print_table(panel);
        return EXIT_OK;
    }
    m_json.insert(json_key::SLOTS, slots_json(panel));
    const std::optional<ConfigRecord> to_save = record_to_save(panel);
    if (!to_save) {
        // The window's save refuses the same way; nothing is written.
        const QList<RecordProblem> problems = incomplete_problems(panel);
        report_problems(m_streams.err, m_runs.port(0).label, problems);
        m_json.insert(json_key::PROBLEMS, problems_json(problems));
        return EXIT_PROBLEM;
    }
    // The name was checked before the read and the designations are the placeholder, so the
    // record always has its bytes.
    const RecordBytes bytes = write_config_record(*to_save);
    // Checked again: the file may have appeared while the module was read.
    if (const auto refusal = output_refusal()) {
        report_error(*refusal);
        return EXIT_USAGE;
    }
    const SaveResult saved = save_record_file(m_line.output, bytes.bytes);
    if (saved.status != SaveStatus::Ok) {
        const QString &text =
            saved.status == SaveStatus::NotWritten ? SAVE_NOT_WRITTEN : SAVE_DAMAGED;
        report_error(text.arg(m_line.output, saved.reason));
        return EXIT_USAGE;
    }
    m_json.insert(json_key::SAVED, true);
    print_result(0, SAVED.arg(CONFIGURATION_BYTES).arg(m_line.output));
    return EXIT_OK;
}

int CliWorker::verify_results()
{
    QJsonArray ports;
    int exit_code = EXIT_OK;
    const QString &path = m_line.files.first();
    for (int index = 0; index < m_runs.count(); ++index) {
        const SessionResult &result = *m_runs.result(index);
        QJsonObject port = port_json(m_runs.port(index), result);
        if (!result.succeeded()) {
            print_result(index, failure_text(result));
            exit_code = EXIT_PROBLEM;
            ports.append(port);
            continue;
        }
        const QList<PanelDifference> differences =
            panel_differences(m_expected, read_panel(result.image));
        QJsonArray listed;
        for (const PanelDifference &difference : differences)
            listed.append(difference_json(difference));
        port.insert(json_key::IDENTICAL, differences.isEmpty());
        port.insert(json_key::DIFFERENCES, listed);
        ports.append(port);
        if (differences.isEmpty()) {
            print_result(index, IDENTICAL.arg(path));
            continue;
        }
        exit_code = EXIT_PROBLEM;
        print_result(index, DIFFERENT.arg(path));
        if (!m_line.json)
            for (const PanelDifference &difference : differences)
                print(DIFFERENCE_LINE.arg(difference.text()));
    }
    m_json.insert(json_key::PORTS, ports);
    return exit_code;
}

void CliWorker::report_interrupt()
{
    QStringList partly;
    for (int index = 0; index < m_runs.count(); ++index)
        if (may_be_partly_programmed(*m_runs.result(index)))
            partly << m_runs.port(index).label;
    m_streams.err << (partly.isEmpty() ? INTERRUPTED_SUMMARY
                                       : INTERRUPTED_PARTLY.arg(partly.join(NAME_LIST_SEPARATOR)))
                  << Qt::endl;
}

// Shared steps -----------------------------------------------------------------------------------

std::optional<RecordCheck> CliWorker::load_and_check(const QString &path, QString *error) const
{
    const LoadedFile loaded = path == STANDARD_INPUT ? m_input : load_record_file(path);
    *error = load_error(loaded);
    if (!error->isEmpty())
        return std::nullopt;
    return check_record(loaded.bytes, loaded.status == LoadStatus::TooLarge);
}

std::optional<RecordCheck> CliWorker::check_file(const QString &path)
{
    QString error;
    std::optional<RecordCheck> checked = load_and_check(path, &error);
    if (!checked) {
        m_json.insert(json_key::FILE_PATH, path);
        stop_with_error(FILE_UNREADABLE.arg(path, error));
    }
    return checked;
}

void CliWorker::report_problems(QTextStream &stream, const QString &file,
                                const QList<RecordProblem> &problems)
{
    if (m_line.json && &stream == &m_streams.out)
        return;
    for (const RecordProblem &problem : problems) {
        const QString line = FILE_PROBLEM.arg(file, problem.message(), problem.detail);
        if (&stream == &m_streams.out)
            print(line);
        else
            stream << line << Qt::endl;
    }
}

bool CliWorker::start_trace()
{
    QString error;
    if (m_line.trace.isEmpty()) {
        // Like the window: a log that cannot be opened is mentioned and the work goes on.
        if (!start_line_trace_from_environment(&error))
            report_error(error);
        return true;
    }
    if (start_line_trace(m_line.trace, &error))
        return true;
    stop_with_error(ERROR_LINE.arg(TRACE_FAILED.arg(m_line.trace), error));
    return false;
}

void CliWorker::print(const QString &text)
{
    const QString line = text.endsWith(u'\n') ? text : text + u'\n';
    QTextStream &out = m_streams.out;
    if (!m_output_failed) {
        out << line;
        out.flush();
        if (out.status() == QTextStream::Ok)
            return;
        // The pipe was closed or the disk is full: what was lost, and the rest, go here.
        m_output_failed = true;
        m_streams.err << ERROR_LINE.arg(PROGRAM_NAME,
                                        OUTPUT_FAILED.arg(out.device() ? out.device()->errorString()
                                                                       : QString()))
                      << Qt::endl;
    }
    m_streams.err << line;
    m_streams.err.flush();
}

void CliWorker::print_result(int index, const QString &text)
{
    if (!m_line.json)
        print(RESULT_LINE.arg(m_runs.port(index).label, text));
}

void CliWorker::report_error(const QString &text)
{
    m_streams.err << ERROR_LINE.arg(PROGRAM_NAME, text) << Qt::endl;
    m_json.insert(json_key::ERROR, text);
}

void CliWorker::stop_with_error(const QString &text)
{
    report_error(text);
    finish(EXIT_USAGE);
}

void CliWorker::finish(int exit_code)
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_line.json) {
        m_json.insert(json_key::EXIT_CODE, exit_code);
        print(QString::fromUtf8(QJsonDocument(m_json).toJson(QJsonDocument::Indented)));
    }
    m_streams.err.flush();
    // Output that did not arrive is a failure of its own, though not one of a module.
    m_exit_code = m_output_failed && exit_code == EXIT_OK ? EXIT_USAGE : exit_code;
    // Never from inside start(): the caller connects to finished() after constructing us and
    // may start the event loop only afterwards.
    QMetaObject::invokeMethod(
        this, [this] { emit finished(m_exit_code); }, Qt::QueuedConnection);
}
