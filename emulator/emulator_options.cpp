#include "emulator_options.h"

#include <QStringList>
#include <algorithm>

namespace emulator
{

namespace
{

const QString PTY = QStringLiteral("pty");
const QString LINK = QStringLiteral("link");
const QString LOAD = QStringLiteral("load");
const QString DUMP = QStringLiteral("dump");
const QString QUIET = QStringLiteral("quiet");
const QString SILENT = QStringLiteral("silent");
const QString ANSWER_FROM = QStringLiteral("answer-from");
const QString IDENTITY = QStringLiteral("identity");
const QString READ_VALUE = QStringLiteral("read-value");
const QString RAW_REPLY = QStringLiteral("raw-reply");
const QString DELAY = QStringLiteral("delay");
const QString SHORT = QStringLiteral("short");
const QString EXTRA = QStringLiteral("extra");
const QString LOWER_CASE_ACK = QStringLiteral("lower-case-ack");
const QString FORGET = QStringLiteral("forget");
const QString DROP_AFTER = QStringLiteral("drop-after");
const QString PIECES = QStringLiteral("pieces");
const QString PIECE_GAP = QStringLiteral("piece-gap");
const QString LINE_RATE = QStringLiteral("line-rate");
const QString DEVICE = QStringLiteral("device");
const QString ALL = QStringLiteral("all");

constexpr int MAX_BYTE = 255;
constexpr int MAX_READ_VALUE = 999; // four digits once multiplied by ten
constexpr int MAX_DELAY_MS = 60000;
constexpr int MAX_COUNT = 1000000;
constexpr int HEX_BASE = 16;
constexpr int ESCAPE_HEX_DIGITS = 2;

// Each check leaves its complaint in *error and reports whether the value was good.
std::optional<int> number_in_range(const QString &option, const QString &text, int low, int high,
                                   QString *error)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < low || value > high) {
        *error = QStringLiteral("--%1: \"%2\" is not a number from %3 to %4")
                     .arg(option, text)
                     .arg(low)
                     .arg(high);
        return std::nullopt;
    }
    return value;
}

// "ADDR=TEXT" split at the first '=', the address checked.
std::optional<std::pair<int, QString>> address_pair(const QString &option, const QString &text,
                                                    QString *error)
{
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0) {
        *error = QStringLiteral("--%1: \"%2\" is not ADDRESS=VALUE").arg(option, text);
        return std::nullopt;
    }
    const auto address = number_in_range(option, text.left(equals), 0, MAX_BYTE, error);
    if (!address)
        return std::nullopt;
    return std::pair{*address, text.mid(equals + 1)};
}

