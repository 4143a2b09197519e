#include "module_session.h"

#include "device_constants.h"
#include "frames.h"
#include "port_names.h"

#include <algorithm>

using namespace device;

ModuleSession::ModuleSession(SerialLink &link, LinkTimer &timer, QObject *parent)
    : QObject(parent), m_link(link), m_timer(timer), m_reply_wait(REPLY_WAIT_DEFAULT)
{
    connect(&m_link, &SerialLink::became_ready, this, &ModuleSession::on_ready);
    connect(&m_link, &SerialLink::received, this, &ModuleSession::on_received);
    connect(&m_link, &SerialLink::lost, this, &ModuleSession::on_lost);
    connect(&m_timer, &LinkTimer::expired, this, &ModuleSession::on_expired);
}

ModuleSession::~ModuleSession()
{
    if (running()) {
        m_timer.stop();
        m_link.close();
    }
}

bool ModuleSession::read(const QString &device)
{
    return start(SessionKind::Read, device);
}

bool ModuleSession::write(const QString &device, const ModuleImage &image)
{
    if (running())
        return false;
    if (!std::all_of(image.bytes.begin(), image.bytes.end(), fits_frame_byte)) {
        // Nothing is opened or sent; the run ends as bad data before its first frame.
        ++m_run;
        m_result = SessionResult{};
        m_result.kind = SessionKind::Write;
        m_result.status = ExchangeStatus::OutOfRange;
        m_phase = Phase::Opening;
        end(SessionOutcome::BadData);
        return true;
    }
    m_target = image;
    return start(SessionKind::Write, device);
}

bool ModuleSession::probe(const QString &device, bool with_identity, int attention_sends)
{
    if (running())
        return false;
    m_probe_identity = with_identity;
    m_attention_sends = std::clamp(attention_sends, 1, ATTENTION_SENDS);
    return start(SessionKind::Probe, device);
}

bool ModuleSession::start(SessionKind kind, const QString &device)
{
    if (running())
        return false;
    ++m_run;
    m_result = SessionResult{};
    m_result.kind = kind;
    m_result.network = port_address(device).scheme != PortScheme::Serial;
    if (kind != SessionKind::Probe)
        m_attention_sends = ATTENTION_SENDS;
    m_cell = 0;
    m_sent.clear();
    m_received.clear();
    m_phase = Phase::Opening;
    // A held line goes on as it is; anything else is opened afresh.
    if (m_link.ready() && m_device == device) {
        begin_handshake();
        return true;
    }
    m_device = device;
    if (!m_link.open(device)) {
        fail(SessionOutcome::PortFailure, ExchangeStatus::Ok, m_link.error_string());
        return true;
    }
    // A serial port is ready at once; a network port connects first, and the handshake and its
    // clock wait for it.
    if (m_link.ready())
        begin_handshake();
    return true;
}

bool ModuleSession::set_reply_wait(std::chrono::milliseconds wait)
{
    if (wait < REPLY_WAIT_MIN || wait > REPLY_WAIT_MAX)
        return false;
    m_reply_wait = wait;
    return true;
}

void ModuleSession::on_ready()
{
    if (m_phase == Phase::Opening)
        begin_handshake();
}

void ModuleSession::begin_handshake()
{
    // Only the first "A" starts afresh: an acknowledgement that straggles in after one wait
    // still counts for the next.
    m_link.discard();
    m_attempt = 1;
    m_phase = Phase::Attention;
    send_attention();
}

void ModuleSession::release()
{
    if (!running())
        m_link.close();
}

void ModuleSession::abort()
{
    if (!running())
        return;
    if (m_phase != Phase::Ending) {
        m_result.step = step();
        m_result.outcome = SessionOutcome::Aborted;
    }
    m_phase = Phase::Ending;
    conclude();
}

// Sending and waiting ---------------------------------------------------------------------------

void ModuleSession::send_attention()
{
    if (ending())
        return;
    m_sent = attention_frame();
    if (!m_link.send(m_sent)) {
        fail(SessionOutcome::PortFailure, ExchangeStatus::Ok, m_link.error_string());
        return;
    }
    if (!ending())
        begin_reply_wait();
}

void ModuleSession::send_frame(const QByteArray &frame)
{
    if (ending())
        return;
    // Input that came after an earlier wait had ended answers no request of ours.
    m_link.discard();
    m_sent = frame;
    if (!m_link.send(frame)) {
        fail(SessionOutcome::PortFailure, ExchangeStatus::Ok, m_link.error_string());
        return;
    }
    if (!ending())
        begin_reply_wait();
}

