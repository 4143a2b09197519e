#include "memory_image.h"

namespace emulator
{

namespace
{
constexpr int BYTES_PER_LINE = 16;
constexpr int HEX_BASE = 16;
constexpr int MAX_HEX_DIGITS = 2;
constexpr char COMMENT = '#';
constexpr char HEADER[] =
    "# converter module memory: 256 bytes in hex, 16 per line, address 0 first\n";
} // namespace

QByteArray format_memory_image(const ModuleCore::Memory &memory)
{
    QByteArray text(HEADER);
    for (int address = 0; address < MEMORY_SIZE; ++address) {
        const quint8 value = memory[static_cast<size_t>(address)];
        text += QByteArray::number(value, HEX_BASE).rightJustified(MAX_HEX_DIGITS, '0').toUpper();
        text += (address % BYTES_PER_LINE == BYTES_PER_LINE - 1) ? '\n' : ' ';
    }
    return text;
}

std::optional<ModuleCore::Memory> parse_memory_image(const QByteArray &text, QString *error)
{
    ModuleCore::Memory memory{};
    int count = 0;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype line_index = 0; line_index < lines.size(); ++line_index) {
        QByteArray line = lines[line_index];
        if (const qsizetype comment = line.indexOf(COMMENT); comment >= 0)
            line.truncate(comment);
        for (const QByteArray &token : line.simplified().split(' ')) {
            if (token.isEmpty())
                continue;
            bool ok = false;
            const uint value = token.toUInt(&ok, HEX_BASE);
            if (!ok || token.size() > MAX_HEX_DIGITS || token.startsWith('+')) {
                *error = QStringLiteral("line %1: \"%2\" is not a hex byte")
                             .arg(line_index + 1)
                             .arg(QString::fromLatin1(token));
                return std::nullopt;
            }
            if (count == MEMORY_SIZE) {
                *error = QStringLiteral("line %1: more than %2 bytes")
                             .arg(line_index + 1)
                             .arg(MEMORY_SIZE);
                return std::nullopt;
            }
            memory[static_cast<size_t>(count++)] = static_cast<quint8>(value);
        }
    }
    if (count != MEMORY_SIZE) {
        *error = QStringLiteral("%1 bytes instead of %2").arg(count).arg(MEMORY_SIZE);
        return std::nullopt;
    }
    return memory;
}

} // namespace emulator