bool read_faults(const QCommandLineParser &parser, FaultOptions &faults, QString *error)
{
    faults.silent = parser.isSet(SILENT);
    faults.lower_case_ack = parser.isSet(LOWER_CASE_ACK);
    faults.line_rate = parser.isSet(LINE_RATE);
    if (parser.isSet(ANSWER_FROM)) {
        const auto n = number_in_range(ANSWER_FROM, parser.value(ANSWER_FROM), 1, MAX_COUNT, error);
        if (!n)
            return false;
        faults.answer_attention_from = *n;
    }
    if (parser.isSet(IDENTITY)) {
        const auto value = number_in_range(IDENTITY, parser.value(IDENTITY), 0, MAX_BYTE, error);
        if (!value)
            return false;
        faults.identity = static_cast<quint8>(*value);
    }
    for (const QString &text : parser.values(READ_VALUE)) {
        const auto pair = address_pair(READ_VALUE, text, error);
        if (!pair)
            return false;
        const auto value = number_in_range(READ_VALUE, pair->second, 0, MAX_READ_VALUE, error);
        if (!value)
            return false;
        faults.read_values.insert(pair->first, *value);
    }
    for (const QString &text : parser.values(RAW_REPLY)) {
        const auto pair = address_pair(RAW_REPLY, text, error);
        if (!pair)
            return false;
        const auto bytes = decode_escapes(pair->second);
        if (!bytes) {
            *error = QStringLiteral("--%1: bad escape in \"%2\"").arg(RAW_REPLY, text);
            return false;
        }
        faults.raw_replies.insert(pair->first, *bytes);
    }
    if (parser.isSet(DELAY)) {
        const auto ms = number_in_range(DELAY, parser.value(DELAY), 0, MAX_DELAY_MS, error);
        if (!ms)
            return false;
        faults.reply_delay = milliseconds{*ms};
    }
    if (parser.isSet(SHORT)) {
        const auto n = number_in_range(SHORT, parser.value(SHORT), 0, MAX_COUNT, error);
        if (!n)
            return false;
        faults.reply_length = *n;
    }
    if (parser.isSet(EXTRA)) {
        const auto bytes = decode_escapes(parser.value(EXTRA));
        if (!bytes) {
            *error = QStringLiteral("--%1: bad escape in \"%2\"").arg(EXTRA, parser.value(EXTRA));
            return false;
        }
        faults.extra = *bytes;
    }
    for (const QString &text : parser.values(FORGET)) {
        if (text.trimmed() == ALL) {
            faults.forget_all_stores = true;
            continue;
        }
        const auto address = number_in_range(FORGET, text, 0, MAX_BYTE, error);
        if (!address)
            return false;
        faults.forget_addresses.insert(*address);
    }
    if (parser.isSet(DROP_AFTER)) {
        const auto n = number_in_range(DROP_AFTER, parser.value(DROP_AFTER), 0, MAX_COUNT, error);
        if (!n)
            return false;
        faults.drop_after = *n;
    }
    if (parser.isSet(PIECES)) {
        for (const QString &size : parser.value(PIECES).split(u',')) {
            const auto n = number_in_range(PIECES, size, 1, MAX_COUNT, error);
            if (!n)
                return false;
            faults.pieces.append(*n);
        }
    }
    if (parser.isSet(PIECE_GAP)) {
        const auto ms = number_in_range(PIECE_GAP, parser.value(PIECE_GAP), 0, MAX_DELAY_MS, error);
        if (!ms)
            return false;
        faults.piece_gap = milliseconds{*ms};
    }
    return true;
}

} // namespace

