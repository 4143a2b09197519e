#pragma once
// What the bench station shows while it runs: a line for each event (the module's result lines
// with the time and the running counts), or one JSON object a line; on a terminal the modules
// being programmed on one more line, redrawn in place.

#include "station.h"

#include <QHash>
#include <QJsonObject>
#include <QTextStream>
#include <functional>

class StationReport
{
public:
    struct Options {
        bool json = false;     // JSON objects on standard output, result lines on standard error
        bool quiet = false;    // no found, removed or back lines
        bool terminal = false; // standard output is a terminal: progress and a bell for a FAIL
        std::function<int()> columns = {}; // the terminal's width; 0: unknown
    };
    // `print` takes a line for standard output; `err` is standard error; `log` names the log.
    StationReport(const Station &station, const QString &file, const QString &log,
                  const Options &options, std::function<void(const QString &)> print,
                  QTextStream &out, QTextStream &err);

    void started();
    void show(const StationEvent &event);
    // Before the summary: after Ctrl-C on a terminal it starts on a line of its own.
    void ending(bool interrupted);
    // The summary as the last JSON line, `document` the command's own fields.
    QString summary_json(QJsonObject document) const;

private:
    QString port_name(int index) const;
    void line(const QString &text);
    // A line for standard error as it is, and one that says something of the program's own.
    void error(const QString &text);
    void notice(const QString &text);
    void json(QJsonObject object, const StationEvent &event);
    QString result_line(const StationEvent &event) const;
    QString port_line(const StationEvent &event) const;
    void draw_progress();
    void clear_progress();

    const Station &m_station;
    QString m_file, m_log;
    Options m_options;
    std::function<void(const QString &)> m_print;
    QTextStream &m_out;
    QTextStream &m_err;
    QHash<int, int> m_progress; // port index -> bytes done, while a module is worked on
    bool m_drawn = false;
};
