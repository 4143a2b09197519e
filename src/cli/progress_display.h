#pragma once
// Where each port's run has got to: on a terminal one line per port rewritten in place
// ("COM1  write  13/24"), each cut to the terminal's width so that none wraps and spoils the
// redraw; elsewhere plain lines at each step and every few bytes. A stream that fails (a closed
// pipe) gets no more progress, and the runs go on.

#include "session_result.h"

#include <QList>
#include <QString>
#include <QTextStream>
#include <functional>

class ProgressDisplay
{
public:
    // `columns` gives the terminal's width at each redraw (0 or none: unknown).
    ProgressDisplay(QTextStream &stream, bool terminal, std::function<int()> columns = {});

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
    std::function<int()> m_columns;
    QString m_kind;
    QList<QString> m_ports;
    QList<QString> m_states;
    QList<int> m_printed_done; // plain lines: the byte count last printed
    qsizetype m_width = 0;
    bool m_drawn = false;
};
