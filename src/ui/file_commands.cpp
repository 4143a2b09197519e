#include "file_commands.h"

#include "config_record.h"
#include "file_texts.h"
#include "form1.h"
#include "panel_gathering.h"
#include "panel_loading.h"
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

constexpr int PANEL_NAME_FIELD_NUMBER = 2;
constexpr int FIRST_OUTPUT_FIELD = 2 * SLOT_COUNT + 3;

// Characters that would make the proposed name a path, or that common file systems refuse.
bool unsafe_in_file_name(QChar c)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    return c.unicode() < u' ' || forbidden.contains(c);
}

QString text_field_name(int field)
{
    if (field == PANEL_NAME_FIELD_NUMBER)
        return ui::PANEL_NAME_FIELD;
    if (field < FIRST_OUTPUT_FIELD)
        return ui::INPUT_DESIGNATION_FIELD.arg((field - 1) / 2);
    return ui::OUTPUT_DESIGNATION_FIELD.arg((field - FIRST_OUTPUT_FIELD) / 2 + 1);
}

QString kind_name(FileKind kind)
{
    switch (kind) {
    case FileKind::Pipe:
        return ui::PIPE_KIND;
    case FileKind::Device:
        return ui::DEVICE_KIND;
    case FileKind::Socket:
        return ui::SOCKET_KIND;
    default:
        return ui::OTHER_KIND;
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
    if (!begin_open())
        return;
    const QString chosen =
        m_form.prompts().open_file_name(ui::OPEN_TITLE, ui::FILE_FILTER, m_file_name);
    if (chosen.isEmpty()) {
        m_form.set_busy(false);
        return;
    }
    load(chosen);
}

void FileCommands::open_file(const QString &file_name)
{
    if (begin_open())
        load(file_name);
}

bool FileCommands::begin_open()
{
    // A device read pumps events while it loads the window, and a slow open waits for its file:
    // a second load must not cut in.
    if (m_form.busy() || running())
        return false;
    m_form.set_busy(true);
    m_form.hide_status();
    return true;
}

void FileCommands::load(const QString &file_name)
{
    m_file_name = file_name;
    if (const std::optional<LoadedFile> file = m_loader.start(file_name)) {
        finish_open(*file);
        return;
    }
    // Nothing goes into the window while the file is awaited, so the operator's edits meanwhile
    // are validated as always.
    m_form.set_busy(false);
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
}

void FileCommands::load_finished(const LoadedFile &file)
{
    QGuiApplication::restoreOverrideCursor();
    m_form.set_busy(true);
    finish_open(file);
}

void FileCommands::finish_open(const LoadedFile &file)
{
    const OpenResult result = open_into_window(file);
    m_form.set_busy(false);
    const QString path = QDir::toNativeSeparators(m_file_name);
    switch (result) {
    case OpenResult::Done:
        m_form.check_assignments();
        break;
    case OpenResult::Silent:
        break;
    case OpenResult::Mismatch:
        m_form.prompts().message(MISMATCH_TITLE, ui::MISMATCH_TEXT);
        break;
    case OpenResult::NotAFile:
        m_form.prompts().message(ui::OPEN_FAILED_TITLE,
                                 ui::OPEN_NOT_A_FILE_TEXT.arg(path, kind_name(file.kind)));
        break;
    case OpenResult::TimedOut:
        m_form.prompts().message(
            ui::OPEN_FAILED_TITLE,
            ui::OPEN_TIMED_OUT_TEXT.arg(path, in_seconds(m_loader.time_limit())));
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

    ConfigRecord record;
    if (read_config_record(file.bytes, record) != RecordStatus::Ok)
        return OpenResult::Mismatch;
    return apply_load(load_record(record)) ? OpenResult::Done : OpenResult::Mismatch;
}

bool FileCommands::apply_load(const RecordLoad &load)
{
    // A name longer than the box lets the operator type is shown whole.
    m_form.Text(ui::PANEL_NAME_BOX)->setText(load.panel.name);
    // Side by side in the order of the load, each side's lists before its designation; the
    // load stops at a list that has no position for its code.
    for (bool output : {false, true}) {
        for (int k = 1; k <= SLOT_COUNT; ++k) {
            const PanelSide &side = output ? load.panel.slot(k).output : load.panel.slot(k).input;
            const int module_list = output ? output_module_list(k) : input_module_list(k);
            const int channel_list = output ? output_channel_list(k) : input_channel_list(k);
            for (int n : {module_list, channel_list})
                if (n != load.refused_list)
                    m_form.set_list_position(n, load.panel.position(n));
            if (load.refused_list == module_list || load.refused_list == channel_list)
                return false;
            m_form.set_designation(k, output, side.designation, load.shown(k, output));
        }
    }
    m_form.apply_loops(load.panel);
    m_form.grey_unassigned_inputs();
    return true;
}

void FileCommands::WRITE_FILE()
{
    // Gathering in the middle of a load would save half of one configuration, and a save
    // while an open waits for its file would be overwritten by it.
    if (m_form.busy() || running())
        return;
    m_form.hide_status();
    const Panel panel = m_form.panel();
    const std::optional<ConfigRecord> to_save = record_to_save(panel);
    if (!to_save) {
        m_form.show_status(incomplete_sides(panel).first().output ? INCOMPLETE_OUTPUT_TEXT
                                                                  : INCOMPLETE_INPUT_TEXT,
                           ui::RED);
        return;
    }
    if (panel.name.isEmpty()) {
        m_form.prompts().message(QCoreApplication::applicationName(), PANEL_NAME_MISSING);
        return;
    }
    // Refused before the dialog, so the operator does not choose a file for nothing.
    const RecordBytes record = write_config_record(*to_save);
    if (record.fault) {
        const QString field = text_field_name(record.fault->field);
        m_form.prompts().message(
            ui::UNWRITABLE_TITLE,
            record.fault->kind == TextFault::DoubleQuote
                ? ui::DOUBLE_QUOTE_TEXT.arg(field)
                : ui::NOT_IN_CODE_PAGE_TEXT.arg(field, character_name(record.fault->character)));
        return;
    }

    m_file_name = proposed_file_name();
    const QString chosen =
        m_form.prompts().save_file_name(ui::SAVE_TITLE, ui::FILE_FILTER, m_file_name);
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
        text = ui::SAVE_FAILED_KEPT_TEXT.arg(path, saved.reason);
        break;
    case SaveStatus::Damaged:
        text = ui::SAVE_FAILED_CHECK_TEXT.arg(path, saved.reason);
        break;
    case SaveStatus::CopyKept:
        text =
            ui::SAVE_FAILED_COPY_TEXT.arg(path, saved.reason, QDir::toNativeSeparators(saved.copy));
        break;
    case SaveStatus::Ok:
        return;
    }
    m_form.prompts().message(ui::SAVE_FAILED_TITLE, text);
}

// The panel name plus the extension, in the folder of the file last used; characters that
// would lead elsewhere are replaced.
QString FileCommands::proposed_file_name() const
{
    QString name = m_form.Text(ui::PANEL_NAME_BOX)->text();
    for (QChar &c : name)
        if (unsafe_in_file_name(c))
            c = u'_';
    name += files::FILE_EXTENSION;
    if (m_file_name.isEmpty())
        return name;
    const QString folder = QFileInfo(m_file_name).path();
    return folder == QStringLiteral(".") ? name : QDir(folder).filePath(name);
}
