#include "file_commands.h"

#include "config_record.h"
#include "file_texts.h"
#include "form1.h"
#include "gathering.h"
#include "loop_bytes.h"
#include "prompts.h"
#include "record_file.h"
#include "slot_lists.h"
#include "ui_constants.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>

#include <chrono>

namespace
{

constexpr int PANEL_NAME_BOX = 2; // Text(2)
constexpr int PANEL_NAME_FIELD_NUMBER = 2;
constexpr int FIRST_OUTPUT_FIELD = 2 * SLOT_COUNT + 3;

// Characters that would make the proposed name a path, or that common file systems refuse.
bool unsafe_in_file_name(QChar c)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    return c.unicode() < u' ' || forbidden.contains(c);
}

// The read-side fields of the configuration as a record, so a failed read leaves the fields it
// did not reach as they were.
ConfigRecord staged_record(const ConverterConfig &config)
{
    ConfigRecord record;
    record.model = config.rmodel;
    record.panel = config.panel;
    record.indesig = config.indesig;
    record.in = config.in;
    record.outdesig = config.outdesig;
    record.out = config.out;
    record.loops = {config.inllsb, config.inlmsb, config.outllsb, config.outlmsb};
    return record;
}

void stage_record(const ConfigRecord &record, ConverterConfig &config)
{
    config.rmodel = record.model;
    config.panel = record.panel;
    config.indesig = record.indesig;
    config.in = record.in;
    config.outdesig = record.outdesig;
    config.out = record.out;
    config.inllsb = record.loops.inllsb;
    config.inlmsb = record.loops.inlmsb;
    config.outllsb = record.loops.outllsb;
    config.outlmsb = record.loops.outlmsb;
}

QString text_field_name(int field)
{
    if (field == PANEL_NAME_FIELD_NUMBER)
        return files::PANEL_NAME_FIELD;
    if (field < FIRST_OUTPUT_FIELD)
        return files::INPUT_DESIGNATION_FIELD.arg((field - 1) / 2);
    return files::OUTPUT_DESIGNATION_FIELD.arg((field - FIRST_OUTPUT_FIELD) / 2 + 1);
}

QString kind_name(FileKind kind)
{
    switch (kind) {
    case FileKind::Pipe:
        return files::PIPE_KIND;
    case FileKind::Device:
        return files::DEVICE_KIND;
    case FileKind::Socket:
        return files::SOCKET_KIND;
    default:
        return files::OTHER_KIND;
    }
}

QString in_seconds(std::chrono::milliseconds duration)
{
    return QString::number(std::chrono::duration<double>(duration).count());
}

} // namespace

FileCommands::FileCommands(Form1 &form, QObject *parent) : QObject(parent), m_form(form)
{
    connect(&m_loader, &RecordFileLoader::finished, this, &FileCommands::load_finished);
}

FileCommands::~FileCommands()
{
    if (running())
        QGuiApplication::restoreOverrideCursor();
}

void FileCommands::READ_FILE()
{
    ConverterConfig &config = m_form.config();
    // A device read pumps events while it loads the window, and a slow open waits for its file:
    // a second load must not cut in.
    if (config.busy == TRUE16 || running())
        return;
    config.busy = TRUE16;
    m_form.hide_status();
    const QString chosen =
        m_form.prompts().open_file_name(files::OPEN_TITLE, files::FILE_FILTER, m_file_name);
    if (chosen.isEmpty()) {
        config.busy = FALSE16;
        return;
    }
    m_file_name = chosen;
    if (const std::optional<LoadedFile> file = m_loader.start(chosen)) {
        finish_open(*file);
        return;
    }
    // Nothing goes into the window while the file is awaited, so the operator's edits meanwhile
    // are validated as always.
    config.busy = FALSE16;
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
}

void FileCommands::load_finished(const LoadedFile &file)
{
    QGuiApplication::restoreOverrideCursor();
    m_form.config().busy = TRUE16;
    finish_open(file);
}

void FileCommands::finish_open(const LoadedFile &file)
{
    const OpenResult result = open_into_window(file);
    m_form.config().busy = FALSE16;
    const QString path = QDir::toNativeSeparators(m_file_name);
    switch (result) {
    case OpenResult::Done:
        m_form.check_assignments();
        break;
    case OpenResult::Silent:
        break;
    case OpenResult::Mismatch:
        m_form.prompts().message(files::MISMATCH_TITLE, files::MISMATCH_TEXT);
        break;
    case OpenResult::NotAFile:
        m_form.prompts().message(files::OPEN_FAILED_TITLE,
                                 files::OPEN_NOT_A_FILE_TEXT.arg(path, kind_name(file.kind)));
        break;
    case OpenResult::TimedOut:
        m_form.prompts().message(
            files::OPEN_FAILED_TITLE,
            files::OPEN_TIMED_OUT_TEXT.arg(path, in_seconds(m_loader.time_limit())));
        break;
    }
}

FileCommands::OpenResult FileCommands::open_into_window(const LoadedFile &file)
{
    switch (file.status) {
    case LoadStatus::AccessDenied:
        return OpenResult::Silent;
    case LoadStatus::NotAFile:
        return OpenResult::NotAFile;
    case LoadStatus::TimedOut:
        return OpenResult::TimedOut;
    case LoadStatus::NotFound:
    case LoadStatus::ReadError:
        return OpenResult::Mismatch;
    case LoadStatus::Ok:
    case LoadStatus::TooLarge:
        // A file longer than the limit still opens when its record ends within the part read.
        break;
    }

    ConverterConfig &config = m_form.config();
    ConfigRecord record = staged_record(config);
    const RecordStatus status = read_config_record(file.bytes, record);
    stage_record(record, config);
    if (status != RecordStatus::Ok)
        return OpenResult::Mismatch;

    apply_record(record);
    if (!load_slots())
        return OpenResult::Mismatch;
    m_form.apply_loop_bytes();
    return OpenResult::Done;
}

