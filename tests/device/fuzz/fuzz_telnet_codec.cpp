// libFuzzer target: the telnet side of an rfc2217:// port against whatever a server sends. The
// first byte chooses the size of the pieces the rest arrives in (1 to 16), as a socket may split
// it. Build with clang and -DFUZZ=ON, then run
//   build-fuzz/bin/fuzz_telnet_codec tests/device/fuzz/telnet_corpus
// Besides crashes and sanitizer findings, a broken promise aborts with its reason. The test suite
// replays the corpus through the same entry point.

#include "telnet_codec.h"

namespace
{

constexpr int PIECE_SIZES = 16;

// What a fresh codec makes of `server` fed in pieces of `piece` bytes: the module's bytes, the
// answers, the refusal and the state, as one text.
QByteArray fed(const QByteArray &server, qsizetype piece)
{
    TelnetCodec codec;
    codec.start();
    QByteArray data, reply;
    for (qsizetype at = 0; at < server.size(); at += piece) {
        const TelnetCodec::Output out = codec.feed(server.mid(at, piece));
        data += out.data;
        reply += out.reply;
    }
    return data.toHex() + '/' + reply.toHex() + '/' +
           QByteArray::number(static_cast<int>(codec.refusal())) + (codec.ready() ? "R" : "") +
           (codec.heard_telnet() ? "T" : "");
}

void promise(bool kept, const char *what)
{
    if (!kept)
        qFatal("broken promise: %s", what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype piece = data[0] % PIECE_SIZES + 1;
    const QByteArray server(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
    promise(fed(server, piece) == fed(server, std::max<qsizetype>(server.size(), 1)),
            "a command cut in two is still one command");
    promise(fed(TelnetCodec::escape(server), piece) == server.toHex() + "//0",
            "the module's bytes escaped for the wire read back as themselves, with no command");
    return 0;
}
