#include "frame_text.h"

#include "device_constants.h"

namespace
{
constexpr char PRINTABLE_FIRST = 0x20;
constexpr char PRINTABLE_LAST = 0x7e;
constexpr QChar UNPRINTABLE = u'.';
const QString MORE_BYTES = QStringLiteral(" (%1 more bytes)");
} // namespace

QString frame_text(QByteArrayView bytes)
{
    const QByteArrayView quoted = bytes.first(std::min(bytes.size(), device::QUOTE_LIMIT));
    QString hex;
    QString text;
    for (char byte : quoted) {
        if (!hex.isEmpty())
            hex += u' ';
        hex += QStringLiteral("%1").arg(static_cast<quint8>(byte), 2, 16, QChar(u'0')).toUpper();
        text += (byte >= PRINTABLE_FIRST && byte <= PRINTABLE_LAST) ? QChar(QLatin1Char(byte))
                                                                    : UNPRINTABLE;
    }
    QString out = QStringLiteral("%1  |%2|").arg(hex, text);
    if (bytes.size() > quoted.size())
        out += MORE_BYTES.arg(bytes.size() - quoted.size());
    return out;
}