void ModuleSession::begin_reply_wait()
{
    m_wait = Wait::Reply;
    m_timer.start(m_reply_wait);
    if (m_link.available() >= REPLY_LENGTH)
        reply_wait_over();
}

void ModuleSession::pace_then(Phase next)
{
    // A progress handler may have ended the run.
    if (ending())
        return;
    m_phase = next;
    m_wait = Wait::Pace;
    m_timer.start(TICK);
}

void ModuleSession::on_received()
{
    if (m_wait == Wait::Reply && m_link.available() >= REPLY_LENGTH)
        reply_wait_over();
}

void ModuleSession::on_expired()
{
    if (m_wait == Wait::Reply) {
        reply_wait_over();
    } else if (m_wait == Wait::Pace) {
        m_wait = Wait::None;
        pace_over();
    }
}

void ModuleSession::on_lost(const QString &reason)
{
    // Everything was read or verified before the last pacing wait; the outcome stands.
    if (ending() || m_phase == Phase::Final)
        return;
    fail(SessionOutcome::PortFailure, ExchangeStatus::Ok, reason);
}

void ModuleSession::reply_wait_over()
{
    m_wait = Wait::None;
    m_timer.stop();
    switch (m_phase) {
    case Phase::Attention:
        attention_answered();
        break;
    case Phase::Identity:
        identity_answered();
        break;
    case Phase::ReadCell:
    case Phase::VerifyCell:
        cell_answered();
        break;
    case Phase::StoreCell:
        store_answered();
        break;
    case Phase::Idle:
    case Phase::Opening:
    case Phase::Final:
    case Phase::Ending:
        break;
    }
}

void ModuleSession::pace_over()
{
    switch (m_phase) {
    case Phase::Identity:
        send_frame(read_frame(IDENTITY_ADDRESS));
        break;
    case Phase::ReadCell:
        send_frame(read_frame(static_cast<quint8>(cell().address)));
        break;
    case Phase::StoreCell:
        send_frame(store_frame(static_cast<quint8>(cell().address),
                               static_cast<quint8>(m_target.bytes[m_cell])));
        break;
    case Phase::Final:
        end(SessionOutcome::Success);
        break;
    case Phase::Idle:
    case Phase::Opening:
    case Phase::Attention:
    case Phase::VerifyCell:
    case Phase::Ending:
        break;
    }
}

// Judging the replies ---------------------------------------------------------------------------

void ModuleSession::attention_answered()
{
    ++m_attempt;
    if (m_link.available() < REPLY_LENGTH && m_attempt <= m_attention_sends) {
        send_attention();
        return;
    }
    m_received = m_link.take();
    // The wait ends as soon as five characters are in, so an acknowledgement whose fifth came
    // only after the tick was never taken.
    if (!is_acknowledgement(m_received)) {
        fail(SessionOutcome::NoAnswer);
        return;
    }
    if (!report(ExchangeStatus::Ok))
        return;
    // A probe ends as a run does, with its pacing wait, so a run may follow it at once.
    const bool identity = m_result.kind != SessionKind::Probe || m_probe_identity;
    pace_then(identity ? Phase::Identity : Phase::Final);
}

ExchangeStatus ModuleSession::judge(std::optional<qint16> &value)
{
    m_received = m_link.take();
    // The acknowledgement of the frame before, where a value was due.
    m_result.late = is_acknowledgement(m_received);
    if (m_received.size() < SHORTEST_VALUE_REPLY)
        return ExchangeStatus::Corrupted;
    if (!leading_number(m_received))
        return ExchangeStatus::NoNumber;
    value = reply_value(m_received);
    return value ? ExchangeStatus::Ok : ExchangeStatus::Overflow;
}

void ModuleSession::identity_answered()
{
    std::optional<qint16> value;
    ExchangeStatus status = judge(value);
    if (value && (*value < 0 || *value > POINT_CODE_LIMIT))
        status = ExchangeStatus::OutOfRange;
    if (!report(status, value))
        return;
    if (value) {
        m_result.identity = value;
        m_result.image.identity = *value;
    }
    if (value && *value != IDENTITY_CODE) {
        fail(SessionOutcome::WrongModule, status);
        return;
    }
    // Nothing at all came: the module that answered the handshake is not answering now.
    if (m_received.isEmpty()) {
        fail(SessionOutcome::NoAnswer, status);
        return;
    }
    if (status != ExchangeStatus::Ok) {
        fail(SessionOutcome::BadData, status);
        return;
    }
    switch (m_result.kind) {
    case SessionKind::Read:
        pace_then(Phase::ReadCell);
        break;
    case SessionKind::Write:
        pace_then(Phase::StoreCell);
        break;
    case SessionKind::Probe:
        pace_then(Phase::Final);
        break;
    }
}

