#pragma once
// The open and save commands of the main window's two file buttons.

#include "record_file_loader.h"

#include <QObject>
#include <QString>

class Form1;
struct RecordLoad;

class FileCommands : public QObject
{
    Q_OBJECT

public:
    explicit FileCommands(Form1 &form, QObject *parent = nullptr);
    ~FileCommands() override;

    // True while an open waits for a slow file; no other file or device command may start
    // meanwhile, while the window stays usable.
    bool running() const { return m_loader.running(); }
    RecordFileLoader &loader() { return m_loader; }

    // The file name both dialogs share: the last one chosen, or the one last proposed.
    const QString &file_name() const { return m_file_name; }

public slots:
    // OPEN CONFIGURATION FILE: the file dialog, then the open of open_file() on the chosen file.
    void READ_FILE();
    // Loads a file into the window and validates it once. A file that is slow to read is loaded
    // when it comes, or given up at the time limit. Also the open of a file named at start.
    void open_file(const QString &file_name);
    // SAVE CONFIGURATION FILE: stores the window's configuration in a file.
    void WRITE_FILE();

private:
    enum class OpenResult { Done, Silent, Mismatch, NotAFile, TimedOut };
    // Takes the window for an open; false when another load or a device read holds it.
    bool begin_open();
    // Loads `file_name` into the window once the open holds it.
    void load(const QString &file_name);
    void load_finished(const LoadedFile &file);
    void finish_open(const LoadedFile &file);
    OpenResult open_into_window(const LoadedFile &file);
    // Puts what the open leaves into the window; false where a list refused its position.
    bool apply_load(const RecordLoad &load);
    QString proposed_file_name() const;

    Form1 &m_form;
    QString m_file_name;
    RecordFileLoader m_loader;
};
