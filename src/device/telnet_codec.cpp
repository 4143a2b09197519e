#include "telnet_codec.h"

#include "device_constants.h"

namespace
{

// Telnet commands and options.
constexpr quint8 IAC = 255;
constexpr quint8 DONT = 254;
constexpr quint8 DO = 253;
constexpr quint8 WONT = 252;
constexpr quint8 WILL = 251;
constexpr quint8 SB = 250;
constexpr quint8 SE = 240;
constexpr quint8 BINARY = 0;
constexpr quint8 SUPPRESS_GO_AHEAD = 3;
constexpr quint8 COM_PORT = 44;

// Serial port control: the server answers each setting with the command plus this, and the value
// it really set.
constexpr quint8 SERVER_ANSWER = 100;
constexpr quint8 SET_BAUD_RATE = 1;
constexpr quint8 SET_DATA_SIZE = 2;
constexpr quint8 SET_PARITY = 3;
constexpr quint8 SET_STOP_SIZE = 4;
constexpr quint8 SET_CONTROL = 5;
constexpr quint8 DATA_BITS = 8;
constexpr quint8 PARITY_NONE = 1;
constexpr quint8 ONE_STOP_BIT = 1;
constexpr quint8 NO_FLOW_CONTROL = 1;

// Our settings' answers are a few bytes; a longer subnegotiation is cut here, so that a broken
// server cannot grow it without end.
constexpr qsizetype SUB_LIMIT = 16;

struct Setting {
    quint8 command;
    QByteArray value;
};
// Speed, data bits, parity, stop bits and flow control; one bit each in the unconfirmed set.
constexpr std::size_t SETTING_COUNT = 5;
constexpr unsigned ALL_SETTINGS = (1u << SETTING_COUNT) - 1;

QByteArray bytes(std::initializer_list<quint8> values)
{
    QByteArray out;
    for (quint8 value : values)
        out += static_cast<char>(value);
    return out;
}

const std::array<Setting, SETTING_COUNT> &line_settings()
{
    static const std::array<Setting, SETTING_COUNT> settings{{
        {SET_BAUD_RATE, bytes({static_cast<quint8>(device::BAUD_RATE >> 24),
                               static_cast<quint8>(device::BAUD_RATE >> 16),
                               static_cast<quint8>(device::BAUD_RATE >> 8),
                               static_cast<quint8>(device::BAUD_RATE)})},
        {SET_DATA_SIZE, bytes({DATA_BITS})},
        {SET_PARITY, bytes({PARITY_NONE})},
        {SET_STOP_SIZE, bytes({ONE_STOP_BIT})},
        {SET_CONTROL, bytes({NO_FLOW_CONTROL})},
    }};
    return settings;
}

// Options this side does, and options it lets the server do; go-ahead suppression costs nothing.
bool local_supported(quint8 option)
{
    return option == BINARY || option == SUPPRESS_GO_AHEAD || option == COM_PORT;
}
bool remote_supported(quint8 option)
{
    return option == BINARY || option == SUPPRESS_GO_AHEAD;
}

} // namespace

QByteArray TelnetCodec::start()
{
    *this = TelnetCodec{};
    m_options[BINARY].local_asked = m_options[BINARY].remote_asked = true;
    m_options[COM_PORT].local_asked = true;
    return bytes({IAC, WILL, BINARY, IAC, DO, BINARY, IAC, WILL, COM_PORT});
}

