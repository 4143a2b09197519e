#include "progress_display.h"

#include "cli_texts.h"
#include "command_line.h"
#include "memory_map.h"

#include <algorithm>

using namespace cli;

namespace
{

const QString PROGRESS_LINE = QStringLiteral("%1  %2  %3");
const QString PROGRESS_OPENING = QStringLiteral("opening");
const QString PROGRESS_HANDSHAKE = QStringLiteral("handshake");
const QString PROGRESS_IDENTITY = QStringLiteral("identity");
const QString PROGRESS_BYTES = QStringLiteral("%1/%2");
const QString PROGRESS_DONE = QStringLiteral("%1/%2 done");
const QString PROGRESS_FAILED = QStringLiteral("%1/%2 failed");
const QString PROGRESS_INTERRUPTED = QStringLiteral("%1/%2 interrupted");
const QString CURSOR_UP = QStringLiteral("\x1b[%1A");

// Plain lines report the configuration bytes in steps of this many.
constexpr int PLAIN_BYTES_STEP = 6;
constexpr int NOT_PRINTED = -1;

QString step_text(const SessionProgress &event)
{
    switch (event.step) {
    case SessionStep::Open:
        return PROGRESS_OPENING;
    case SessionStep::Handshake:
        return PROGRESS_HANDSHAKE;
    case SessionStep::Identity:
        return PROGRESS_IDENTITY;
    case SessionStep::Configuration:
        break;
    }
    return PROGRESS_BYTES.arg(event.done).arg(CONFIGURATION_BYTES);
}

} // namespace

ProgressDisplay::ProgressDisplay(QTextStream &stream, bool terminal, std::function<int()> columns)
    : m_stream(stream), m_terminal(terminal), m_columns(std::move(columns))
{
}

void ProgressDisplay::begin(const QList<QString> &ports, SessionKind kind)
{
    m_kind = command_name(kind == SessionKind::Read ? CliCommand::Read : CliCommand::Write);
    m_ports = ports;
    m_states = QList<QString>(ports.size(), PROGRESS_OPENING);
    m_printed_done = QList<int>(ports.size(), NOT_PRINTED);
    m_width = 0;
    for (const QString &port : ports)
        m_width = std::max(m_width, port.size());
    m_drawn = false;
    if (m_terminal)
        redraw();
}

void ProgressDisplay::update(int index, const SessionProgress &event)
{
    const QString state = step_text(event);
    if (m_terminal) {
        show(index, state);
        return;
    }
    // Plain lines: each step once, then the bytes in steps, so a log stays short.
    if (state == m_states[index])
        return;
    const bool bytes = event.step == SessionStep::Configuration;
    if (bytes && (event.done == m_printed_done[index] || event.done % PLAIN_BYTES_STEP != 0))
        return;
    m_printed_done[index] = bytes ? event.done : NOT_PRINTED;
    show(index, state);
}

void ProgressDisplay::finish(int index, const SessionResult &result)
{
    // Plain lines leave the end to the result line that follows.
    if (!m_terminal)
        return;
    const QString &text = result.succeeded()                          ? PROGRESS_DONE
                          : result.outcome == SessionOutcome::Aborted ? PROGRESS_INTERRUPTED
                                                                      : PROGRESS_FAILED;
    show(index, text.arg(result.done).arg(CONFIGURATION_BYTES));
}

void ProgressDisplay::show(int index, const QString &state)
{
    m_states[index] = state;
    if (m_stream.status() != QTextStream::Ok)
        return;
    if (m_terminal) {
        redraw();
        return;
    }
    m_stream << line(index) << Qt::endl;
}

void ProgressDisplay::redraw()
{
    if (m_stream.status() != QTextStream::Ok)
        return;
    // Back to the first of our lines, then each rewritten whole.
    if (m_drawn && !m_ports.isEmpty())
        m_stream << CURSOR_UP.arg(m_ports.size());
    const int columns = m_columns ? m_columns() : 0;
    for (int index = 0; index < m_ports.size(); ++index)
        m_stream << CLEAR_LINE << (columns > 0 ? line(index).left(columns) : line(index)) << u'\n';
    m_stream.flush();
    m_drawn = true;
}

QString ProgressDisplay::line(int index) const
{
    return PROGRESS_LINE.arg(m_ports[index].leftJustified(m_width), m_kind, m_states[index]);
}
