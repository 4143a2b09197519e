#include "frame_text.h"

namespace
{
constexpr char PRINTABLE_FIRST = 0x20;
constexpr char PRINTABLE_LAST = 0x7e;
constexpr QChar UNPRINTABLE = u'.';
} // namespace

QString frame_text(QByteArrayView bytes)
{
    QString hex;
    QString text;
    for (char byte : bytes) {
        if (!hex.isEmpty())
            hex += u' ';
        hex += QStringLiteral("%1").arg(static_cast<quint8>(byte), 2, 16, QChar(u'0')).toUpper();
        text += (byte >= PRINTABLE_FIRST && byte <= PRINTABLE_LAST) ? QChar(QLatin1Char(byte))
                                                                    : UNPRINTABLE;
    }
    return QStringLiteral("%1  |%2|").arg(hex, text);
}
