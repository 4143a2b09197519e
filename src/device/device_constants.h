#pragma once
// Fixed numbers and bytes of the link to the module, each defined once.

#include "module_image.h"

#include <QByteArray>
#include <QtGlobal>
#include <chrono>

namespace device
{

using std::chrono::milliseconds;

// The pacing wait lasts one tick; a reply wait ends at the tick unless a reply came first.
constexpr milliseconds TICK{100};
// A session may wait longer for each reply, for a module behind a slow adapter or network path,
// but never less than a tick, nor so long that a silent module keeps a run going for minutes.
constexpr milliseconds REPLY_WAIT_DEFAULT = TICK;
constexpr milliseconds REPLY_WAIT_MIN = TICK;
constexpr milliseconds REPLY_WAIT_MAX{2000};
// A reply wait ends as soon as this many characters are waiting.
constexpr qsizetype REPLY_LENGTH = 5;
// A value reply shorter than this is corrupted.
constexpr qsizetype SHORTEST_VALUE_REPLY = 4;
// The attention byte is sent at most this many times.
constexpr int ATTENTION_SENDS = 6;

// The line, fixed: 9600 baud, no parity, 8 data bits, 1 stop bit.
constexpr qint32 BAUD_RATE = 9600;

// A network port must accept the connection (the host name looked up included) within this
// time, and an RFC 2217 server must then agree to the line settings within the next.
constexpr milliseconds CONNECT_TIME_LIMIT{5000};
constexpr milliseconds NEGOTIATION_TIME_LIMIT{3000};

// What a network peer can make the program hold. A module's 9600-baud line brings under 2 KiB in
// the longest reply wait, and agreeing on the line takes a few hundred bytes.
// Bytes a server may send before the line is agreed; more is a failure.
constexpr qsizetype AGREEMENT_INPUT_LIMIT = 4096;
// Bytes the socket buffers, and bytes received and not yet taken by the run beyond which the
// socket is left unread (so at most twice this in all): a flooding server waits instead of
// filling memory.
constexpr qsizetype INPUT_BACKLOG_LIMIT = 4096;
// The system's send buffer, and bytes sent that it has not taken yet: more, and the server is
// not reading.
constexpr qsizetype SEND_BACKLOG_LIMIT = 4096;
// Bytes of a frame or a reply quoted in a message or the traffic log; the rest are counted.
constexpr qsizetype QUOTE_LIMIT = 64;

// Port numbers a window user can choose, and the one every run starts on.
constexpr qint16 FIRST_PORT = 1;
constexpr qint16 LAST_PORT = 5;
constexpr qint16 START_PORT = 1;

// Frames and replies.
constexpr char ATTENTION = 'A';
constexpr char STORE_COMMAND = 'S';
constexpr char STORE_END = 'D';
constexpr char READ_COMMAND = 'V';
constexpr char READ_FILLER = '0';
constexpr char READ_END = 'V';
inline const QByteArray ACKNOWLEDGEMENT = QByteArrayLiteral("D000D");
constexpr qint16 FRAME_BYTE_MAX = 255;
// A value reply carries the value times ten.
constexpr double VALUE_SCALE = 10.0;

// The module's kind is told by this byte.
constexpr qint16 IDENTITY_ADDRESS = 63;
using ::IDENTITY_CODE;
// Highest value a read accepts: a point code (160 = not assigned) or a whole loop byte.
constexpr qint16 POINT_CODE_LIMIT = 160;
constexpr qint16 LOOP_BYTE_LIMIT = 255;

} // namespace device
