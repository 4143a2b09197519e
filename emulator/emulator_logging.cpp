#include "emulator_logging.h"

namespace emulator
{
Q_LOGGING_CATEGORY(lcEmulator, "converter.emulator")
Q_LOGGING_CATEGORY(lcFrames, "converter.emulator.frames")
} // namespace emulator