void ModuleSession::cell_answered()
{
    std::optional<qint16> value;
    ExchangeStatus status = judge(value);
    if (value && m_phase == Phase::ReadCell && (*value < 0 || *value > cell().read_limit))
        status = ExchangeStatus::OutOfRange;
    if (value && m_phase == Phase::VerifyCell && *value != m_target.bytes[m_cell])
        status = ExchangeStatus::FailedToVerify;
    if (status == ExchangeStatus::Ok) {
        m_result.image.bytes[m_cell] = *value;
        m_result.done = static_cast<int>(m_cell) + 1;
    }
    if (!report(status, value))
        return;
    if (status != ExchangeStatus::Ok) {
        fail(SessionOutcome::BadData, status);
        return;
    }
    next_cell();
}

void ModuleSession::store_answered()
{
    m_received = m_link.take();
    if (!is_acknowledgement(m_received)) {
        // A value reply: the answer to the read before came only now.
        m_result.late = leading_number(m_received).has_value() && m_received.endsWith(READ_END);
        if (report(ExchangeStatus::NotAcknowledged))
            fail(SessionOutcome::BadData, ExchangeStatus::NotAcknowledged);
        return;
    }
    m_phase = Phase::VerifyCell;
    send_frame(read_frame(static_cast<quint8>(cell().address)));
}

void ModuleSession::next_cell()
{
    ++m_cell;
    if (m_cell == memory_map().size())
        pace_then(Phase::Final);
    else
        pace_then(m_result.kind == SessionKind::Read ? Phase::ReadCell : Phase::StoreCell);
}

// Reporting and ending --------------------------------------------------------------------------

SessionStep ModuleSession::step() const
{
    switch (m_phase) {
    case Phase::Idle:
    case Phase::Opening:
        return SessionStep::Open;
    case Phase::Attention:
        return SessionStep::Handshake;
    case Phase::Identity:
        return SessionStep::Identity;
    case Phase::ReadCell:
    case Phase::StoreCell:
    case Phase::VerifyCell:
    case Phase::Final:
    case Phase::Ending:
        break;
    }
    return SessionStep::Configuration;
}

const MemoryCell &ModuleSession::cell() const
{
    return memory_map()[std::min(m_cell, memory_map().size() - 1)];
}

bool ModuleSession::report(ExchangeStatus status, std::optional<qint16> value)
{
    SessionProgress event;
    event.kind = m_result.kind;
    event.step = step();
    event.status = status;
    event.value = value;
    event.done = m_result.done;
    if (event.step == SessionStep::Identity)
        event.address = IDENTITY_ADDRESS;
    else if (event.step == SessionStep::Configuration)
        event.address = cell().address;
    // A handler may end this run, and even start the next one from its finished(): what
    // follows the report belongs to this run only if it is still going.
    const quint64 run = m_run;
    emit progress(event);
    return run == m_run && !ending();
}

void ModuleSession::fail(SessionOutcome outcome, ExchangeStatus status, const QString &reason)
{
    if (ending())
        return;
    m_result.step = step();
    m_result.status = status;
    m_result.reason = reason;
    if (outcome == SessionOutcome::PortFailure)
        m_result.fault = m_link.fault();
    m_result.sent = m_sent;
    m_result.received = m_received;
    if (m_result.step == SessionStep::Identity)
        m_result.address = IDENTITY_ADDRESS;
    else if (m_result.step == SessionStep::Configuration)
        m_result.address = cell().address;
    end(outcome);
}

void ModuleSession::end(SessionOutcome outcome)
{
    if (m_phase == Phase::Idle || m_phase == Phase::Ending)
        return;
    if (outcome == SessionOutcome::Success)
        m_result.step = SessionStep::Configuration;
    m_result.outcome = outcome;
    m_phase = Phase::Ending;
    m_wait = Wait::None;
    m_timer.stop();
    // Not from inside the port's own notification, and never from inside read() or write().
    QMetaObject::invokeMethod(this, &ModuleSession::conclude, Qt::QueuedConnection);
}

void ModuleSession::conclude()
{
    if (m_phase != Phase::Ending)
        return;
    m_timer.stop();
    m_wait = Wait::None;
    if (!m_hold || m_result.outcome == SessionOutcome::PortFailure ||
        m_result.outcome == SessionOutcome::Aborted)
        m_link.close();
    m_phase = Phase::Idle;
    emit finished(m_result);
}
