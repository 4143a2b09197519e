#pragma once
// A request's head as the board reads it: the request line and the few headers it heeds. The
// board answers GET and HEAD of fixed paths only, so a head is all it ever reads.

#include <QByteArray>
#include <QByteArrayView>

struct HttpRequest {
    enum class Problem {
        None,
        Malformed, // not a request line and headers
        Version,   // not HTTP/1.0 or HTTP/1.1
    };
    Problem problem = Problem::None;
    QByteArray method;
    QByteArray target; // as sent: never decoded nor resolved
    bool keep_alive = false;
    bool has_body = false; // a body follows the head, which this server never reads
    QByteArray if_none_match;
    QByteArray host; // the Host header, empty when there is none
};

// Where the head at the start of `buffer` ends (just after its empty line); -1 while it has not.
qsizetype request_head_end(QByteArrayView buffer);
// The head, up to and including its empty line.
HttpRequest parse_request_head(QByteArrayView head);
