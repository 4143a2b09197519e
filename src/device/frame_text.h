#pragma once
// How frames and replies appear in logs and traces: hex bytes, then the text with '.' for the rest.

#include <QByteArrayView>
#include <QString>

// "53 00 05 00 1F 44  |S....D|"
QString frame_text(QByteArrayView bytes);
