#pragma once
// How frames and replies appear in logs, traces and messages: hex bytes, then the text with '.'
// for the rest. Whatever a peer sent is quoted only as far as its first QUOTE_LIMIT bytes.

#include <QByteArrayView>
#include <QString>

// "53 00 05 00 1F 44  |S....D|"; a longer one ends "|...| (N more bytes)".
QString frame_text(QByteArrayView bytes);
