#pragma once
// The bytes sent to the module and the judging of its replies: pure functions.

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <optional>

QByteArray attention_frame();
// "S", 0, address, 0, value, "D".
QByteArray store_frame(quint8 address, quint8 value);
// "V", 0, address, "0", "0", "V".
QByteArray read_frame(quint8 address);
// Whether a value fits the one byte a frame gives it.
bool fits_frame_byte(qint16 value);

// The whole reply must be the acknowledgement: nothing missing, different or extra.
bool is_acknowledgement(QByteArrayView reply);

// The leading number of a text as the general numeric parse reads it: blanks, tabs and line
// feeds skipped; sign, digits, fraction, exponent with E or D; &H and &O prefixes; stops at the
// first character that cannot continue the number. Nothing when the text does not start with a
// number: a reply of garbage or an acknowledgement carries no value, not 0.
std::optional<double> leading_number(QByteArrayView text);

// The value a reply carries: its leading number divided by ten, rounded half to even. Empty
// when the reply holds no number or the result does not fit a 16-bit signed integer.
std::optional<qint16> reply_value(QByteArrayView reply);
