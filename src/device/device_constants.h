#pragma once
// Fixed numbers, bytes and texts of the link to the module, each defined once.

#include <QByteArray>
#include "gathering.h"

#include <QString>
#include <QtGlobal>
#include <chrono>

namespace device
{

using std::chrono::milliseconds;

// Timer1's period: the pacing wait lasts until its next tick, a reply wait at most one period.
constexpr milliseconds TIMER_INTERVAL{100};
// A reply wait ends as soon as this many characters are waiting.
constexpr qint16 REPLY_LENGTH = 5;
// A value reply shorter than this is corrupted.
constexpr qint16 SHORTEST_VALUE_REPLY = 4;
// The attention byte is sent at most this many times.
constexpr int ATTENTION_SENDS = 6;

// Ports the operator can choose, and the one every run starts on.
constexpr qint16 FIRST_PORT = 1;
constexpr qint16 LAST_PORT = 5;
constexpr qint16 START_PORT = 1;

inline const QString LINE_SETTINGS = QStringLiteral("9600,N,8,1");

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
constexpr qint16 IDENTITY_CODE = 31;
// Upper limits of the two read routines.
constexpr qint16 POINT_CODE_LIMIT = 160;
constexpr qint16 LOOP_BYTE_LIMIT = 255;

// Status line texts.
inline const QString COMMUNICATIONS_OK = QStringLiteral("COMMUNICATIONS OK");
inline const QString DATA_FAILED_TO_VERIFY = QStringLiteral("DATA FAILED TO VERIFY");
inline const QString COMMUNICATIONS_CORRUPTED = QStringLiteral("COMMUNICATIONS CORRUPTED");
inline const QString DATA_OUT_OF_RANGE = QStringLiteral("ERROR - DATA OUT OF RANGE");
inline const QString INCORRECT_PORT_SETTINGS =
    QStringLiteral("COMMUNICATIONS FAILURE-INCORRECT COM PORT SETTINGS");
inline const QString FAILED_TO_RESPOND =
    QStringLiteral("COMMUNICATIONS FAILURE DATA CONVERTER FAILED TO RESPOND");
inline const QString BAD_DATA = QStringLiteral("COMMUNICATIONS FAILURE-BAD DATA CONVERTER DATA");
inline const QString STARTING_READ =
    QStringLiteral("STARTING COMMUNICATIONS TO READ DATA CONVERTER CONFIGURATION");
inline const QString STARTING_WRITE =
    QStringLiteral("STARTING COMMUNICATIONS TO WRITE DATA CONVERTER CONFIGURATION");
inline const QString READ_SUCCESSFUL = QStringLiteral("DATA CONVERTER DATA READ SUCCESSFUL");
inline const QString PROGRAMMED = QStringLiteral("DATA CONVERTER HAS BEEN PROGRAMMED");
inline const QString &INPUTS_NOT_ENTERED = ::INCOMPLETE_INPUT_TEXT;
inline const QString &OUTPUTS_NOT_ENTERED = ::INCOMPLETE_OUTPUT_TEXT;

// The wrong-kind message box.
inline const QString MISMATCH_TITLE = QStringLiteral("DATA CONVERTER/CONFIGURATION MIS-MATCH");
inline const QString READ_MISMATCH =
    QStringLiteral("THE DATA CONVERTER THAT YOU HAVE ATTEMPTED TO READ DATA FROM DOES NOT "
                   "MATCH THIS CONFIGURATION PROGRAM");
inline const QString WRITE_MISMATCH =
    QStringLiteral("THE DATA CONVERTER THAT YOU HAVE ATTEMPTED TO WRITE DATA TO DOES NOT "
                   "MATCH THIS CONFIGURATION PROGRAM");

// Error details carried by DeviceError (shown nowhere but useful in a debugger and in tests).
inline const QString PORT_NOT_OPEN = QStringLiteral("the port is not open");
inline const QString PORT_ALREADY_OPEN = QStringLiteral("the port is already open");
inline const QString LINE_LOST = QStringLiteral("the line has gone away");
inline const QString BAD_SETTINGS = QStringLiteral("line settings not understood");
inline const QString BAD_PORT_NUMBER = QStringLiteral("no such port number");
inline const QString VALUE_OVERFLOW = QStringLiteral("reply value overflows 16 bits");
inline const QString FRAME_BYTE_RANGE = QStringLiteral("frame byte outside 0..255");
inline const QString LIST_REFUSED = QStringLiteral("a list refused a position");

} // namespace device
