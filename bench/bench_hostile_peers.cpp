// Resident memory of a run against network peers that try to make the program hold on to what
// they send: a server streaming data while the line is to be agreed, one that floods telnet
// requests and never reads the answers (before and after agreeing), one that agrees and then
// streams, a raw port that answers "A" with a megabyte, and one that acknowledges "A" and then
// streams while the run waits before its next frame. Each peer
// is a process of its own on 127.0.0.1 that stops when the run hangs up; the traffic log is on,
// written to /dev/null. Prints the memory before the run, its peak, and how the run ended.

#include "any_port_link.h"
#include "frame_text.h"
#include "line_trace.h"
#include "module_session.h"
#include "tick_timer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// A peer that outlives its run by this much has lost its client and stops by itself.
constexpr unsigned PEER_LIFETIME_S = 30;
constexpr std::size_t CHUNK = 64 * 1024;
constexpr std::size_t MEGABYTE = 1024 * 1024;
constexpr double KIB_PER_MB = 1024.0;
constexpr useconds_t ACKNOWLEDGEMENT_ALONE_US = 20000;
// IAC WILL 200: an option nobody has, which the program declines each time.
constexpr char REQUEST[] = "\xff\xfb\xc8";
constexpr std::size_t REQUEST_LENGTH = sizeof REQUEST - 1;

// IAC DO BINARY, IAC WILL BINARY, IAC DO COM-PORT, and every line setting confirmed.
constexpr char AGREEMENT[] = "\xff\xfd\x00\xff\xfb\x00\xff\xfd\x2c"
                             "\xff\xfa\x2c\x65\x00\x00\x25\x80\xff\xf0"
                             "\xff\xfa\x2c\x66\x08\xff\xf0\xff\xfa\x2c\x67\x01\xff\xf0"
                             "\xff\xfa\x2c\x68\x01\xff\xf0\xff\xfa\x2c\x69\x01\xff\xf0";

enum class Peer { Stream, Requests, AgreedRequests, AgreedStream, Megabyte, AcknowledgedStream };

struct Case {
    const char *label;
    Peer peer;
    const char *scheme;
};

bool write_all(int fd, const std::string &bytes)
{
    return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
}

[[noreturn]] void serve(Peer peer, int listener)
{
    ::alarm(PEER_LIFETIME_S);
    const int fd = ::accept(listener, nullptr, nullptr);
    std::string chunk(CHUNK, 'x');
    if (peer == Peer::AgreedRequests || peer == Peer::AgreedStream)
        write_all(fd, std::string(AGREEMENT, sizeof AGREEMENT - 1));
    if (peer == Peer::Requests || peer == Peer::AgreedRequests) {
        chunk.clear();
        while (chunk.size() + REQUEST_LENGTH <= CHUNK)
            chunk.append(REQUEST, REQUEST_LENGTH);
    }
    char byte = 0;
    switch (peer) {
    case Peer::Stream:
    case Peer::Requests:
    case Peer::AgreedRequests:
    case Peer::AgreedStream:
        while (write_all(fd, chunk)) {
        }
        break;
    case Peer::AcknowledgedStream:
        // The acknowledgement alone first, so that the handshake holds; then data while the run
        // waits before its next frame.
        if (::recv(fd, &byte, 1, 0) == 1 && write_all(fd, "D000D")) {
            ::usleep(ACKNOWLEDGEMENT_ALONE_US);
            while (write_all(fd, chunk)) {
            }
        }
        break;
    case Peer::Megabyte:
        if (::recv(fd, &byte, 1, 0) == 1)
            write_all(fd, std::string(MEGABYTE, 'A'));
        while (::recv(fd, &byte, 1, 0) > 0) {
        }
        break;
    }
    ::_exit(0);
}

// VmRSS or VmHWM of this process, in MB.
double memory_mb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toDouble() / KIB_PER_MB;
    return 0;
}

int run_case(const Case &c)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        std::perror("listen");
        return 1;
    }
    const pid_t child = ::fork();
    if (child == 0)
        serve(c.peer, listener);
    ::close(listener);

    int argc = 1;
    char name[] = "bench_hostile_peers";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QString error;
    start_line_trace(QStringLiteral("/dev/null"), &error);
    AnyPortLink link;
    TickTimer timer;
    ModuleSession session(link, timer);
    QEventLoop loop;
    SessionResult result;
    QObject::connect(&session, &ModuleSession::finished, [&](const SessionResult &end) {
        result = end;
        loop.quit();
    });
    const double before = memory_mb("VmRSS:");
    session.probe(QStringLiteral("%1://127.0.0.1:%2")
                      .arg(QLatin1String(c.scheme))
                      .arg(ntohs(address.sin_port)),
                  false);
    loop.exec();
    const QString ending = result.outcome == SessionOutcome::PortFailure ? result.reason
                           : result.succeeded() ? QStringLiteral("handshake answered")
                                                : QStringLiteral("no answer, %1 characters quoted")
                                                      .arg(frame_text(result.received).size());
    std::printf("%-34s before %6.1f MB, peak %7.1f MB: %s\n", c.label, before, memory_mb("VmHWM:"),
                qPrintable(ending));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const Case cases[] = {
        {"stream before agreement (rfc2217)", Peer::Stream, "rfc2217"},
        {"requests, never reads (rfc2217)", Peer::Requests, "rfc2217"},
        {"agrees, then requests (rfc2217)", Peer::AgreedRequests, "rfc2217"},
        {"agrees, then streams (rfc2217)", Peer::AgreedStream, "rfc2217"},
        {"a megabyte for A (tcp)", Peer::Megabyte, "tcp"},
        {"acknowledges, then streams (tcp)", Peer::AcknowledgedStream, "tcp"},
    };
    // Each case in a process of its own, so that each peak is its own.
    if (argc == 2)
        return run_case(cases[std::stoul(argv[1]) % std::size(cases)]);
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        const std::string command = std::string(argv[0]) + ' ' + std::to_string(k);
        if (std::system(command.c_str()) != 0)
            return 1;
    }
    return 0;
}
