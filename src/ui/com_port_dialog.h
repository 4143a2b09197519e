#pragma once
// "COM PORT SETTINGS": the fixed line settings explained, and the choice of port 1 to 5.
// Not modal; it reports the chosen port through a signal and is discarded when closed.

#include <QDialog>
#include <QtGlobal>
#include <optional>

class QLabel;
class QListWidget;
class QPushButton;

class ComPortDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ComPortDialog(QWidget *parent = nullptr);

    // Sets the information text and preselects `port_number`, as each COM SETTINGS does; no
    // number is selected while the window uses a port named on the command line.
    void prepare(std::optional<qint16> port_number);

    QPushButton *OKButton() const { return m_ok; }
    QPushButton *CancelButton() const { return m_cancel; }
    QLabel *Label1() const { return m_label1; }
    QListWidget *List1() const { return m_list1; }
    QLabel *Label2() const { return m_label2; }

signals:
    // OK was pressed with this entry's item value selected.
    void port_chosen(qint16 port_number);

private:
    void ok_clicked();
    void fit_to_font();

    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QLabel *m_label1 = nullptr;
    QListWidget *m_list1 = nullptr;
    QLabel *m_label2 = nullptr;
};
