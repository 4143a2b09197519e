#pragma once
// The telnet side of an rfc2217:// port as pure functions of the bytes: what the socket brings
// becomes the module's bytes and the answers owed to the server, and what goes to the module is
// escaped. It asks for binary transmission both ways and for serial port control, sets the line
// to 9600 baud, 8N1 without flow control, and refuses every option it has no use for.

#include <QByteArray>
#include <QByteArrayView>
#include <array>

class TelnetCodec
{
public:
    // What the server turned down; a run cannot go on after any of these.
    enum class Refusal { None, Binary, ComPort, LineSettings };

    struct Output {
        QByteArray data;  // the module's bytes, unescaped
        QByteArray reply; // to be sent back to the server
    };

    // Starts afresh on a new connection: what the client says first.
    QByteArray start();
    // Takes the next bytes from the socket, in pieces of any size.
    Output feed(QByteArrayView bytes);
    // The module's bytes as they must go on the wire.
    static QByteArray escape(QByteArrayView data);
    // Whether the first NEGOTIATION_START bytes of a connection open a telnet negotiation: a
    // raw port's module never starts that way.
    static constexpr qsizetype NEGOTIATION_START = 2;
    static bool is_negotiation(QByteArrayView start);

    // Binary both ways, serial port control agreed, and every line setting confirmed as asked.
    bool ready() const;
    Refusal refusal() const { return m_refusal; }
    // The server has sent at least one telnet command: it is no raw port.
    bool heard_telnet() const { return m_heard_telnet; }

private:
    enum class State { Data, Command, Option, Sub, SubCommand };
    struct Option {
        bool local = false, local_asked = false;   // this side does it (WILL)
        bool remote = false, remote_asked = false; // the server does it (DO)
        bool declined = false; // the server offered it and was told no: its WONT only agrees
    };

    void negotiate(quint8 verb, quint8 option, QByteArray &reply);
    void subnegotiation();
    void refuse(Refusal refusal);

    State m_state = State::Data;
    quint8 m_verb = 0;
    QByteArray m_sub;
    std::array<Option, 256> m_options{};
    // Line settings sent and not yet confirmed, one bit each.
    unsigned m_unconfirmed = 0;
    Refusal m_refusal = Refusal::None;
    bool m_heard_telnet = false;
};
