#include "run_report.h"

#include "cli_texts.h"
#include "device_constants.h"
#include "frame_text.h"
#include "frames.h"

using namespace cli;

namespace
{

const QString KEY_SUCCESS = QStringLiteral("success");
const QString KEY_NO_ANSWER = QStringLiteral("no_answer");
const QString KEY_PORT_FAILURE = QStringLiteral("port_failure");
const QString KEY_WRONG_MODULE = QStringLiteral("wrong_module");
const QString KEY_BAD_DATA = QStringLiteral("bad_data");
const QString KEY_INTERRUPTED = QStringLiteral("interrupted");

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
                                          QString::fromLatin1(device::ACKNOWLEDGEMENT));
        break;
    case SessionOutcome::PortFailure:
        // Once the line is gone the system's last error says nothing useful.
        text = result.step == SessionStep::Open ? PORT_NOT_OPENED.arg(result.reason) : LINE_FAILED;
        break;
    case SessionOutcome::WrongModule:
        text = WRONG_MODULE.arg(result.identity.value_or(0)).arg(device::IDENTITY_CODE);
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
                   .arg(status_text(result.status), frame_text(result.sent),
                        frame_text(result.received));
        break;
    case SessionOutcome::Aborted:
        text = INTERRUPTED;
        break;
    }
    if (may_be_partly_programmed(result))
        text = PARTLY_PROGRAMMED.arg(text).arg(result.done).arg(CONFIGURATION_BYTES);
    return text;
}

QString outcome_key(SessionOutcome outcome)
{
    switch (outcome) {
    case SessionOutcome::Success:
        return KEY_SUCCESS;
    case SessionOutcome::NoAnswer:
        return KEY_NO_ANSWER;
    case SessionOutcome::PortFailure:
        return KEY_PORT_FAILURE;
    case SessionOutcome::WrongModule:
        return KEY_WRONG_MODULE;
    case SessionOutcome::BadData:
        return KEY_BAD_DATA;
    case SessionOutcome::Aborted:
        break;
    }
    return KEY_INTERRUPTED;
}

bool may_be_partly_programmed(const SessionResult &result)
{
    return result.kind == SessionKind::Write && !result.succeeded() &&
           result.step == SessionStep::Configuration && result.done < CONFIGURATION_BYTES;
}
