#pragma once
// Logging categories: the emulator's own messages, and one line per frame.

#include <QLoggingCategory>

namespace emulator
{
Q_DECLARE_LOGGING_CATEGORY(lcEmulator)
Q_DECLARE_LOGGING_CATEGORY(lcFrames)
} // namespace emulator
