#include "session_script.h"

#include "frames.h"
#include "manual_timer.h"
#include "module_core.h"
#include "module_session.h"
#include "scripted_link.h"

#include <QCoreApplication>

using namespace device;
using namespace Qt::StringLiterals;

namespace
{

constexpr int STEPS_TO_END = 200; // far more than a whole write takes once the script is used up
constexpr int GARBAGE_MAX = 16;   // bytes of one piece of garbage
constexpr int FLOOD_UNIT = 32;    // a flood is up to 32 of these
constexpr int FLOOD_UNITS = 32;
constexpr int PREFIX_MAX = 8; // characters of an honest reply sent alone
constexpr quint8 REFUSE_OPEN = 0x0E;
const QString DEVICE = u"/dev/scripted"_s;

// The value a reply carries, when it is a value reply within low..high.
std::optional<qint16> value_in(const QByteArray &reply, qint16 low, qint16 high)
{
    const auto value =
        reply.size() < SHORTEST_VALUE_REPLY ? std::optional<qint16>() : reply_value(reply);
    return value && *value >= low && *value <= high ? value : std::nullopt;
}

// How many configuration bytes, from address 0 on, the line shows as really read (for a read)
// or stored, acknowledged and read back the same (for a write).
int bytes_proven(const QList<ScriptedLink::Entry> &transcript, const SessionResult &result,
                 const ModuleImage &target)
{
    // Each reply taken with the frame sent before it; several "A" count as one exchange.
    QList<std::pair<QByteArray, QByteArray>> exchanges;
    QByteArray last_sent;
    for (const ScriptedLink::Entry &entry : transcript) {
        if (entry.sent)
            last_sent = entry.bytes;
        else
            exchanges.append({last_sent, entry.bytes});
    }
    std::size_t address = 0;
    for (qsizetype k = 0; k < exchanges.size() && address < CONFIGURATION_BYTES; ++k) {
        const auto &[sent, taken] = exchanges[k];
        const MemoryCell &cell = memory_map()[address];
        const auto at = static_cast<quint8>(cell.address);
        if (result.kind == SessionKind::Read) {
            const auto value = value_in(taken, 0, cell.read_limit);
            address += sent == read_frame(at) && value == result.image.bytes[address];
            continue;
        }
        const qint16 wanted = target.bytes[address];
        if (sent == store_frame(at, static_cast<quint8>(wanted)) && is_acknowledgement(taken) &&
            k + 1 < exchanges.size() && exchanges[k + 1].first == read_frame(at) &&
            value_in(exchanges[k + 1].second, wanted, wanted)) {
            ++address;
            ++k;
        }
    }
    return static_cast<int>(address);
}

// Stores only after the identity byte read 31 on this line.
bool stores_after_identity(const QList<ScriptedLink::Entry> &transcript)
{
    bool confirmed = false;
    QByteArray last_sent;
    for (const ScriptedLink::Entry &entry : transcript) {
        if (entry.sent && entry.bytes.startsWith(STORE_COMMAND) && !confirmed)
            return false;
        if (!entry.sent && last_sent == read_frame(IDENTITY_ADDRESS) &&
            value_in(entry.bytes, IDENTITY_CODE, IDENTITY_CODE))
            confirmed = true;
        if (entry.sent)
            last_sent = entry.bytes;
    }
    return true;
}

} // namespace

