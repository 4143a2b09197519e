#pragma once
// Point codes: 10 x module index + channel index, 160 (and above) for "not assigned".

#include <QtGlobal>

constexpr qint16 NOT_ASSIGNED = 160;
constexpr qint16 HIGHEST_POINT_CODE = 159;
constexpr qint16 CHANNELS_PER_MODULE = 10;
constexpr qint16 MODULE_COUNT = 16;

// The list positions a point code decodes to: `module` for an input module list (0 = "N/A",
// 1..16 = "A".."P"; an output module list, which has no "N/A", takes module - 1) and `channel`
// for a channel list (-1 = none).
struct DecodedPoint {
    qint16 module;
    qint16 channel;
};

// 0..159 give their module and channel; 160 and above "N/A" and no channel. A negative code is
// no point at all: module "A" and the code itself as the channel position, which only -1 fits.
DecodedPoint decode_point_code(qint16 code);

// The point code for a module index (0..15) and a channel index (0..9).
constexpr qint16 point_code(int module_index, int channel_index)
{
    return static_cast<qint16>(CHANNELS_PER_MODULE * module_index + channel_index);
}
