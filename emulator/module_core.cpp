#include "module_core.h"

#include "frame_text.h"

#include <algorithm>
#include <array>

namespace emulator
{

namespace
{

constexpr int ANY_BYTE = -1;
using FramePattern = std::array<int, FRAME_LENGTH>;
// The high bytes of address and value are always zero; the read frame's fillers are the
// character zero.
constexpr FramePattern STORE_PATTERN{STORE_COMMAND, 0, ANY_BYTE, 0, ANY_BYTE, STORE_END};
constexpr FramePattern READ_PATTERN{READ_COMMAND, 0, ANY_BYTE, READ_FILLER, READ_FILLER, READ_END};

quint8 byte_of(QByteArrayView bytes, int position)
{
    return static_cast<quint8>(bytes[position]);
}

bool valid_address(int address)
{
    return address >= 0 && address < MEMORY_SIZE;
}

// About 1.04 ms at 9600 baud.
constexpr std::chrono::duration<double, std::milli> BYTE_TIME{1000.0 * LINE_BITS_PER_BYTE /
                                                              LINE_BAUD};

} // namespace

ModuleCore::ModuleCore(const FaultOptions &faults) : m_faults(faults)
{
    m_memory[IDENTITY_ADDRESS] = IDENTITY_CODE;
}

void ModuleCore::reset_session()
{
    m_input.clear();
    m_attention_count = 0;
    m_exchanges = 0;
}

quint8 ModuleCore::byte_at(int address) const
{
    return valid_address(address) ? m_memory[static_cast<size_t>(address)] : 0;
}

void ModuleCore::set_byte(int address, quint8 value)
{
    if (valid_address(address))
        m_memory[static_cast<size_t>(address)] = value;
}

QList<ReplyPiece> ModuleCore::feed(QByteArrayView bytes)
{
    const qsizetype carried = m_input.size();
    m_input.append(bytes);
    qsizetype taken = 0;
    LineClock line;
    QList<ReplyPiece> replies;
    while (!m_input.isEmpty()) {
        const Match match = match_frame(m_input);
        if (match == Match::Partial)
            break;
        if (match == Match::None) {
            log(QStringLiteral("<- %1  not a frame, dropped").arg(frame_text(m_input.first(1))));
            m_input.remove(0, 1);
            ++taken;
            continue;
        }
        const qsizetype length = m_input.front() == ATTENTION ? 1 : FRAME_LENGTH;
        const QByteArray frame = m_input.first(length);
        m_input.remove(0, length);
        taken += length;
        // A frame takes its length in byte times to arrive; one behind others in the same
        // chunk arrives after them.
        line.arrival = BYTE_TIME * static_cast<double>(std::max(length, taken - carried));
        const QList<ReplyPiece> answer = answer_frame(frame, line);
        replies += answer;
        if (!answer.isEmpty() && answer.last().drop_line) {
            // Nothing more arrives on a line that is gone.
            m_input.clear();
            break;
        }
    }
    return replies;
}

ModuleCore::Match ModuleCore::match_frame(QByteArrayView input)
{
    if (input.front() == ATTENTION)
        return Match::Whole;
    const FramePattern *pattern = input.front() == STORE_COMMAND  ? &STORE_PATTERN
                                  : input.front() == READ_COMMAND ? &READ_PATTERN
                                                                  : nullptr;
    if (!pattern)
        return Match::None;
    const int available = static_cast<int>(std::min<qsizetype>(input.size(), FRAME_LENGTH));
    for (int i = 0; i < available; ++i) {
        const int expected = (*pattern)[static_cast<size_t>(i)];
        if (expected != ANY_BYTE && expected != byte_of(input, i))
            return Match::None;
    }
    return available == FRAME_LENGTH ? Match::Whole : Match::Partial;
}

QList<ReplyPiece> ModuleCore::answer_frame(QByteArrayView frame, LineClock &line)
{
    const QString received = QStringLiteral("<- %1").arg(frame_text(frame));
    if (m_faults.drop_after && m_exchanges >= *m_faults.drop_after) {
        log(QStringLiteral("%1  line dropped after %2 exchanges").arg(received).arg(m_exchanges));
        const milliseconds when =
            m_faults.line_rate ? std::chrono::round<milliseconds>(line.arrival) : milliseconds{0};
        return {ReplyPiece{{}, when, true}};
    }
    ++m_exchanges;
    if (m_faults.silent) {
        log(QStringLiteral("%1  ignored (silent)").arg(received));
        return {};
    }

    QByteArray reply;
    QString meaning;
    if (frame.front() == ATTENTION) {
        reply = answer_attention();
        meaning = QStringLiteral("attention #%1").arg(m_attention_count);
    } else if (frame.front() == STORE_COMMAND) {
        const int address = byte_of(frame, FRAME_ADDRESS_POSITION);
        const quint8 value = byte_of(frame, FRAME_VALUE_POSITION);
        reply = answer_store(address, value);
        meaning = QStringLiteral("store [%1] = %2%3")
                      .arg(address)
                      .arg(value)
                      .arg(keeps_store(address) ? QString() : QStringLiteral(" (not kept)"));
    } else {
        const int address = byte_of(frame, FRAME_ADDRESS_POSITION);
        reply = answer_read(address);
        meaning = QStringLiteral("read [%1]").arg(address);
    }
    log(QStringLiteral("%1  %2").arg(received, meaning));

    const QList<ReplyPiece> pieces = shape(reply, line);
    if (pieces.isEmpty())
        log(QStringLiteral("   no answer"));
    if (m_faults.line_rate && !pieces.isEmpty()) {
        // One line per reply, not one per byte.
        QByteArray bytes;
        for (const ReplyPiece &piece : pieces)
            bytes += piece.bytes;
        log(QStringLiteral("-> %1  at line rate, %2 to %3 ms")
                .arg(frame_text(bytes))
                .arg(pieces.first().delay.count())
                .arg(pieces.last().delay.count()));
        return pieces;
    }
    for (const ReplyPiece &piece : pieces) {
        const QString when = piece.delay.count() > 0
                                 ? QStringLiteral("  after %1 ms").arg(piece.delay.count())
                                 : QString();
        log(QStringLiteral("-> %1%2").arg(frame_text(piece.bytes), when));
    }
    return pieces;
}

QByteArray ModuleCore::answer_attention()
{
    ++m_attention_count;
    if (m_attention_count < m_faults.answer_attention_from)
        return {};
    return acknowledgement();
}

QByteArray ModuleCore::answer_store(int address, quint8 value)
{
    if (keeps_store(address))
        set_byte(address, value);
    return acknowledgement();
}

bool ModuleCore::keeps_store(int address) const
{
    return !m_faults.forget_all_stores && !m_faults.forget_addresses.contains(address);
}

QByteArray ModuleCore::answer_read(int address) const
{
    if (const auto raw = m_faults.raw_replies.constFind(address);
        raw != m_faults.raw_replies.cend())
        return *raw;
    int value = byte_at(address);
    if (address == IDENTITY_ADDRESS && m_faults.identity)
        value = *m_faults.identity;
    value = m_faults.read_values.value(address, value);
    return QByteArray::number(value * VALUE_SCALE).rightJustified(VALUE_DIGITS, '0') + VALUE_END;
}

QByteArray ModuleCore::acknowledgement() const
{
    QByteArray ack(ACKNOWLEDGEMENT);
    if (m_faults.lower_case_ack)
        ack.back() = static_cast<char>(QChar::toLower(static_cast<char16_t>(ack.back())));
    return ack;
}

QList<ReplyPiece> ModuleCore::shape(QByteArray reply, LineClock &line) const
{
    if (m_faults.reply_length >= 0)
        reply.truncate(m_faults.reply_length);
    reply += m_faults.extra;

    QList<ReplyPiece> pieces;
    milliseconds delay = m_faults.reply_delay;
    qsizetype offset = 0;
    for (int size : m_faults.pieces) {
        if (size <= 0 || offset >= reply.size())
            continue;
        pieces.append({reply.mid(offset, size), delay, false});
        offset += size;
        delay += m_faults.piece_gap;
    }
    if (offset < reply.size())
        pieces.append({reply.mid(offset), delay, false});
    return m_faults.line_rate ? pace(pieces, line) : pieces;
}

// Each byte leaves when its piece is due after the frame's arrival and the way back is free,
// and arrives one byte time later: one piece per byte, at that moment.
QList<ReplyPiece> ModuleCore::pace(const QList<ReplyPiece> &pieces, LineClock &line) const
{
    QList<ReplyPiece> paced;
    for (const ReplyPiece &piece : pieces) {
        const LineTime due = line.arrival + piece.delay;
        for (const char byte : piece.bytes) {
            line.free_from = std::max(due, line.free_from) + BYTE_TIME;
            paced.append(
                {QByteArray(1, byte), std::chrono::round<milliseconds>(line.free_from), false});
        }
    }
    return paced;
}

void ModuleCore::log(const QString &line) const
{
    if (m_log)
        m_log(line);
}

} // namespace emulator
