#include "board.h"

Board::Board(const Station &station, const QString &log, const BoardLimits &limits, QObject *parent)
    : QObject(parent), m_state(station, log), m_routes(m_state), m_server(m_routes, limits)
{
    connect(&station, &Station::event, this,
            [this](const StationEvent &event) { m_state.apply(event); });
}