void add_emulator_options(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Plays a data converter module on a new pseudo-terminal (--pty) or on a serial device "
        "such as /dev/ttyUSB0.\n"
        "The module holds 256 bytes (identity 31 at address 63, the rest 0), answers \"A\" and "
        "every store with D000D, and a read with the stored value times ten in four digits then "
        "V (31 -> 0310V).\n"
        "Each frame is logged in hex and text on standard error. Ctrl-C, SIGTERM or SIGHUP stop it "
        "cleanly: the line closes, the link goes, the memory is written to the --dump file.\n"
        "The faults that shape replies (--short, --extra, --delay, --pieces) and --line-rate "
        "apply to every reply, the --raw-reply ones included. In texts, \\xHH stands for any byte "
        "and \\\\ for a backslash."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        DEVICE, QStringLiteral("Serial device to serve (9600 baud, 8N1) instead of --pty."),
        QStringLiteral("[device]"));
    parser.addOptions({
        {PTY,
         QStringLiteral("Open a new pseudo-terminal and print its path (/dev/pts/N) on the first "
                        "line of output.")},
        {LINK,
         QStringLiteral("With --pty, also make <path> (e.g. /dev/COM1) a symbolic link to the "
                        "pseudo-terminal; removed on exit. Only a missing link, a dangling one "
                        "or our own is replaced."),
         QStringLiteral("path")},
        {LOAD,
         QStringLiteral("Load the memory from <file> at start: 256 bytes in two-digit hex, "
                        "separated by whitespace; '#' starts a comment."),
         QStringLiteral("file")},
        {DUMP, QStringLiteral("Write the memory to <file> on exit, in the --load format."),
         QStringLiteral("file")},
        {QUIET, QStringLiteral("Do not log the frames.")},
        {SILENT, QStringLiteral("Fault: take no notice of any frame (no answer, nothing stored).")},
        {ANSWER_FROM, QStringLiteral("Fault: answer \"A\" only from the <n>-th one received."),
         QStringLiteral("n")},
        {IDENTITY,
         QStringLiteral("Fault: report <value> (0-255) when the identity byte (address 63) is "
                        "read, whatever is stored there."),
         QStringLiteral("value")},
        {READ_VALUE,
         QStringLiteral("Fault: reading <address> reports <value> (0-999) whatever is stored; "
                        "repeatable."),
         QStringLiteral("address=value")},
        {RAW_REPLY,
         QStringLiteral("Fault: answer a read of <address> with <text> as it is, e.g. "
                        "12=1700V; repeatable."),
         QStringLiteral("address=text")},
        {DELAY, QStringLiteral("Fault: send every reply <ms> milliseconds late."),
         QStringLiteral("ms")},
        {SHORT, QStringLiteral("Fault: send only the first <n> characters of every reply."),
         QStringLiteral("n")},
        {EXTRA, QStringLiteral("Fault: append <text> to every reply, e.g. \\x0D\\x0A."),
         QStringLiteral("text")},
        {LOWER_CASE_ACK, QStringLiteral("Fault: acknowledge with D000d.")},
        {FORGET,
         QStringLiteral("Fault: acknowledge stores to <address> but do not keep them; \"all\" "
                        "for every address; repeatable."),
         QStringLiteral("address|all")},
        {DROP_AFTER,
         QStringLiteral("Fault: take <n> frames, then drop the line when the next one "
                        "arrives, unanswered; the program then exits."),
         QStringLiteral("n")},
        {PIECES,
         QStringLiteral("Fault: send every reply in pieces of these sizes, the rest last, "
                        "e.g. 1 or 4 or 1,1,1,1."),
         QStringLiteral("n[,n...]")},
        {PIECE_GAP, QStringLiteral("Fault: wait <ms> milliseconds between pieces."),
         QStringLiteral("ms")},
        {LINE_RATE,
         QStringLiteral("Pace the line as a real one at 9600 baud 8N1 (about 1.04 ms a byte): a "
                        "frame takes its length in byte times to arrive, and a reply comes back "
                        "one byte per byte time, after any --delay and with any --piece-gap.")},
    });
}

std::optional<EmulatorOptions> emulator_options(const QCommandLineParser &parser, QString *error)
{
    EmulatorOptions options;
    options.pty = parser.isSet(PTY);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        *error = QStringLiteral("serve one device at a time");
        return std::nullopt;
    }
    if (!positional.isEmpty())
        options.device = positional.front();
    if (options.pty == !options.device.isEmpty()) {
        *error = QStringLiteral("give either --pty or a device path");
        return std::nullopt;
    }
    options.link = parser.value(LINK);
    if (!options.link.isEmpty() && !options.pty) {
        *error = QStringLiteral("--link needs --pty");
        return std::nullopt;
    }
    options.load_file = parser.value(LOAD);
    options.dump_file = parser.value(DUMP);
    options.quiet = parser.isSet(QUIET);
    if (!read_faults(parser, options.faults, error))
        return std::nullopt;
    return options;
}

std::optional<QByteArray> decode_escapes(const QString &text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() > MAX_BYTE)
            return std::nullopt;
        if (c != u'\\') {
            bytes += static_cast<char>(c.unicode());
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == u'\\') {
            bytes += '\\';
            ++i;
            continue;
        }
        const QString digits = text.mid(i + 2, ESCAPE_HEX_DIGITS);
        const auto is_hex = [](QChar d) {
            return (d >= u'0' && d <= u'9') || (d >= u'a' && d <= u'f') || (d >= u'A' && d <= u'F');
        };
        if (i + 1 >= text.size() || text[i + 1] != u'x' || digits.size() != ESCAPE_HEX_DIGITS ||
            !std::all_of(digits.begin(), digits.end(), is_hex))
            return std::nullopt;
        const uint value = digits.toUInt(nullptr, HEX_BASE);
        bytes += static_cast<char>(value);
        i += 1 + ESCAPE_HEX_DIGITS;
    }
    return bytes;
}

} // namespace emulator
