#pragma once
// What the board shows, kept from the station's events: per port its state, progress, counts and
// the last record or event; the file, the log, the start and the totals; the last records. Read
// as the JSON document the page is drawn from, built once per change however often it is asked.

#include "station.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <optional>
#include <vector>

class BoardState
{
public:
    // `log` is the log's path as given; the start is now.
    BoardState(const Station &station, const QString &log);

    void apply(const StationEvent &event);

    // The document, and a tag that changes whenever it does, also from one run to the next.
    QByteArray json() const;
    QByteArray tag() const;

private:
    enum class Tile { Waiting, Comparing, Programming, Pass, Fail, Back, Trouble };
    struct PortState {
        Tile tile = Tile::Waiting;
        int done = 0;
        PortFault fault = PortFault::None;
        QString reason;
        std::optional<QJsonObject> last;
    };

    static QString tile_key(Tile tile);
    PortState &port(int index);
    QJsonObject port_json(int index) const;
    QJsonObject document() const;

    const Station &m_station;
    QString m_log;
    QDateTime m_started;
    std::vector<PortState> m_ports;
    QList<QJsonObject> m_recent; // newest first
    std::optional<QString> m_log_error;
    quint64 m_version = 0;
    mutable quint64 m_built = 0;
    mutable QByteArray m_json;
};
