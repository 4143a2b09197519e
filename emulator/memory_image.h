#pragma once
// The module's memory as a text file: 256 bytes in two-digit hex, 16 to a line; '#' starts a
// comment, and any whitespace separates the bytes.

#include "module_core.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace emulator
{

QByteArray format_memory_image(const ModuleCore::Memory &memory);
// Exactly 256 hex bytes, or nothing and the reason in *error.
std::optional<ModuleCore::Memory> parse_memory_image(const QByteArray &text, QString *error);

} // namespace emulator
