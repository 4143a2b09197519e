#pragma once
// What a module session reports: one progress event per exchange, and one result per run.

#include "memory_map.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <optional>

// Probe: the handshake, and the identity read when asked for; nothing else.
enum class SessionKind { Read, Write, Probe };

// Where in a run an event or the end happened.
enum class SessionStep {
    Open,          // opening the port
    Handshake,     // the attention requests
    Identity,      // reading the identity byte
    Configuration, // the 24 configuration bytes
};

// How one exchange went.
enum class ExchangeStatus {
    Ok,              // the value was read (and, for a store, read back the same)
    NotAcknowledged, // a store was not answered with exactly the acknowledgement
    Corrupted,       // a value reply shorter than four characters
    NoNumber,        // a value reply that does not start with a number: corrupted, never 0
    Overflow,        // a value reply whose number does not fit 16 bits
    OutOfRange,      // a value outside what the address may hold
    FailedToVerify,  // a stored value read back different
};

struct SessionProgress {
    SessionKind kind = SessionKind::Read;
    SessionStep step = SessionStep::Handshake;
    qint16 address = -1; // module address of the exchange; -1 for the handshake
    ExchangeStatus status = ExchangeStatus::Ok;
    std::optional<qint16> value; // what the reply carried, when it carried a number
    int done = 0;                // configuration bytes read or verified so far
};

// What kind of trouble a port had, for callers that act on it: a station waits for a missing
// device but reports one that another program holds.
enum class PortFault {
    None,
    Missing,     // no such device
    InUse,       // another program holds it
    Unreachable, // a network port could not be reached, or would not agree on the line
    Lost,        // the line went away while open
    Other,       // any other reason the system gives
};

enum class SessionOutcome {
    Success,
    NoAnswer,    // the handshake was not answered
    PortFailure, // the port could not be opened or the line went away: see reason
    WrongModule, // the identity byte is not ours: see identity
    BadData,     // an exchange failed: see address, status, sent and received
    Aborted,     // stopped from outside
};

struct SessionResult {
    SessionKind kind = SessionKind::Read;
    SessionOutcome outcome = SessionOutcome::Aborted;
    SessionStep step = SessionStep::Open;       // where the run ended
    qint16 address = -1;                        // the exchange that failed, if one did
    QString reason;                             // PortFailure: the port's words
    PortFault fault = PortFault::None;          // PortFailure: the kind of trouble
    bool network = false;                       // the port is a network port
    std::optional<qint16> identity;             // as read, when it was read
    ExchangeStatus status = ExchangeStatus::Ok; // BadData: how the exchange failed
    QByteArray sent, received;                  // BadData: the last frame sent and its reply
    // Read: the bytes read; write: the bytes stored and read back. Only the first `done`
    // addresses hold what the module holds.
    ModuleImage image;
    int done = 0;
    // The reply taken answered the frame before (an acknowledgement where a value was due, a
    // value where an acknowledgement was): the module answers later than the reply wait.
    bool late = false;

    bool succeeded() const { return outcome == SessionOutcome::Success; }
};

Q_DECLARE_METATYPE(SessionProgress)
Q_DECLARE_METATYPE(SessionResult)
