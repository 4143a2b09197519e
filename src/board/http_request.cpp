#include "http_request.h"

#include <QList>

namespace
{
constexpr char LINE_END = '\n';
constexpr char CARRIAGE_RETURN = '\r';
constexpr char SPACE = ' ';
constexpr char HEADER_SEPARATOR = ':';
constexpr char LIST_SEPARATOR = ',';
constexpr QByteArrayView HTTP_1_0 = "HTTP/1.0";
constexpr QByteArrayView HTTP_1_1 = "HTTP/1.1";
constexpr QByteArrayView CONNECTION = "connection";
constexpr QByteArrayView CLOSE = "close";
constexpr QByteArrayView KEEP_ALIVE = "keep-alive";
constexpr QByteArrayView CONTENT_LENGTH = "content-length";
constexpr QByteArrayView TRANSFER_ENCODING = "transfer-encoding";
constexpr QByteArrayView IF_NONE_MATCH = "if-none-match";
constexpr QByteArrayView HOST = "host";
constexpr QByteArrayView NO_BODY = "0";
constexpr QByteArrayView HTTP_PREFIX = "HTTP/";
constexpr QByteArrayView SEPARATORS = "()<>@,;:\\\"/[]?={}";
constexpr char DELETE_CHARACTER = '\x7f';
constexpr int REQUEST_LINE_PARTS = 3;

bool lists(const QByteArray &value, QByteArrayView token)
{
    const QList<QByteArray> items = value.split(LIST_SEPARATOR);
    for (const QByteArray &item : items)
        if (item.trimmed().compare(token, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The token characters of a method: no control character, space or separator.
bool is_token(const QByteArray &text)
{
    for (char c : text)
        if (c <= SPACE || c >= DELETE_CHARACTER || SEPARATORS.contains(c))
            return false;
    return !text.isEmpty();
}
} // namespace

qsizetype request_head_end(QByteArrayView buffer)
{
    // Lines end in CR LF; a bare LF is taken too, as most servers do.
    for (qsizetype at = buffer.indexOf(LINE_END); at >= 0; at = buffer.indexOf(LINE_END, at + 1)) {
        const qsizetype next = at + 1;
        if (next < buffer.size() && buffer[next] == LINE_END)
            return next + 1;
        if (next + 1 < buffer.size() && buffer[next] == CARRIAGE_RETURN &&
            buffer[next + 1] == LINE_END)
            return next + 2;
    }
    return -1;
}

HttpRequest parse_request_head(QByteArrayView head)
{
    HttpRequest request;
    QList<QByteArray> lines = head.toByteArray().split(LINE_END);
    for (QByteArray &line : lines)
        if (line.endsWith(CARRIAGE_RETURN))
            line.chop(1);
    const QList<QByteArray> parts = lines.value(0).split(SPACE);
    if (parts.size() != REQUEST_LINE_PARTS || !is_token(parts[0]) || parts[1].isEmpty()) {
        request.problem = HttpRequest::Problem::Malformed;
        return request;
    }
    request.method = parts[0];
    request.target = parts[1];
    const QByteArray &version = parts[2];
    if (version != HTTP_1_0 && version != HTTP_1_1) {
        request.problem = version.startsWith(HTTP_PREFIX) ? HttpRequest::Problem::Version
                                                          : HttpRequest::Problem::Malformed;
        return request;
    }
    request.keep_alive = version == HTTP_1_1;
    for (const QByteArray &line : lines.mid(1)) {
        if (line.isEmpty())
            continue;
        const qsizetype colon = line.indexOf(HEADER_SEPARATOR);
        if (colon <= 0) {
            request.problem = HttpRequest::Problem::Malformed;
            return request;
        }
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == CONNECTION)
            request.keep_alive =
                version == HTTP_1_1 ? !lists(value, CLOSE) : lists(value, KEEP_ALIVE);
        else if (name == TRANSFER_ENCODING || (name == CONTENT_LENGTH && value != NO_BODY))
            request.has_body = true;
        else if (name == IF_NONE_MATCH)
            request.if_none_match = value;
        else if (name == HOST)
            request.host = value;
    }
    return request;
}
