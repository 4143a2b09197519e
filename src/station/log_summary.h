#pragma once
// What a bench's logs add up to: modules passed and failed in all, per port and per file, the
// failures one by one, and every line that is no record, by its number. Lines are taken one at a
// time; of the failures only the last ones are kept when asked, so a log of any length can be
// summed.

#include "module_record.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

struct LogSummary {
    struct Count {
        int passed = 0;
        int failed = 0;
    };
    struct Port {
        QString port;
        Count count;
    };
    struct File {
        QByteArray sha256;
        QString file; // the name last seen for it
        Count count;
    };
    struct Failure {
        ModuleRecord record;
        QString log; // where it was read, and on which line
        int line = 0;
    };
    struct BadLine {
        QString log;
        int line = 0;
    };

    Count count;
    std::optional<QDateTime> first, last;
    QList<Port> ports; // in the order they were first seen
    QList<File> files;
    QList<Failure> failures; // in the order they were read; the last ones only, when limited
    QList<BadLine> bad_lines;
};

class LogSummarizer
{
public:
    // Only records from `since` on count; every record without it. Of the failures, the last
    // `keep` are kept, every one without it.
    explicit LogSummarizer(std::optional<QDateTime> since = std::nullopt,
                           std::optional<int> keep = std::nullopt);

    // Line `number` (from 1) of `log`: a module's record counts, a port's trouble is passed
    // over, anything else is a bad line.
    void add_line(const QString &log, int number, QByteArrayView line);
    const LogSummary &summary() const { return m_summary; }

private:
    void add(const ModuleRecord &record, const QString &log, int number);

    std::optional<QDateTime> m_since;
    std::optional<int> m_keep;
    LogSummary m_summary;
};

// A module's record as a log line holds it; nothing for any other object.
std::optional<ModuleRecord> record_from_json(const QJsonObject &object);
