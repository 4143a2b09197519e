#pragma once
// The bytes sent to the module and the judging of its replies: pure functions.

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <optional>

QByteArray attention_frame();
// "S", 0, address, 0, value, "D". Throws DeviceError when a byte is outside 0..255.
QByteArray store_frame(qint16 address, qint16 value);
// "V", 0, address, "0", "0", "V". Throws DeviceError when the address is outside 0..255.
QByteArray read_frame(qint16 address);

// The whole reply must be the acknowledgement: nothing missing, different or extra.
bool is_acknowledgement(QByteArrayView reply);

// The leading number of a text as the general numeric parse reads it: blanks, tabs and line
// feeds skipped; sign, digits, fraction, exponent with E or D; &H and &O prefixes; stops at the
// first character that cannot continue the number; 0 when there is none.
double leading_number(QByteArrayView text);

// The value a reply carries: its leading number divided by ten, rounded half to even. Empty
// when the result does not fit a 16-bit signed integer.
std::optional<qint16> reply_value(QByteArrayView reply);
