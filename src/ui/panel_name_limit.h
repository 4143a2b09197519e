#pragma once
// The panel name box's limit on typing: the operator types at most `limit` characters, while a
// longer name put in by the program (opened from a file) is shown and kept whole. Such a name
// can be shortened; nothing typed is taken while it is longer than the limit. What is typed or
// pasted beyond the limit is cut off, as a maximum length would cut it.

#include <QValidator>

class QLineEdit;

class PanelNameLimit : public QValidator
{
public:
    // Limits `box`, which owns it; the box itself must take texts longer than `limit`.
    PanelNameLimit(int limit, QLineEdit *box);

    State validate(QString &input, int &position) const override;

private:
    const QLineEdit &m_box;
    int m_limit;
    // The text before the edit being validated, and the last one the program put in.
    QString m_before;
    QString m_given;
};
