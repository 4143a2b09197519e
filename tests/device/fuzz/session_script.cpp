#include "session_script.h"

#include "frames.h"
#include "manual_timer.h"
#include "module_core.h"
#include "module_session.h"
#include "scripted_link.h"

#include <QCoreApplication>

using namespace device;

namespace
{

constexpr int TICKS_TO_END = 200; // far more waits than any run has
constexpr int GARBAGE_MAX = 16;   // bytes of one piece of garbage
constexpr int FLOOD_UNIT = 32;    // a flood is up to 32 of these
constexpr int FLOOD_UNITS = 32;
constexpr int PREFIX_MAX = 8; // characters of an honest reply sent alone
constexpr quint8 REFUSE_OPEN = 0x0E;
const QString DEVICE = QStringLiteral("/dev/scripted");

// The script's bytes, read one by one; zeros once it is used up.
class Script
{
public:
    explicit Script(QByteArrayView bytes) : m_bytes(bytes) {}
    bool exhausted() const { return m_pos >= m_bytes.size(); }
    quint8 next() { return exhausted() ? 0 : static_cast<quint8>(m_bytes[m_pos++]); }
    QByteArray take(qsizetype n)
    {
        const QByteArray piece =
            m_bytes.sliced(m_pos, std::min(n, m_bytes.size() - m_pos)).toByteArray();
        m_pos += piece.size();
        return piece;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

bool value_is(const QByteArray &reply, qint16 low, qint16 high, qint16 *value)
{
    if (reply.size() < SHORTEST_VALUE_REPLY)
        return false;
    const std::optional<qint16> v = reply_value(reply);
    if (!v || *v < low || *v > high)
        return false;
    *value = *v;
    return true;
}

struct Exchange {
    QByteArray sent, taken;
};

// The frames sent paired with the reply taken after each; several "A" count as one exchange.
QList<Exchange> exchanges_of(const QList<ScriptedLink::Entry> &transcript)
{
    QList<Exchange> exchanges;
    QByteArray last_sent;
    for (const ScriptedLink::Entry &entry : transcript) {
        if (entry.sent)
            last_sent = entry.bytes;
        else
            exchanges.append({last_sent, entry.bytes});
    }
    return exchanges;
}

// How many configuration bytes, from address 0 on, the line shows as really read (for a read)
// or stored, acknowledged and read back the same (for a write).
int bytes_proven(const QList<Exchange> &exchanges, const SessionResult &result,
                 const ModuleImage &target)
{
    int address = 0;
    const bool read = result.kind == SessionKind::Read;
    for (qsizetype k = 0; k < exchanges.size() && address < CONFIGURATION_BYTES; ++k) {
        const MemoryCell &cell = memory_map()[static_cast<std::size_t>(address)];
        const auto at = static_cast<quint8>(cell.address);
        qint16 value = 0;
        if (read) {
            if (exchanges[k].sent == read_frame(at) &&
                value_is(exchanges[k].taken, 0, cell.read_limit, &value) &&
                value == result.image.bytes[static_cast<std::size_t>(address)])
                ++address;
            continue;
        }
        const qint16 wanted = target.bytes[static_cast<std::size_t>(address)];
        if (exchanges[k].sent == store_frame(at, static_cast<quint8>(wanted)) &&
            is_acknowledgement(exchanges[k].taken) && k + 1 < exchanges.size() &&
            exchanges[k + 1].sent == read_frame(at) &&
            value_is(exchanges[k + 1].taken, wanted, wanted, &value)) {
            ++address;
            ++k;
        }
    }
    return address;
}

// Stores only after the identity byte read 31 on this line.
bool stores_after_identity(const QList<ScriptedLink::Entry> &transcript)
{
    bool confirmed = false;
    QByteArray last_sent;
    for (const ScriptedLink::Entry &entry : transcript) {
        qint16 value = 0;
        if (entry.sent && entry.bytes.startsWith(STORE_COMMAND) && !confirmed)
            return false;
        if (!entry.sent && last_sent == read_frame(IDENTITY_ADDRESS) &&
            value_is(entry.bytes, IDENTITY_CODE, IDENTITY_CODE, &value))
            confirmed = true;
        if (entry.sent)
            last_sent = entry.bytes;
    }
    return true;
}

int attention_sends(const QList<ScriptedLink::Entry> &transcript)
{
    return static_cast<int>(std::count_if(transcript.begin(), transcript.end(), [](const auto &e) {
        return e.sent && e.bytes == attention_frame();
    }));
}

QString check_session_script(QByteArrayView bytes, std::optional<SessionResult> &result)
{
    Script script(bytes);
    const quint8 mode = script.next();
    const quint8 seed = script.next();
    const bool read = (mode & 1) != 0;

    ScriptedLink link;
    ManualTimer timer;
    ModuleSession session(link, timer);
    emulator::ModuleCore module;
    ModuleImage target;
    for (std::size_t i = 0; i < target.bytes.size(); ++i) {
        target.bytes[i] = static_cast<qint16>((seed + 37 * i) % 256);
        module.set_byte(static_cast<int>(i), static_cast<quint8>((seed * 3 + 11 * i) % 161));
    }
    if ((mode & REFUSE_OPEN) == REFUSE_OPEN)
        link.refuse_open = QStringLiteral("refused by the script");

    // What the honest module has to say, not yet delivered.
    QByteArray honest;
    link.on_send = [&](const QByteArray &frame) {
        for (const emulator::ReplyPiece &piece : module.feed(frame))
            honest += piece.bytes;
    };
    int finishes = 0;
    bool progress_after_end = false;
    QObject::connect(&session, &ModuleSession::progress,
                     [&](const SessionProgress &) { progress_after_end |= result.has_value(); });
    QObject::connect(&session, &ModuleSession::finished, [&](const SessionResult &r) {
        result = r;
        ++finishes;
    });

    if (!(read ? session.read(DEVICE) : session.write(DEVICE, target)))
        return QStringLiteral("the run did not start");
    if (result)
        return QStringLiteral("finished() came from inside the call that started the run");

    int forced_ticks = 0;
    while (session.running()) {
        QCoreApplication::sendPostedEvents();
        if (!session.running())
            break;
        if (!timer.armed())
            return QStringLiteral("the run waits with no timer started: it would never end");
        if (script.exhausted()) {
            if (++forced_ticks > TICKS_TO_END)
                return QStringLiteral("the run did not end after %1 ticks").arg(TICKS_TO_END);
            timer.fire();
            continue;
        }
        switch (script.next() % SCRIPT_ACTIONS) {
        case Tick:
        case Tick2:
            timer.fire();
            break;
        case Honest:
            link.deliver(std::exchange(honest, {}));
            break;
        case Prefix: {
            const qsizetype n = script.next() % PREFIX_MAX + 1;
            link.deliver(honest.left(n));
            honest.remove(0, n);
            break;
        }
        case Garbage:
            link.deliver(script.take(script.next() % GARBAGE_MAX + 1));
            break;
        case Flood: {
            const char byte = static_cast<char>(script.next());
            link.deliver(QByteArray((script.next() % FLOOD_UNITS + 1) * FLOOD_UNIT, byte));
            break;
        }
        case Drop:
            link.drop();
            break;
        case Doubled:
            link.deliver(honest + honest);
            honest.clear();
            break;
        case Damaged:
            if (!honest.isEmpty()) {
                const qsizetype at = script.next() % honest.size();
                const quint8 mask = script.next();
                honest[at] = static_cast<char>(honest[at] ^ (mask ? mask : 1));
            }
            link.deliver(std::exchange(honest, {}));
            break;
        case Trailing:
            link.deliver(std::exchange(honest, {}) + static_cast<char>(script.next()));
            break;
        case Abort:
            session.abort();
            break;
        }
    }
    QCoreApplication::sendPostedEvents();

    if (finishes != 1 || !result)
        return QStringLiteral("finished() came %1 times").arg(finishes);
    if (progress_after_end)
        return QStringLiteral("progress() came after finished()");
    if (link.is_open())
        return QStringLiteral("the port was left open");
    if (attention_sends(link.transcript) > ATTENTION_SENDS)
        return QStringLiteral("\"A\" was sent %1 times").arg(attention_sends(link.transcript));
    if (!read && !stores_after_identity(link.transcript))
        return QStringLiteral("a byte was stored before the identity was confirmed");
    const int proven = bytes_proven(exchanges_of(link.transcript), *result, target);
    if (result->done > proven)
        return QStringLiteral("the run claims %1 bytes but the line shows %2")
            .arg(result->done)
            .arg(proven);
    if (result->succeeded() &&
        (result->done != CONFIGURATION_BYTES || result->identity != IDENTITY_CODE))
        return QStringLiteral("success with %1 bytes and identity %2")
            .arg(result->done)
            .arg(result->identity.value_or(-1));
    if (!read && result->succeeded() && result->image.bytes != target.bytes)
        return QStringLiteral("a write succeeded with other bytes than it was given");
    return {};
}

} // namespace

ScriptRun run_session_script(QByteArrayView bytes)
{
    ScriptRun run;
    run.broken = check_session_script(bytes, run.result);
    return run;
}
