#include "board_state.h"

#include "module_image.h"
#include "module_record.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace
{
// Enough for a supervisor to see how the last modules went; the log holds them all.
constexpr qsizetype RECENT_RECORDS = 20;

const QString KEY_LOG = QStringLiteral("log");
const QString KEY_STARTED = QStringLiteral("started");
const QString KEY_BYTES = QStringLiteral("bytes");
const QString KEY_PASSED = QStringLiteral("passed");
const QString KEY_FAILED = QStringLiteral("failed");
const QString KEY_PORTS = QStringLiteral("ports");
const QString KEY_RECENT = QStringLiteral("recent");
const QString KEY_STATE = QStringLiteral("state");
const QString KEY_DONE = QStringLiteral("done");
const QString KEY_LAST = QStringLiteral("last");
const QString TILE_WAITING = QStringLiteral("waiting");
const QString TILE_COMPARING = QStringLiteral("comparing");
const QString TILE_PROGRAMMING = QStringLiteral("programming");
const QString TILE_PASS = QStringLiteral("pass");
const QString TILE_FAIL = QStringLiteral("fail");
const QString TILE_BACK = QStringLiteral("back");
const QString TILE_TROUBLE = QStringLiteral("trouble");
const QString TAG = QStringLiteral("\"%1-%2\"");

QJsonValue or_null(const QString &text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}
} // namespace

BoardState::BoardState(const Station &station, const QString &log)
    : m_station(station), m_log(log), m_started(local_time())
{
}

BoardState::PortState &BoardState::port(int index)
{
    // The station names its ports once it starts, which may be after the board does.
    if (m_ports.size() < static_cast<std::size_t>(m_station.count()))
        m_ports.resize(static_cast<std::size_t>(m_station.count()));
    return m_ports[static_cast<std::size_t>(index)];
}

void BoardState::apply(const StationEvent &event)
{
    using Kind = StationEvent::Kind;
    ++m_version;
    if (event.kind == Kind::Log) {
        if (!event.log.ok())
            m_log_error = event.log.reason;
        return;
    }
    const PortArgument &argument = m_station.port(event.port);
    PortState &state = port(event.port);
    switch (event.kind) {
    case Kind::Found:
    case Kind::Progress:
        state.tile = event.comparing ? Tile::Comparing : Tile::Programming;
        state.done = event.kind == Kind::Found ? 0 : event.done;
        break;
    case Kind::Programmed: {
        state.tile = event.record->passed ? Tile::Pass : Tile::Fail;
        QJsonObject record = record_json(*event.record);
        record.insert(log_key::LOGGED, event.log.ok());
        state.last = record;
        m_recent.prepend(record);
        if (m_recent.size() > RECENT_RECORDS)
            m_recent.removeLast();
        break;
    }
    case Kind::Back:
    case Kind::Removed:
        state.tile = event.kind == Kind::Back ? Tile::Back : Tile::Waiting;
        // A module taken away leaves its result on the tile until the next one is found.
        if (event.kind == Kind::Back)
            state.last = QJsonObject{{log_key::EVENT, log_key::BACK_EVENT},
                                     {log_key::TIME, iso_time(event.time)}};
        break;
    case Kind::Port:
        state.fault = event.fault;
        state.reason = event.reason;
        // A missing device is only waited for, as an empty port is.
        state.tile = is_trouble(event.fault) ? Tile::Trouble : Tile::Waiting;
        if (is_trouble(event.fault))
            state.last = port_event_json(event.time, argument, event.fault, event.reason);
        break;
    case Kind::Log:
        break;
    }
}

QString BoardState::tile_key(Tile tile)
{
    switch (tile) {
    case Tile::Waiting:
        break;
    case Tile::Comparing:
        return TILE_COMPARING;
    case Tile::Programming:
        return TILE_PROGRAMMING;
    case Tile::Pass:
        return TILE_PASS;
    case Tile::Fail:
        return TILE_FAIL;
    case Tile::Back:
        return TILE_BACK;
    case Tile::Trouble:
        return TILE_TROUBLE;
    }
    return TILE_WAITING;
}

QJsonObject BoardState::port_json(int index) const
{
    const StationTally tally = m_station.tally(index);
    const PortArgument &argument = m_station.port(index);
    const std::size_t at = static_cast<std::size_t>(index);
    const PortState state = at < m_ports.size() ? m_ports[at] : PortState();
    return QJsonObject{
        {log_key::PORT, argument.label},
        {log_key::DEVICE, argument.device},
        {KEY_STATE, tile_key(state.tile)},
        {KEY_DONE, state.done},
        {KEY_PASSED, tally.passed},
        {KEY_FAILED, tally.failed},
        {log_key::FAULT, or_null(fault_key(state.fault))},
        {log_key::REASON, or_null(state.fault == PortFault::None ? QString() : state.reason)},
        {KEY_LAST, state.last ? QJsonValue(*state.last) : QJsonValue(QJsonValue::Null)}};
}

QJsonObject BoardState::document() const
{
    const StationSetup &setup = m_station.setup();
    const StationTally total = m_station.total();
    QJsonArray ports;
    for (int index = 0; index < m_station.count(); ++index)
        ports.append(port_json(index));
    QJsonArray recent;
    for (const QJsonObject &record : m_recent)
        recent.append(record);
    return QJsonObject{
        {log_key::FILE_PATH, setup.file},
        {log_key::SHA256, QString::fromLatin1(setup.sha256.toHex())},
        {KEY_LOG, m_log},
        {KEY_STARTED, iso_time(m_started)},
        {KEY_BYTES, CONFIGURATION_BYTES},
        {KEY_PASSED, total.passed},
        {KEY_FAILED, total.failed},
        {log_key::LOG_ERROR, m_log_error ? QJsonValue(*m_log_error) : QJsonValue(QJsonValue::Null)},
        {KEY_PORTS, ports},
        {KEY_RECENT, recent}};
}

QByteArray BoardState::json() const
{
    // Progress comes several times a second per port; a browser asks a few times a second.
    if (m_json.isEmpty() || m_built != m_version) {
        m_json = QJsonDocument(document()).toJson(QJsonDocument::Compact);
        m_built = m_version;
    }
    return m_json;
}

QByteArray BoardState::tag() const
{
    // The start time tells one run's versions from another's after a restart on the same port.
    return TAG.arg(m_started.toMSecsSinceEpoch()).arg(m_version).toLatin1();
}
