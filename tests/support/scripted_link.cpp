#include "scripted_link.h"

namespace
{
const QString LINE_LOST = QStringLiteral("the scripted line was dropped");
const QString NOT_OPEN = QStringLiteral("the scripted line is not open");
} // namespace

bool ScriptedLink::open(const QString &)
{
    if (!refuse_open.isEmpty()) {
        m_error = refuse_open;
        return false;
    }
    m_open = true;
    m_lost = false;
    m_input.clear();
    return true;
}

bool ScriptedLink::send(const QByteArray &bytes)
{
    if (!m_open || m_lost) {
        m_error = m_lost ? LINE_LOST : NOT_OPEN;
        return false;
    }
    transcript.append({true, bytes});
    if (on_send)
        on_send(bytes);
    return true;
}

QByteArray ScriptedLink::take()
{
    const QByteArray taken = std::exchange(m_input, {});
    transcript.append({false, taken});
    return taken;
}

void ScriptedLink::deliver(const QByteArray &bytes)
{
    if (!m_open || m_lost || bytes.isEmpty())
        return;
    m_input += bytes;
    emit received();
}

void ScriptedLink::drop()
{
    if (!m_open || m_lost)
        return;
    m_lost = true;
    m_error = LINE_LOST;
    emit lost(m_error);
}
