#include "session_words.h"

#include "device_constants.h"
#include "frame_text.h"
#include "frames.h"

using namespace device;

namespace
{

const QString NO_ANSWER = QStringLiteral("no answer from the module");
const QString LATE_REPLY = QStringLiteral("the reply answers the frame before: the module answers "
                                          "later than the reply wait");
const QString LATE_HINT = QStringLiteral("%1; a longer --reply-wait may help");
const QString NOT_EXACT_ANSWER =
    QStringLiteral("the module answered \"A\" with %1, not with exactly %2");
const QString PORT_NOT_OPENED = QStringLiteral("the port cannot be opened: %1");
const QString LINE_FAILED =
    QStringLiteral("the line went away (the device was unplugged, or its far end closed)");
const QString WRONG_MODULE =
    QStringLiteral("not a data converter module: identity byte %1, expected %2");
const QString BAD_DATA = QStringLiteral("bad data at address %1: %2 (sent %3, received %4)");
const QString NOT_ACKNOWLEDGED = QStringLiteral("the store was not acknowledged");
const QString CORRUPTED = QStringLiteral("the reply is too short");
const QString NO_NUMBER = QStringLiteral("the reply holds no value");
const QString READ_BACK_DIFFERS = QStringLiteral("bad data at address %1: stored %2, read back %3");
const QString REPLY_OVERFLOW = QStringLiteral("the reply's number does not fit 16 bits");
const QString OUT_OF_RANGE = QStringLiteral("the value is out of range");
const QString INTERRUPTED = QStringLiteral("interrupted");
const QString NOT_STARTED = QStringLiteral("not started: a value does not fit in a byte");
const QString PARTLY_PROGRAMMED =
    QStringLiteral("%1; MAY BE PARTLY PROGRAMMED (%2 of %3 bytes verified)");

QString status_text(ExchangeStatus status)
{
    switch (status) {
    case ExchangeStatus::NotAcknowledged:
        return NOT_ACKNOWLEDGED;
    case ExchangeStatus::Corrupted:
        return CORRUPTED;
    case ExchangeStatus::NoNumber:
        return NO_NUMBER;
    case ExchangeStatus::Overflow:
        return REPLY_OVERFLOW;
    case ExchangeStatus::OutOfRange:
        return OUT_OF_RANGE;
    case ExchangeStatus::FailedToVerify: // said with the two values instead
    case ExchangeStatus::Ok:
        break;
    }
    return {};
}

} // namespace

QString failure_text(const SessionResult &result, const ModuleImage &written)
{
    QString text;
    switch (result.outcome) {
    case SessionOutcome::Success:
        return {};
    case SessionOutcome::NoAnswer:
        // Something came, but not the exact acknowledgement (a line end after it, say).
        text = result.received.isEmpty()
                   ? NO_ANSWER
                   : NOT_EXACT_ANSWER.arg(frame_text(result.received),
                                          QString::fromLatin1(ACKNOWLEDGEMENT));
        break;
    case SessionOutcome::PortFailure:
        // Once a serial line is gone the system's last error says nothing useful; a network
        // port says what happened to the connection.
        text = result.step == SessionStep::Open ? PORT_NOT_OPENED.arg(result.reason)
               : result.network                 ? result.reason
                                                : LINE_FAILED;
        break;
    case SessionOutcome::WrongModule:
        text = WRONG_MODULE.arg(result.identity.value_or(0)).arg(IDENTITY_CODE);
        break;
    case SessionOutcome::BadData:
        // Refused before anything was sent.
        if (result.sent.isEmpty()) {
            text = NOT_STARTED;
            break;
        }
        if (result.status == ExchangeStatus::FailedToVerify) {
            text = READ_BACK_DIFFERS.arg(result.address)
                       .arg(written.bytes[static_cast<std::size_t>(result.address)])
                       .arg(reply_value(result.received).value_or(0));
            break;
        }
        text = BAD_DATA.arg(result.address)
                   .arg(result.late ? LATE_REPLY : status_text(result.status),
                        frame_text(result.sent), frame_text(result.received));
        break;
    case SessionOutcome::Aborted:
        text = INTERRUPTED;
        break;
    }
    if (result.late)
        text = LATE_HINT.arg(text);
    if (may_be_partly_programmed(result))
        text = PARTLY_PROGRAMMED.arg(text).arg(result.done).arg(CONFIGURATION_BYTES);
    return text;
}

bool may_be_partly_programmed(const SessionResult &result)
{
    return result.kind == SessionKind::Write && !result.succeeded() &&
           result.step == SessionStep::Configuration && result.done < CONFIGURATION_BYTES;
}
