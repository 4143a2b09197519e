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
    // OPEN CONFIGURATION FILE: loads a file into the window and validates it once. A file
    // that is slow to read is loaded when it comes, or given up at the time limit.
    void READ_FILE();
    // SAVE CONFIGURATION FILE: stores the window's configuration in a file.
    void WRITE_FILE();

private:
    enum class OpenResult { Done, Silent, Mismatch, NotAFile, TimedOut };
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
