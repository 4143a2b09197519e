#pragma once
// Every fixed byte, text and number of the module's protocol and of the emulator, defined once.

#include <QtGlobal>
#include <chrono>

namespace emulator
{

inline constexpr int MEMORY_SIZE = 256;
inline constexpr int IDENTITY_ADDRESS = 63;
inline constexpr quint8 IDENTITY_CODE = 31;

// Frames sent by the configuration program.
inline constexpr char ATTENTION = 'A';
inline constexpr char STORE_COMMAND = 'S';
inline constexpr char STORE_END = 'D';
inline constexpr char READ_COMMAND = 'V';
inline constexpr char READ_FILLER = '0';
inline constexpr char READ_END = 'V';
inline constexpr int FRAME_LENGTH = 6;
inline constexpr int FRAME_ADDRESS_POSITION = 2;
inline constexpr int FRAME_VALUE_POSITION = 4;

// Replies: the acknowledgement, and a value reply of value x 10 in four digits then "V".
inline constexpr char ACKNOWLEDGEMENT[] = "D000D";
inline constexpr int VALUE_SCALE = 10;
inline constexpr int VALUE_DIGITS = 4;
inline constexpr char VALUE_END = 'V';

// A real line: 9600 baud, and a start bit, 8 data bits and a stop bit per byte.
inline constexpr int LINE_BAUD = 9600;
inline constexpr int LINE_BITS_PER_BYTE = 10;

// Bytes taken from the line per read call.
inline constexpr int READ_CHUNK = 256;

using std::chrono::milliseconds;

} // namespace emulator
