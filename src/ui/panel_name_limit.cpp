#include "panel_name_limit.h"

#include <QLineEdit>

#include <algorithm>

namespace
{

// Whether `shorter` is `text` with characters taken out, and nothing put in.
bool only_removed_from(const QString &shorter, const QString &text)
{
    qsizetype i = 0;
    for (QChar c : text)
        if (i < shorter.size() && shorter[i] == c)
            ++i;
    return i == shorter.size();
}

} // namespace

PanelNameLimit::PanelNameLimit(int limit, QLineEdit *box)
    : QValidator(box), m_box(*box), m_limit(limit)
{
    m_before = m_given = box->text();
    connect(box, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_before = text;
        if (!m_box.isModified())
            m_given = text;
    });
}

QValidator::State PanelNameLimit::validate(QString &input, int &position) const
{
    // A text the program sets (the box is not modified then, nor after an undo back to it) is
    // not typed; nor is what is left of it when characters are taken out, or undone and redone.
    if (!m_box.isModified() || input.size() <= m_limit || only_removed_from(input, m_given))
        return Acceptable;
    // Typed or pasted at the cursor: what stands before it that was there already, the new part,
    // and what follows it unchanged.
    const QString after = input.mid(position);
    if (!m_before.endsWith(after))
        return Invalid;
    qsizetype kept = 0;
    while (kept < position && kept < m_before.size() - after.size() &&
           input[kept] == m_before[kept])
        ++kept;
    const qsizetype taken = std::min<qsizetype>(m_limit - kept - after.size(), position - kept);
    if (taken <= 0)
        return Invalid;
    input = input.left(kept + taken) + after;
    position = int(kept + taken);
    return Acceptable;
}
