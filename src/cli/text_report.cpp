#include "text_report.h"

#include "cli_texts.h"
#include "memory_map.h"
#include "problem_words.h"
#include "session_words.h"
#include "slot_table.h"

using namespace cli;

namespace
{

const QString FILE_SOUND = QStringLiteral("%1: sound");
const QString FILE_PROBLEM = QStringLiteral("%1: %2: %3");
const QString REFUSED = QStringLiteral("%1: refused, nothing was written to any module");
const QString CANNOT_VERIFY =
    QStringLiteral("%1: cannot be compared with a module, the window could not write it");
const QString RESULT_LINE = QStringLiteral("%1: %2");
const QString READ_DONE = QStringLiteral("read %1 bytes");
const QString SAVED = QStringLiteral("read %1 bytes, saved %2");
const QString IDENTICAL = QStringLiteral("holds what %1 says");
const QString DIFFERENT = QStringLiteral("differs from %1:");
const QString DIFFERENCE_LINE = QStringLiteral("  %1");
const QString INTERRUPTED_SUMMARY = QStringLiteral("interrupted; ports closed");
const QString INTERRUPTED_PARTLY =
    QStringLiteral("interrupted; ports closed; may be partly programmed: %1");
const QString FAILED_SUMMARY = QStringLiteral("%1 of %2 modules failed");
// probe and ports.
const QString RESOLVES_TO = QStringLiteral(" -> ");
const QString MODULE_FOUND = QStringLiteral("a data converter module (identity %1)");
const QString NO_SERIAL_PORTS = QStringLiteral("no serial ports found");
const QString PORTS_DEVICE = QStringLiteral("DEVICE");
const QString PORTS_DESCRIPTION = QStringLiteral("DESCRIPTION");
const QString PORTS_MANUFACTURER = QStringLiteral("MANUFACTURER");
const QString PORTS_USB_ID = QStringLiteral("USB ID");
const QString PORTS_SERIAL = QStringLiteral("SERIAL NUMBER");
const QString PORTS_COM = QStringLiteral("COM");
const QString PORTS_EXISTS = QStringLiteral("EXISTS");
const QString USB_ID = QStringLiteral("%1:%2");
const QString YES = QStringLiteral("yes");
const QString NO = QStringLiteral("no");
const QString SUMMARY_NOTHING = QStringLiteral("in all: no module");
const QString SUMMARY_ALL = QStringLiteral("in all: %1 passed, %2 failed, from %3 to %4");
const QString SUMMARY_TIME = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString SUMMARY_FAILURES_ALL = QStringLiteral("failures:");
const QString SUMMARY_FAILURES_LAST =
    QStringLiteral("failures, the last %1 of %2 (--all for every one):");
const QString SUMMARY_LINE = QStringLiteral("%1 line %2");
const QString SUMMARY_BAD_LINES = QStringLiteral("not a record (%1): %2");
const QString PORTS_PORT = QStringLiteral("PORT");
const QString PORTS_FILE = QStringLiteral("FILE");
const QString PORTS_SHA256 = QStringLiteral("SHA-256");
const QString PORTS_PASSED = QStringLiteral("PASSED");
const QString PORTS_FAILED = QStringLiteral("FAILED");
constexpr int SHA256_SHOWN = 12; // hex digits of a file's SHA-256 in a table
const QString STATION_TALLY = QStringLiteral("%1: %2 passed, %3 failed");
const QString STATION_TOTAL = QStringLiteral("all ports: %1 passed, %2 failed");

class Lines
{
public:
    void out(const QString &text) { m_lines.append({false, text}); }
    void err(const QString &text) { m_lines.append({true, text}); }
    void problems(const QString &name, const QList<RecordProblem> &problems, bool error)
    {
        for (const RecordProblem &problem : problems)
            m_lines.append(
                {error, FILE_PROBLEM.arg(name, problem_message(problem), problem_detail(problem))});
    }
    void result(const PortRun &run, const QString &text)
    {
        out(RESULT_LINE.arg(run.port.label, text));
    }
    // After Ctrl-C: one line naming the modules a write may have left partly programmed.
    void interrupted(const PortRuns &runs)
    {
        if (!runs.interrupted)
            return;
        QStringList partly;
        for (const PortRun &run : runs.ports)
            if (may_be_partly_programmed(run.result))
                partly << run.port.label;
        err(partly.isEmpty() ? INTERRUPTED_SUMMARY
                             : INTERRUPTED_PARTLY.arg(partly.join(NAME_LIST_SEPARATOR)));
    }
    void add(const CheckResult &check);
    void add(const ShowResult &show);
    void add(const WriteResult &write);
    void add(const ReadResult &read);
    void add(const VerifyResult &verify);
    void add(const ProbeResult &probe);
    void add(const PortsResult &ports);
    void add(const StationResult &station);
    void add(const SummaryResult &summary);
    void add(std::monostate) {}

