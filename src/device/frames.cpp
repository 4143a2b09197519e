#include "frames.h"

#include "device_constants.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

using namespace device;

namespace
{

char frame_byte(quint8 value)
{
    return static_cast<char>(value);
}

bool is_skipped(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

// Reads the characters of a number one by one, passing over the skipped ones wherever they are.
class Cursor
{
public:
    explicit Cursor(QByteArrayView text) : m_text(text) {}
    char peek()
    {
        while (m_pos < m_text.size() && is_skipped(m_text[m_pos]))
            ++m_pos;
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }
    void next() { ++m_pos; }

private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

int digit_value(char c, int radix)
{
    int value = radix;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < radix ? value : -1;
}

std::optional<double> radix_number(Cursor &in, int radix)
{
    std::optional<double> value;
    for (int d = digit_value(in.peek(), radix); d >= 0; d = digit_value(in.peek(), radix)) {
        value = value.value_or(0) * radix + d;
        in.next();
    }
    return value;
}

constexpr int HEX_RADIX = 16;
constexpr int OCTAL_RADIX = 8;

} // namespace

QByteArray attention_frame()
{
    return QByteArray(1, ATTENTION);
}

bool fits_frame_byte(qint16 value)
{
    return value >= 0 && value <= FRAME_BYTE_MAX;
}

QByteArray store_frame(quint8 address, quint8 value)
{
    const char frame[] = {STORE_COMMAND,     '\0',     frame_byte(address), '\0',
                          frame_byte(value), STORE_END};
    return QByteArray(frame, sizeof frame);
}

QByteArray read_frame(quint8 address)
{
    const char frame[] = {READ_COMMAND, '\0',        frame_byte(address),
                          READ_FILLER,  READ_FILLER, READ_END};
    return QByteArray(frame, sizeof frame);
}

bool is_acknowledgement(QByteArrayView reply)
{
    return reply == QByteArrayView(ACKNOWLEDGEMENT);
}

std::optional<double> leading_number(QByteArrayView text)
{
    Cursor in(text);
    if (in.peek() == '&') {
        in.next();
        const char kind = in.peek();
        if (kind == 'H' || kind == 'h') {
            in.next();
            return radix_number(in, HEX_RADIX);
        }
        if (kind == 'O' || kind == 'o') {
            in.next();
            return radix_number(in, OCTAL_RADIX);
        }
        return std::nullopt;
    }

    // Collect the decimal number in plain notation and let from_chars convert it: correctly
    // rounded, and blind to the desktop's locale.
    std::string number;
    if (in.peek() == '+' || in.peek() == '-') {
        number += in.peek();
        in.next();
    }
    bool any_digit = false;
    bool negative_exponent = false;
    auto digits = [&] {
        for (char c = in.peek(); c >= '0' && c <= '9'; c = in.peek()) {
            number += c;
            any_digit = true;
            in.next();
        }
    };
    digits();
    if (in.peek() == '.') {
        number += '.';
        in.next();
        digits();
    }
    if (!any_digit)
        return std::nullopt;
    const char e = in.peek();
    if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
        in.next();
        std::string exponent = "e";
        if (in.peek() == '+' || in.peek() == '-') {
            negative_exponent = in.peek() == '-';
            exponent += in.peek();
            in.next();
        }
        bool exponent_digit = false;
        for (char c = in.peek(); c >= '0' && c <= '9'; c = in.peek()) {
            exponent += c;
            exponent_digit = true;
            in.next();
        }
        if (exponent_digit)
            number += exponent;
    }
    const char *first = number.data();
    if (*first == '+')
        ++first;
    double value = 0;
    const auto [end, error] = std::from_chars(first, number.data() + number.size(), value);
    Q_UNUSED(end);
    if (error == std::errc::result_out_of_range) {
        if (negative_exponent)
            return 0;
        const bool negative = number.front() == '-';
        return negative ? -std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::infinity();
    }
    return value;
}

std::optional<qint16> reply_value(QByteArrayView reply)
{
    const std::optional<double> number = leading_number(reply);
    if (!number)
        return std::nullopt;
    const double scaled = *number / VALUE_SCALE;
    if (!std::isfinite(scaled))
        return std::nullopt;
    // nearbyint rounds half to even in the default rounding mode.
    const double rounded = std::nearbyint(scaled);
    if (rounded < std::numeric_limits<qint16>::min() ||
        rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(rounded);
}
