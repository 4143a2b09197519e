#pragma once
// A modal box with no icon: a title, a text shown line by line and a single OK button. Unlike
// QMessageBox it does not cap its own width, so a line of a message is never wrapped; like it,
// it is an alert to assistive technology.

#include <QDialog>

class QLabel;
class QPushButton;

class MessageDialog : public QDialog
{
    Q_OBJECT

public:
    MessageDialog(const QString &title, const QString &text, QWidget *parent = nullptr);

    QLabel *text_label() const { return m_text; }
    QPushButton *ok_button() const { return m_ok; }

    // `font`, made smaller where needed so that no line of `text` is wider than `room` pixels.
    static QFont font_fitting(const QFont &font, const QString &text, int room);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *m_text = nullptr;
    QPushButton *m_ok = nullptr;
};