    QList<ReportLine> m_lines;
};

void Lines::add(const CheckResult &check)
{
    for (const CheckedFile &file : check.files) {
        if (!file.error.isEmpty())
            err(ERROR_LINE.arg(PROGRAM_NAME, FILE_UNREADABLE.arg(file.file, file.error)));
        else if (file.problems.isEmpty())
            out(FILE_SOUND.arg(file.file));
        problems(file.file, file.problems, false);
    }
}

void Lines::add(const ShowResult &show)
{
    if (show.problems)
        problems(show.file, *show.problems, true);
    if (show.panel)
        for (const QString &line : slot_table(*show.panel))
            out(line);
}

void Lines::add(const WriteResult &write)
{
    if (write.refused) {
        problems(write.file, *write.refused, true);
        err(REFUSED.arg(write.file));
    }
    if (!write.runs)
        return;
    int failed = 0;
    for (const PortRun &run : write.runs->ports) {
        result(run, run.result.succeeded() ? PROGRAMMED.arg(CONFIGURATION_BYTES)
                                           : failure_text(run.result, write.image));
        failed += !run.result.succeeded();
    }
    const auto count = write.runs->ports.size();
    if (failed > 0 && count > 1 && !write.runs->interrupted)
        out(FAILED_SUMMARY.arg(failed).arg(count));
    interrupted(*write.runs);
}

void Lines::add(const ReadResult &read)
{
    if (!read.runs)
        return;
    const PortRun &run = read.runs->ports.first();
    if (!run.result.succeeded()) {
        result(run, failure_text(run.result));
    } else if (read.output.isEmpty()) {
        result(run, READ_DONE.arg(CONFIGURATION_BYTES));
        out(QString());
        for (const QString &line : slot_table(*read.panel))
            out(line);
    } else if (read.problems) {
        problems(run.port.label, *read.problems, true);
    } else if (read.saved) {
        result(run, SAVED.arg(CONFIGURATION_BYTES).arg(read.output));
    }
    interrupted(*read.runs);
}

void Lines::add(const VerifyResult &verify)
{
    if (verify.problems) {
        problems(verify.file, *verify.problems, true);
        err(CANNOT_VERIFY.arg(verify.file));
    }
    if (!verify.runs)
        return;
    for (const PortRun &run : verify.runs->ports) {
        if (!run.result.succeeded()) {
            result(run, failure_text(run.result));
            continue;
        }
        result(run, (run.differences.isEmpty() ? IDENTICAL : DIFFERENT).arg(verify.file));
        for (const PanelDifference &difference : run.differences)
            out(DIFFERENCE_LINE.arg(difference_text(difference)));
    }
    interrupted(*verify.runs);
}

void Lines::add(const ProbeResult &probe)
{
    if (!probe.runs)
        return;
    for (const PortRun &run : probe.runs->ports) {
        // The name as given, then each name it leads to: "COM1 -> /dev/COM1 -> /dev/pts/3".
        QStringList names{run.port.label};
        for (const QString &name : {run.port.device, run.target})
            if (!name.isEmpty() && name != names.last())
                names << name;
        out(RESULT_LINE.arg(names.join(RESOLVES_TO),
                            run.result.succeeded()
                                ? MODULE_FOUND.arg(run.result.identity.value_or(0))
                                : failure_text(run.result)));
    }
    interrupted(*probe.runs);
}

void Lines::add(const PortsResult &ports)
{
    QList<QStringList> serial{
        {PORTS_DEVICE, PORTS_DESCRIPTION, PORTS_MANUFACTURER, PORTS_USB_ID, PORTS_SERIAL}};
    const auto hex = [](quint16 id) {
        return QString::number(id, HEX).rightJustified(USB_ID_DIGITS, u'0');
    };
    for (const SerialPortEntry &port : ports.serial_ports)
        serial.append({port.device, port.description, port.manufacturer,
                       port.vendor_id && port.product_id
                           ? USB_ID.arg(hex(*port.vendor_id), hex(*port.product_id))
                           : QString(),
                       port.serial_number});
    if (ports.serial_ports.isEmpty())
        out(NO_SERIAL_PORTS);
    else
        for (const QString &line : aligned_rows(serial))
            out(line);
    out(QString());
    QList<QStringList> com{{PORTS_COM, PORTS_DEVICE, PORTS_EXISTS}};
    for (const ComPortEntry &port : ports.com_ports)
        com.append({QString::number(port.number),
                    port.target.isEmpty() ? port.device : port.device + RESOLVES_TO + port.target,
                    port.exists ? YES : NO});
    for (const QString &line : aligned_rows(com))
        out(line);
}

void Lines::add(const StationResult &station)
{
    if (station.refused) {
        problems(station.file, *station.refused, true);
        err(REFUSED.arg(station.file));
    }
    if (!station.ports)
        return;
    int passed = 0, failed = 0;
    for (const PortTally &tally : *station.ports) {
        out(STATION_TALLY.arg(tally.port.label).arg(tally.passed).arg(tally.failed));
        passed += tally.passed;
        failed += tally.failed;
    }
    out(STATION_TOTAL.arg(passed).arg(failed));
}

void Lines::add(const SummaryResult &result)
{
    if (!result.summary)
        return;
    const LogSummary &summary = *result.summary;
    const auto counts = [](const LogSummary::Count &count) {
        return QStringList{QString::number(count.passed), QString::number(count.failed)};
    };
    if (!summary.first)
        out(SUMMARY_NOTHING);
    else
        out(SUMMARY_ALL.arg(summary.count.passed)
                .arg(summary.count.failed)
                .arg(summary.first->toString(SUMMARY_TIME), summary.last->toString(SUMMARY_TIME)));
    if (!summary.ports.isEmpty()) {
        QList<QStringList> ports{{PORTS_PORT, PORTS_PASSED, PORTS_FAILED}};
        for (const LogSummary::Port &port : summary.ports)
            ports.append(QStringList{port.port} + counts(port.count));
        out(QString());
        for (const QString &line : aligned_rows(ports))
            out(line);
        QList<QStringList> files{{PORTS_FILE, PORTS_SHA256, PORTS_PASSED, PORTS_FAILED}};
        for (const LogSummary::File &file : summary.files)
            files.append(QStringList{file.file,
                                     QString::fromLatin1(file.sha256.toHex().left(SHA256_SHOWN))} +
                         counts(file.count));
        out(QString());
        for (const QString &line : aligned_rows(files))
            out(line);
    }
    if (!summary.failures.isEmpty()) {
        out(QString());
        const bool all = summary.failures.size() == summary.count.failed;
        out(all ? SUMMARY_FAILURES_ALL
                : SUMMARY_FAILURES_LAST.arg(summary.failures.size()).arg(summary.count.failed));
        QList<QStringList> failures;
        for (const LogSummary::Failure &failure : summary.failures)
            failures.append({failure.record.time.toString(SUMMARY_TIME), failure.record.port,
                             failure.record.detail});
        for (const QString &line : aligned_rows(failures))
            out(line);
    }
    if (!summary.bad_lines.isEmpty()) {
        QStringList where;
        for (const LogSummary::BadLine &bad : summary.bad_lines)
            where << SUMMARY_LINE.arg(bad.log).arg(bad.line);
        out(QString());
        out(SUMMARY_BAD_LINES.arg(summary.bad_lines.size()).arg(where.join(NAME_LIST_SEPARATOR)));
    }
}

} // namespace

QList<ReportLine> text_report(const CommandResult &result)
{
    Lines lines;
    std::visit([&lines](const auto &body) { lines.add(body); }, result.body);
    if (!result.error.isEmpty())
        lines.err(ERROR_LINE.arg(PROGRAM_NAME, result.error));
    return lines.m_lines;
}