void FileCommands::apply_record(const ConfigRecord &record)
{
    // The box limits typing to 12 characters, but a longer name from a file is shown whole.
    QLineEdit *panel = m_form.Text(PANEL_NAME_BOX);
    panel->setMaxLength(std::max<int>(ui::PANEL_NAME_MAX_LENGTH, record.panel.size()));
    panel->setText(record.panel);
}

bool FileCommands::load_slots()
{
    ConverterConfig &config = m_form.config();
    // A side that decodes as assigned shows the designation from the file; any other keeps
    // the placeholder, hidden.
    auto set_designation = [&](int box, const QString &designation) {
        const bool assigned = config.m_index != NA_POSITION;
        m_form.Text(box)->setText(assigned ? designation : ui::DESIGNATION);
        m_form.Text(box)->setVisible(assigned);
    };
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        if (!m_form.load_input_slot(k, config.in[i]))
            return false;
        set_designation(input_designation_box(k), config.indesig[i]);
    }
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        if (!m_form.load_output_slot(k, config.out[i]))
            return false;
        set_designation(output_designation_box(k), config.outdesig[i]);
    }
    return true;
}

void FileCommands::WRITE_FILE()
{
    ConverterConfig &config = m_form.config();
    // Gathering in the middle of a load would save half of one configuration, and a save
    // while an open waits for its file would be overwritten by it.
    if (config.busy == TRUE16 || running())
        return;
    m_form.hide_status();
    config.error_flag = 0;
    config.wmodel = files::MODEL_ID;
    const LoopBytes loops = pack_loop_bytes(config.inl, config.outl);
    config.inllsb = loops.inllsb;
    config.inlmsb = loops.inlmsb;
    config.outllsb = loops.outllsb;
    config.outlmsb = loops.outlmsb;

    m_form.gather_point_codes();
    if (config.error_flag == INCOMPLETE_INPUT || config.error_flag == INCOMPLETE_OUTPUT) {
        m_form.show_status(config.error_flag == INCOMPLETE_INPUT ? files::INPUTS_INCOMPLETE
                                                                 : files::OUTPUTS_INCOMPLETE,
                           ui::RED);
        return;
    }
    if (m_form.Text(PANEL_NAME_BOX)->text().isEmpty()) {
        m_form.prompts().message(QCoreApplication::applicationName(), files::PANEL_NAME_MISSING);
        return;
    }
    // Refused before the dialog, so the operator does not choose a file for nothing.
    const RecordBytes record = write_config_record(record_to_save());
    if (record.fault) {
        const QString field = text_field_name(record.fault->field);
        m_form.prompts().message(
            files::UNWRITABLE_TITLE,
            record.fault->kind == TextFault::DoubleQuote
                ? files::DOUBLE_QUOTE_TEXT.arg(field)
                : files::NOT_IN_CODE_PAGE_TEXT.arg(field, character_name(record.fault->character)));
        return;
    }

    m_file_name = proposed_file_name();
    const QString chosen =
        m_form.prompts().save_file_name(files::SAVE_TITLE, files::FILE_FILTER, m_file_name);
    if (chosen.isEmpty())
        return;
    m_file_name = chosen;
    const SaveResult saved = save_record_file(chosen, record.bytes);
    if (saved.status == SaveStatus::Ok)
        return;
    const QString path = QDir::toNativeSeparators(chosen);
    QString text;
    switch (saved.status) {
    case SaveStatus::NotWritten:
        text = files::SAVE_FAILED_KEPT_TEXT.arg(path, saved.reason);
        break;
    case SaveStatus::Damaged:
        text = files::SAVE_FAILED_CHECK_TEXT.arg(path, saved.reason);
        break;
    case SaveStatus::CopyKept:
        text = files::SAVE_FAILED_COPY_TEXT.arg(path, saved.reason,
                                                QDir::toNativeSeparators(saved.copy));
        break;
    case SaveStatus::Ok:
        return;
    }
    m_form.prompts().message(files::SAVE_FAILED_TITLE, text);
}

ConfigRecord FileCommands::record_to_save() const
{
    const ConverterConfig &config = m_form.config();
    ConfigRecord record;
    record.model = config.wmodel;
    record.panel = m_form.Text(PANEL_NAME_BOX)->text();
    for (int k = 1; k <= SLOT_COUNT; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        record.indesig[i] = m_form.Text(input_designation_box(k))->text();
        record.outdesig[i] = m_form.Text(output_designation_box(k))->text();
    }
    record.in = config.inw;
    record.out = config.outw;
    record.loops = {config.inllsb, config.inlmsb, config.outllsb, config.outlmsb};
    return record;
}

// The panel name plus the extension, in the folder of the file last used; characters that
// would lead elsewhere are replaced.
QString FileCommands::proposed_file_name() const
{
    QString name = m_form.Text(PANEL_NAME_BOX)->text();
    for (QChar &c : name)
        if (unsafe_in_file_name(c))
            c = u'_';
    name += files::FILE_EXTENSION;
    if (m_file_name.isEmpty())
        return name;
    const QString folder = QFileInfo(m_file_name).path();
    return folder == QStringLiteral(".") ? name : QDir(folder).filePath(name);
}
