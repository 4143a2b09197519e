#pragma once
// Where each port's run has got to: on a terminal one line per port rewritten in place
// ("COM1  write  13/24"), elsewhere plain lines at each step and every few bytes.

#include "session_result.h"

#include <QList>
#include <QString>
#include <QTextStream>

class ProgressDisplay
{
public:
    ProgressDisplay(QTextStream &stream, bool terminal);

    // Starts the lines for these ports; `kind` names the run on each line.
    void begin(const QList<QString> &ports, SessionKind kind);
    void update(int index, const SessionProgress &event);
    void finish(int index, const SessionResult &result);

private:
    void show(int index, const QString &state);
    void redraw();
    QString line(int index) const;

    QTextStream &m_stream;
    bool m_terminal;
    QString m_kind;
    QList<QString> m_ports;
    QList<QString> m_states;
    QList<int> m_printed_done; // plain lines: the byte count last printed
    qsizetype m_width = 0;
    bool m_drawn = false;
};