ScriptRun run_session_script(QByteArrayView bytes, const emulator::FaultOptions &faults)
{
    std::optional<SessionResult> result;
    const auto broken = [&](const QString &why) { return ScriptRun{why, result}; };
    // The script's bytes, read one by one; zeros once it is used up.
    qsizetype at = 0;
    const auto exhausted = [&] { return at >= bytes.size(); };
    const auto next = [&] { return exhausted() ? quint8(0) : static_cast<quint8>(bytes[at++]); };
    const quint8 mode = next();
    const quint8 seed = next();
    const bool read = (mode & 1) != 0;

    ScriptedLink link;
    ManualTimer timer;
    ModuleSession session(link, timer);
    emulator::ModuleCore module(faults);
    ModuleImage target;
    for (std::size_t i = 0; i < target.bytes.size(); ++i) {
        target.bytes[i] = static_cast<qint16>((seed + 37 * i) % 256);
        module.set_byte(static_cast<int>(i), static_cast<quint8>((seed * 3 + 11 * i) % 161));
    }
    if ((mode & REFUSE_OPEN) == REFUSE_OPEN)
        link.refuse_open = u"refused by the script"_s;

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
        return broken(u"the run did not start"_s);
    if (result)
        return broken(u"finished() came from inside the call that started the run"_s);

    int steps_after_script = 0;
    while (session.running()) {
        QCoreApplication::sendPostedEvents();
        if (!session.running())
            break;
        if (!timer.armed)
            return broken(u"the run waits with no timer started: it would never end"_s);
        if (exhausted()) {
            if (++steps_after_script > STEPS_TO_END)
                return broken(u"the run did not end %1 steps after the script"_s.arg(STEPS_TO_END));
            if (honest.isEmpty())
                timer.fire();
            else
                link.deliver(std::exchange(honest, {}));
            continue;
        }
        switch (next() % SCRIPT_ACTIONS) {
        case Tick:
        case Tick2:
            timer.fire();
            break;
        case Honest:
            link.deliver(std::exchange(honest, {}));
            break;
        case Prefix: {
            const qsizetype n = next() % PREFIX_MAX + 1;
            link.deliver(honest.left(n));
            honest.remove(0, n);
            break;
        }
        case Garbage: {
            // The length byte is read before what is left is measured.
            const qsizetype wanted = next() % GARBAGE_MAX + 1;
            const qsizetype n = std::min(wanted, bytes.size() - at);
            link.deliver(bytes.sliced(at, n).toByteArray());
            at += n;
            break;
        }
        case Flood: {
            const char byte = static_cast<char>(next());
            link.deliver(QByteArray((next() % FLOOD_UNITS + 1) * FLOOD_UNIT, byte));
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
                const qsizetype position = next() % honest.size();
                const quint8 mask = next();
                honest[position] = static_cast<char>(honest[position] ^ (mask ? mask : 1));
            }
            link.deliver(std::exchange(honest, {}));
            break;
        case Trailing:
            link.deliver(std::exchange(honest, {}) + static_cast<char>(next()));
            break;
        case Abort:
            session.abort();
            break;
        }
    }
    QCoreApplication::sendPostedEvents();

    const auto sends =
        std::count_if(link.transcript.begin(), link.transcript.end(),
                      [](const auto &e) { return e.sent && e.bytes == attention_frame(); });
    if (finishes != 1 || !result)
        return broken(u"finished() came %1 times"_s.arg(finishes));
    if (progress_after_end)
        return broken(u"progress() came after finished()"_s);
    if (link.is_open())
        return broken(u"the port was left open"_s);
    if (sends > ATTENTION_SENDS)
        return broken(u"\"A\" was sent %1 times"_s.arg(sends));
    if (!read && !stores_after_identity(link.transcript))
        return broken(u"a byte was stored before the identity was confirmed"_s);
    const int proven = bytes_proven(link.transcript, *result, target);
    if (result->done > proven)
        return broken(
            u"the run claims %1 bytes but the line shows %2"_s.arg(result->done).arg(proven));
    if (result->succeeded() &&
        (result->done != CONFIGURATION_BYTES || result->identity != IDENTITY_CODE))
        return broken(u"success with %1 bytes and identity %2"_s.arg(result->done)
                          .arg(result->identity.value_or(-1)));
    if (!read && result->succeeded() && result->image.bytes != target.bytes)
        return broken(u"a write succeeded with other bytes than it was given"_s);
    return broken({});
}
