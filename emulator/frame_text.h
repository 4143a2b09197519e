#pragma once
// How frames and replies appear in the log: hex bytes, then the text with '.' for the rest.

#include <QByteArrayView>
#include <QString>

namespace emulator
{

// "53 00 05 00 1F 44  |S....D|"
QString frame_text(QByteArrayView bytes);

} // namespace emulator
