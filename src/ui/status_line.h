#pragma once
// The main window's status line: a read-only text whose every new text is announced to
// assistive technology, as a notification that appears.

#include <QTextEdit>
#include <QTimer>

class QLabel;

class StatusLine : public QTextEdit
{
    Q_OBJECT

public:
    // `parent` also holds the announcer.
    explicit StatusLine(QWidget *parent);

    // Shows `text`. A text other than the one shown is announced while the line is visible; a
    // line that is shown announces what it holds. Texts that follow each other before the event
    // loop turns are announced once, as the last of them.
    void set_text(const QString &text);
    QString text() const { return toPlainText(); }
    // The notification screen readers are told of, with the text shown as its label. It lies
    // under the line and draws nothing. Not a child of the line: hiding the line would tell of
    // the notification too, and some screen readers read a hidden one out.
    QWidget *announcer() const { return m_announcer; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void announce();

    QTimer m_announcement;
    QWidget *m_announcer = nullptr;
    QLabel *m_spoken = nullptr;
};
