#pragma once
// Point codes: 10 x module index + channel index, 160 (and above) for "not assigned".

#include <QtGlobal>

constexpr qint16 NOT_ASSIGNED = 160;
constexpr qint16 HIGHEST_POINT_CODE = 159;
constexpr qint16 CHANNELS_PER_MODULE = 10;
constexpr qint16 MODULE_COUNT = 16;
constexpr qint16 NO_SELECTION = -1;

// Turns the point code in A into list positions, exactly as the window's routine does:
// m_index is the input module list position (0 = "N/A"), c_index the channel list position.
// A is working storage and ends equal to c_index for codes 0..159; it is left as it is for
// codes of 160 and more. Negative codes give m_index 1 and c_index equal to the code.
void decode_point_code(qint16 &A, qint16 &m_index, qint16 &c_index);

// The point code for a module index (0..15) and a channel index (0..9).
constexpr qint16 point_code(int module_index, int channel_index)
{
    return static_cast<qint16>(CHANNELS_PER_MODULE * module_index + channel_index);
}
