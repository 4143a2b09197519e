#pragma once
// The open and save commands of the main window's two file buttons.

#include <QObject>
#include <QString>

class Form1;
struct ConfigRecord;

class FileCommands : public QObject
{
    Q_OBJECT

public:
    explicit FileCommands(Form1 &form, QObject *parent = nullptr);

    // The file name both dialogs share: the last one chosen, or the one last proposed.
    const QString &file_name() const { return m_file_name; }

public slots:
    // OPEN CONFIGURATION FILE: loads a file into the window and validates it once.
    void READ_FILE();
    // SAVE CONFIGURATION FILE: stores the window's configuration in a file.
    void WRITE_FILE();

private:
    enum class OpenResult { Done, Silent, Mismatch };
    OpenResult open_into_window();
    void apply_record(const ConfigRecord &record);
    bool load_slots();
    ConfigRecord record_to_save() const;
    bool refuse_unwritable(const ConfigRecord &record);
    QString proposed_file_name() const;

    Form1 &m_form;
    QString m_file_name;
};
