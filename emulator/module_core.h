#pragma once
// The module itself: its memory and its side of the frame protocol, without any I/O.

#include "emulator_constants.h"
#include "fault_options.h"
#include "reply_piece.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <array>
#include <chrono>
#include <functional>

namespace emulator
{

// Bytes arrive in any chunking and are gathered until they make a whole frame. As soon as the
// gathered bytes cannot be the start of a frame, the first one is dropped (and logged) and
// recognition restarts at the next, so the module falls back into step after line noise or a
// torn frame.
class ModuleCore
{
public:
    using Memory = std::array<quint8, MEMORY_SIZE>;
    using LogFunction = std::function<void(const QString &line)>;

    explicit ModuleCore(const FaultOptions &faults = {});

    // Takes received bytes, returns what to send back and when, in order.
    QList<ReplyPiece> feed(QByteArrayView bytes);

    // A new conversation on a fresh line: forgets partial input and the fault counters, keeps
    // the memory.
    void reset_session();

    const FaultOptions &faults() const { return m_faults; }
    // Faults shape the answers only, never the memory: clearing them gives a healthy module.
    void set_faults(const FaultOptions &faults) { m_faults = faults; }

    const Memory &memory() const { return m_memory; }
    void set_memory(const Memory &memory) { m_memory = memory; }
    quint8 byte_at(int address) const;
    void set_byte(int address, quint8 value);

    int exchanges() const { return m_exchanges; }

    void set_log(LogFunction log) { m_log = std::move(log); }

private:
    enum class Match { Whole, Partial, None };
    static Match match_frame(QByteArrayView input);

    // Line-rate pacing within one feed, counted from the arrival of the chunk's first byte.
    using LineTime = std::chrono::duration<double, std::milli>;
    struct LineClock {
        LineTime arrival{0};   // the frame being answered has fully arrived
        LineTime free_from{0}; // the way back carries nothing more after this
    };

    QList<ReplyPiece> answer_frame(QByteArrayView frame, LineClock &line);
    QByteArray answer_attention();
    QByteArray answer_store(int address, quint8 value);
    QByteArray answer_read(int address) const;
    bool keeps_store(int address) const;
    QByteArray acknowledgement() const;
    QList<ReplyPiece> shape(QByteArray reply, LineClock &line) const;
    QList<ReplyPiece> pace(const QList<ReplyPiece> &pieces, LineClock &line) const;
    void log(const QString &line) const;

    Memory m_memory{};
    FaultOptions m_faults;
    QByteArray m_input;
    int m_attention_count = 0;
    int m_exchanges = 0;
    LogFunction m_log;
};

} // namespace emulator
