#include "config_record.h"

#include "file_texts.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>
#include <limits>

namespace
{

constexpr char QUOTE = '"';
constexpr char COMMA = ',';
constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr char ASCII_END = '\x7f';
constexpr int DECIMAL_BASE = 10;
constexpr int HEX = 16;
constexpr int CODE_POINT_DIGITS = 4;

template <typename Field>
constexpr bool is_text = std::is_same_v<std::remove_cvref_t<Field>, QString>;

bool is_ascii(QByteArrayView bytes)
{
    for (char c : bytes)
        if (c < 0 || c > ASCII_END)
            return false;
    return true;
}

bool is_ascii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() > ASCII_END)
            return false;
    return true;
}

// The first character of `text` that the code page has no byte for.
char32_t first_unencodable(QStringView text)
{
    for (char32_t c : text.toUcs4()) {
        if (c <= static_cast<char32_t>(ASCII_END))
            continue;
        QStringEncoder encoder(files::CODE_PAGE);
        const char32_t one[] = {c};
        // The encoding runs only when its result is converted, so keep it.
        const QByteArray encoded = encoder.encode(QString::fromUcs4(one, 1));
        if (!encoder.isValid() || encoder.hasError())
            return c;
    }
    return 0;
}

// Text in code-page bytes, or the fault that keeps it from being written unchanged.
std::optional<TextFault> encode_text(const QString &text, int field, QByteArray &out)
{
    if (text.contains(QChar(u'"')))
        return TextFault{TextFault::DoubleQuote, field, U'"'};
    if (is_ascii(text)) {
        out += text.toLatin1();
        return std::nullopt;
    }
    // Without the code page (a Qt built without ICU) nothing beyond ASCII is written at all.
    QStringEncoder encoder(files::CODE_PAGE);
    const QByteArray bytes = encoder.encode(text);
    if (!encoder.isValid() || encoder.hasError())
        return TextFault{TextFault::NotInCodePage, field, first_unencodable(text)};
    out += bytes;
    return std::nullopt;
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}
bool is_line_end(char c)
{
    return c == CR || c == LF;
}

// Splits the bytes into fields by the lenient rules: blanks before a field are skipped, a comma
// or a line end ends a field, a quoted text runs to the next quote whatever it holds, and what
// follows a closing quote up to the separator is skipped.
class FieldScanner
{
public:
    explicit FieldScanner(QByteArrayView bytes) : m_bytes(bytes) {}

    // The next field's characters (without quotes), or nothing at the end of the bytes.
    std::optional<QByteArrayView> next()
    {
        while (m_pos < m_bytes.size() && is_blank(m_bytes[m_pos]))
            ++m_pos;
        if (m_pos >= m_bytes.size())
            return std::nullopt;
        QByteArrayView field;
        if (m_bytes[m_pos] == QUOTE) {
            const qsizetype start = m_pos + 1;
            qsizetype close = m_bytes.indexOf(QUOTE, start);
            if (close < 0)
                close = m_bytes.size();
            field = m_bytes.sliced(start, close - start);
            m_pos = std::min(close + 1, m_bytes.size());
            skip_to_separator();
        } else {
            const qsizetype start = m_pos;
            skip_to_separator();
            qsizetype end = m_pos;
            while (end > start && is_blank(m_bytes[end - 1]))
                --end;
            field = m_bytes.sliced(start, end - start);
        }
        consume_separator();
        return field;
    }

private:
    void skip_to_separator()
    {
        while (m_pos < m_bytes.size() && m_bytes[m_pos] != COMMA && !is_line_end(m_bytes[m_pos]))
            ++m_pos;
    }

    // A comma, a line end (CR, LF or CR LF), or a comma with only blanks before a line end:
    // a record split after its commas reads like one split in place of them.
    void consume_separator()
    {
        if (m_pos >= m_bytes.size())
            return;
        if (m_bytes[m_pos] == COMMA) {
            ++m_pos;
            qsizetype ahead = m_pos;
            while (ahead < m_bytes.size() && is_blank(m_bytes[ahead]))
                ++ahead;
            if (ahead < m_bytes.size() && is_line_end(m_bytes[ahead])) {
                m_pos = ahead;
                consume_line_end();
            }
            return;
        }
        consume_line_end();
    }

    void consume_line_end()
    {
        if (m_pos < m_bytes.size() && m_bytes[m_pos] == CR)
            ++m_pos;
        if (m_pos < m_bytes.size() && m_bytes[m_pos] == LF)
            ++m_pos;
    }

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

// A decimal integer with an optional sign and surrounding blanks, within 16 bits signed.
RecordStatus parse_integer(QByteArrayView field, qint16 &value)
{
    field = field.trimmed();
    bool negative = false;
    if (!field.isEmpty() && (field.front() == '-' || field.front() == '+')) {
        negative = field.front() == '-';
        field = field.sliced(1);
    }
    if (field.isEmpty())
        return RecordStatus::NotANumber;
    constexpr qint64 limit = qint64{std::numeric_limits<qint16>::max()} + 1;
    qint64 magnitude = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return RecordStatus::NotANumber;
        // Saturate: the digits must still all be checked, but the value is already too large.
        magnitude = std::min(magnitude * DECIMAL_BASE + (c - '0'), limit + 1);
    }
    const qint64 signed_value = negative ? -magnitude : magnitude;
    if (signed_value < std::numeric_limits<qint16>::min() ||
        signed_value > std::numeric_limits<qint16>::max())
        return RecordStatus::OutOfRange;
    value = static_cast<qint16>(signed_value);
    return RecordStatus::Ok;
}

} // namespace

QString character_name(char32_t c)
{
    return files::CHARACTER_NAME
        .arg(QString::number(c, HEX).toUpper(), CODE_POINT_DIGITS, QLatin1Char('0'))
        .arg(QString::fromUcs4(&c, 1));
}

RecordBytes write_config_record(const ConfigRecord &record)
{
    RecordBytes result;
    QByteArray out;
    visit_record_fields(record, [&](const auto &field, int number) {
        if (number > 1)
            out += COMMA;
        if constexpr (is_text<decltype(field)>) {
            out += QUOTE;
            result.fault = encode_text(field, number, out);
            if (result.fault)
                return false;
            out += QUOTE;
        } else {
            out += QByteArray::number(field);
        }
        return true;
    });
    if (!result.fault) {
        out += CR;
        out += LF;
        result.bytes = out;
    }
    return result;
}

RecordStatus read_config_record(QByteArrayView bytes, ConfigRecord &record, int *failed_field)
{
    FieldScanner scanner(bytes);
    QStringDecoder decoder(files::CODE_PAGE);
    RecordStatus status = RecordStatus::Ok;
    int field_number = 0;
    visit_record_fields(record, [&](auto &field, int number) {
        field_number = number;
        const std::optional<QByteArrayView> raw = scanner.next();
        if (!raw) {
            status = RecordStatus::TooShort;
            return false;
        }
        if constexpr (is_text<decltype(field)>) {
            // Every byte has a character in this code page, so decoding fails only when the
            // code page itself is missing.
            if (is_ascii(*raw)) {
                field = QString::fromLatin1(*raw);
            } else if (decoder.isValid()) {
                field = decoder.decode(*raw);
            } else {
                status = RecordStatus::NoCodePage;
                return false;
            }
        } else {
            status = parse_integer(*raw, field);
        }
        return status == RecordStatus::Ok;
    });
    if (status != RecordStatus::Ok && failed_field)
        *failed_field = field_number;
    if (status == RecordStatus::Ok && record.model != MODEL_ID)
        status = RecordStatus::WrongModel;
    return status;
}
