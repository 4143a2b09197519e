#include "board_routes.h"

#include <QFile>
#include <QHostAddress>

namespace
{
constexpr QByteArrayView GET = "GET";
constexpr QByteArrayView HEAD = "HEAD";
constexpr QByteArrayView PAGE_PATH = "/";
constexpr QByteArrayView STYLE_PATH = "/board.css";
constexpr QByteArrayView SCRIPT_PATH = "/board.js";
constexpr QByteArrayView STATUS_PATH = "/status.json";
const QString PAGE_RESOURCE = QStringLiteral(":/board/index.html");
const QString STYLE_RESOURCE = QStringLiteral(":/board/board.css");
const QString SCRIPT_RESOURCE = QStringLiteral(":/board/board.js");

constexpr QByteArrayView HTML = "text/html; charset=utf-8";
constexpr QByteArrayView CSS = "text/css; charset=utf-8";
constexpr QByteArrayView JAVASCRIPT = "text/javascript; charset=utf-8";
constexpr QByteArrayView JSON = "application/json";
constexpr QByteArrayView TEXT = "text/plain; charset=utf-8";

constexpr QByteArrayView OK = "200 OK";
constexpr QByteArrayView NOT_MODIFIED = "304 Not Modified";
constexpr QByteArrayView BAD_REQUEST = "400 Bad Request";
constexpr QByteArrayView NOT_FOUND = "404 Not Found";
constexpr QByteArrayView NOT_ALLOWED = "405 Method Not Allowed";
constexpr QByteArrayView TOO_LARGE = "431 Request Header Fields Too Large";
constexpr QByteArrayView BUSY = "503 Service Unavailable";
constexpr QByteArrayView MISDIRECTED = "421 Misdirected Request";
constexpr QByteArrayView LOCALHOST = "localhost";
constexpr QByteArrayView NO_VERSION = "505 HTTP Version Not Supported";

// The page runs its own script and style and asks only its own server; nothing else loads, and
// no other site may frame it.
constexpr QByteArrayView HEADERS =
    "Content-Security-Policy: default-src 'none'; script-src 'self'; style-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "Referrer-Policy: no-referrer\r\n"
    "Cache-Control: no-cache\r\n";
constexpr QByteArrayView ALLOW = "Allow: GET, HEAD\r\n";
constexpr QByteArrayView RETRY = "Retry-After: 1\r\n";
constexpr QByteArrayView KEEP_OPEN = "Connection: keep-alive\r\n";
constexpr QByteArrayView CLOSE = "Connection: close\r\n";
constexpr QByteArrayView STATUS_LINE = "HTTP/1.1 ";
constexpr QByteArrayView CONTENT_TYPE = "Content-Type: ";
constexpr QByteArrayView CONTENT_LENGTH = "Content-Length: ";
constexpr QByteArrayView ETAG = "ETag: ";
constexpr QByteArrayView LINE_END = "\r\n";

QByteArray resource(const QString &path)
{
    QFile file(path);
    // Compiled in: it is there, or the build is broken.
    if (!file.open(QIODevice::ReadOnly))
        qFatal("the board's %s is not compiled in", qPrintable(path));
    return file.readAll();
}

struct Response {
    QByteArrayView status;
    QByteArrayView type;
    QByteArray body;
    QByteArray extra = {}; // further header lines
};

QByteArray bytes(const Response &response, bool head_only, bool close)
{
    QByteArray text;
    text.append(STATUS_LINE).append(response.status).append(LINE_END);
    if (!response.type.isEmpty())
        text.append(CONTENT_TYPE).append(response.type).append(LINE_END);
    // A 304 stands for the response cached before, whose length is that one's.
    if (response.status != NOT_MODIFIED)
        text.append(CONTENT_LENGTH)
            .append(QByteArray::number(response.body.size()))
            .append(LINE_END);
    text.append(HEADERS).append(response.extra).append(close ? CLOSE : KEEP_OPEN).append(LINE_END);
    if (!head_only)
        text.append(response.body);
    return text;
}

// Whether a Host header ("127.0.0.1:8088", "[::1]:8088", "localhost") names this machine's
// loopback; no header at all is a hand-typed HTTP/1.0 request, never a browser's.
bool names_loopback(const QByteArray &host)
{
    if (host.isEmpty())
        return true;
    const qsizetype bracket = host.indexOf(']');
    const QByteArray name =
        host.startsWith('[')
            ? host.mid(1, bracket - 1)
            : host.left(host.lastIndexOf(':') < 0 ? host.size() : host.lastIndexOf(':'));
    return name.compare(LOCALHOST, Qt::CaseInsensitive) == 0 ||
           QHostAddress(QString::fromLatin1(name)).isLoopback();
}

// A refusal's body says the status in words, for whoever types the request by hand.
Response refusal(QByteArrayView status, const QByteArray &extra = {})
{
    return {status, TEXT, status.toByteArray() + '\n', extra};
}
} // namespace

BoardRoutes::BoardRoutes(const BoardState &state)
    : m_state(state), m_page(resource(PAGE_RESOURCE)), m_style(resource(STYLE_RESOURCE)),
      m_script(resource(SCRIPT_RESOURCE))
{
}

BoardRoutes::Answer BoardRoutes::answer(const HttpRequest &request) const
{
    using Problem = HttpRequest::Problem;
    if (request.problem != Problem::None)
        return {bytes(refusal(request.problem == Problem::Version ? NO_VERSION : BAD_REQUEST),
                      false, true),
                true};
    const bool head_only = request.method == HEAD;
    // A body this server never reads would be taken for the next request: close after it.
    const bool close = !request.keep_alive || request.has_body;
    if (request.method != GET && !head_only)
        return {bytes(refusal(NOT_ALLOWED, ALLOW.toByteArray()), false, true), true};
    if (m_loopback && !names_loopback(request.host))
        return {bytes(refusal(MISDIRECTED), false, true), true};
    // The target exactly as sent: nothing is decoded or resolved, so "..", "%2e" and "//"
    // name nothing here.
    const QByteArrayView path = request.target;
    const auto routed = [&]() -> Response {
        if (path == PAGE_PATH)
            return {OK, HTML, m_page};
        if (path == STYLE_PATH)
            return {OK, CSS, m_style};
        if (path == SCRIPT_PATH)
            return {OK, JAVASCRIPT, m_script};
        if (path != STATUS_PATH)
            return refusal(NOT_FOUND);
        const QByteArray tag = m_state.tag();
        const QByteArray header = ETAG.toByteArray() + tag + LINE_END.toByteArray();
        return request.if_none_match == tag ? Response{NOT_MODIFIED, {}, {}, header}
                                            : Response{OK, JSON, m_state.json(), header};
    };
    return {bytes(routed(), head_only, close), close};
}

QByteArray BoardRoutes::too_large()
{
    return bytes(refusal(TOO_LARGE), false, true);
}

QByteArray BoardRoutes::busy()
{
    return bytes(refusal(BUSY, RETRY.toByteArray()), false, true);
}