TelnetCodec::Output TelnetCodec::feed(QByteArrayView input)
{
    Output out;
    for (char c : input) {
        const auto byte = static_cast<quint8>(c);
        switch (m_state) {
        case State::Data:
            if (byte == IAC)
                m_state = State::Command;
            else
                out.data += c;
            break;
        case State::Command:
            m_state = State::Data;
            m_heard_telnet = m_heard_telnet || byte != IAC;
            if (byte == IAC) {
                out.data += c;
            } else if (byte >= WILL) {
                m_verb = byte;
                m_state = State::Option;
            } else if (byte == SB) {
                m_sub.clear();
                m_state = State::Sub;
            } // other commands (no operation, go ahead, break...) mean nothing to a module
            break;
        case State::Option:
            m_state = State::Data;
            negotiate(m_verb, byte, out.reply);
            break;
        case State::Sub:
            if (byte == IAC)
                m_state = State::SubCommand;
            else if (m_sub.size() < SUB_LIMIT)
                m_sub += c;
            break;
        case State::SubCommand:
            // IAC SE ends it; a doubled IAC is a 255 within it.
            m_state = byte == SE ? State::Data : State::Sub;
            if (byte == SE)
                subnegotiation();
            else if (m_sub.size() < SUB_LIMIT)
                m_sub += c;
            break;
        }
    }
    return out;
}

// Each side's state changes only on a request it agrees to, and an answer goes out only when
// the state changed and nobody asked for it: that keeps two agreeing sides from looping.
void TelnetCodec::negotiate(quint8 verb, quint8 option, QByteArray &reply)
{
    Option &state = m_options[option];
    const bool enable = verb == WILL || verb == DO;
    const bool ours = verb == DO || verb == DONT; // about what this side does
    bool &on = ours ? state.local : state.remote;
    bool &asked = ours ? state.local_asked : state.remote_asked;
    const bool supported = ours ? local_supported(option) : remote_supported(option);
    const quint8 agree = ours ? WILL : DO;
    const quint8 decline = ours ? WONT : DONT;
    if (enable && !supported) {
        reply += bytes({IAC, decline, option});
        if (!ours)
            state.declined = true;
    } else if (enable && !on) {
        on = true;
        if (!asked)
            reply += bytes({IAC, agree, option});
        if (ours && option == COM_PORT) {
            for (const Setting &setting : line_settings())
                reply += bytes({IAC, SB, COM_PORT, setting.command}) + escape(setting.value) +
                         bytes({IAC, SE});
            m_unconfirmed = ALL_SETTINGS;
        }
    } else if (!enable) {
        if (on)
            reply += bytes({IAC, decline, option});
        on = false;
        // A WONT for serial port control refuses it as a DONT does, unless it answers our DONT.
        if (option == BINARY)
            refuse(Refusal::Binary);
        else if (option == COM_PORT && (ours || !state.declined))
            refuse(Refusal::ComPort);
    }
    asked = false;
}

// An answer to a setting reads COM-PORT, the command plus SERVER_ANSWER, then the value.
void TelnetCodec::subnegotiation()
{
    if (m_sub.size() < 2 || static_cast<quint8>(m_sub[0]) != COM_PORT)
        return;
    const auto answer = static_cast<quint8>(m_sub[1]);
    for (std::size_t i = 0; i < line_settings().size(); ++i) {
        const Setting &setting = line_settings()[i];
        if (answer != setting.command + SERVER_ANSWER || !(m_unconfirmed & (1u << i)))
            continue;
        if (m_sub.mid(2) != setting.value)
            refuse(Refusal::LineSettings);
        m_unconfirmed &= ~(1u << i);
    }
}

void TelnetCodec::refuse(Refusal refusal)
{
    if (m_refusal == Refusal::None)
        m_refusal = refusal;
}

QByteArray TelnetCodec::escape(QByteArrayView data)
{
    QByteArray out;
    out.reserve(data.size());
    for (char c : data) {
        out += c;
        if (static_cast<quint8>(c) == IAC)
            out += c;
    }
    return out;
}

bool TelnetCodec::is_negotiation(QByteArrayView start)
{
    if (start.size() < NEGOTIATION_START || static_cast<quint8>(start[0]) != IAC)
        return false;
    const auto command = static_cast<quint8>(start[1]);
    return command == SB || (command >= WILL && command != IAC);
}

bool TelnetCodec::ready() const
{
    return m_refusal == Refusal::None && m_options[BINARY].local && m_options[BINARY].remote &&
           m_options[COM_PORT].local && m_unconfirmed == 0;
}
