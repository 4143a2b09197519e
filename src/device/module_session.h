#pragma once
// The conversation with one module over one line: a read of its 24 configuration bytes or a
// write that stores and verifies them, each opened by the attention handshake and the identity
// check. Event-driven on the link's signals and one single-shot timer, so it never blocks and one
// thread can run a session per port at once. Each exchange is reported by progress(), each run
// ends with one finished().

#include "device_constants.h"
#include "link_timer.h"
#include "serial_link.h"
#include "session_result.h"

#include <QObject>

class ModuleSession : public QObject
{
    Q_OBJECT

public:
    ModuleSession(SerialLink &link, LinkTimer &timer, QObject *parent = nullptr);
    ~ModuleSession() override;

    // Start a run on `device`; false, and nothing starts, while a run is going on. finished()
    // always comes later, never from inside these calls; a write whose image holds a value
    // beyond a byte ends there as bad data without opening the port.
    bool read(const QString &device);
    bool write(const QString &device, const ModuleImage &image);
    // Whether a module answers on `device`: the handshake only, or with the identity read after
    // it; nothing is stored. Succeeds on the acknowledgement (and identity 31). The attention
    // byte is sent up to `attention_sends` times.
    bool probe(const QString &device, bool with_identity,
               int attention_sends = device::ATTENTION_SENDS);
    // Ends the running run at once: the port is closed and finished() reports Aborted (or the
    // outcome the run had just reached).
    void abort();
    // Holding, a run that ends well leaves its port open, and the next run on the same device
    // goes on on the open line: no other program can take the port in between. A run whose
    // port fails, or that is aborted, closes it all the same.
    void set_hold(bool hold) { m_hold = hold; }
    // Closes a port held open after the last run; nothing while a run goes on.
    void release();
    bool running() const { return m_phase != Phase::Idle; }
    // How long each reply is waited for at most (the pacing between frames stays one tick);
    // false, and nothing changes, outside REPLY_WAIT_MIN..REPLY_WAIT_MAX. Applies from the next
    // wait on.
    bool set_reply_wait(std::chrono::milliseconds wait);

signals:
    void progress(const SessionProgress &event);
    void finished(const SessionResult &result);

private:
    enum class Phase {
        Idle,
        Opening,    // until the link is ready: a network port connects first
        Attention,  // handshake: "A" sent, waiting for the acknowledgement
        Identity,   // reading address 63
        ReadCell,   // reading a configuration byte
        StoreCell,  // storing a configuration byte, waiting for the acknowledgement
        VerifyCell, // reading the stored byte back
        Final,      // the pacing wait after the last byte
        Ending,     // the outcome is known; the port closes on the next turn of the event loop
    };
    enum class Wait { None, Pace, Reply };

    bool start(SessionKind kind, const QString &device);
    void on_ready();
    void begin_handshake();
    void send_attention();
    void send_frame(const QByteArray &frame);
    void begin_reply_wait();
    void pace_then(Phase next);
    void on_received();
    void on_expired();
    void on_lost(const QString &reason);
    void reply_wait_over();
    void pace_over();
    void attention_answered();
    void identity_answered();
    void cell_answered();
    void store_answered();
    void next_cell();
    // The value a reply carries, or why it carries none.
    ExchangeStatus judge(std::optional<qint16> &value);
    // Reports one exchange; false when a handler has ended this run meanwhile.
    bool report(ExchangeStatus status, std::optional<qint16> value = std::nullopt);
    void fail(SessionOutcome outcome, ExchangeStatus status = ExchangeStatus::Ok,
              const QString &reason = {});
    void end(SessionOutcome outcome);
    void conclude();
    SessionStep step() const;
    const MemoryCell &cell() const;
    bool ending() const { return m_phase == Phase::Ending || m_phase == Phase::Idle; }

    SerialLink &m_link;
    LinkTimer &m_timer;
    Phase m_phase = Phase::Idle;
    quint64 m_run = 0; // counts the runs started, so a report knows whether its run still goes
    Wait m_wait = Wait::None;
    std::chrono::milliseconds m_reply_wait;
    int m_attempt = 0;
    std::size_t m_cell = 0; // position in the memory map
    ModuleImage m_target;   // what a write stores
    bool m_probe_identity = false;
    int m_attention_sends = 0;
    bool m_hold = false;
    QString m_device;      // what the link has open, while it does
    QByteArray m_sent;     // the last frame sent
    QByteArray m_received; // the last reply taken
    SessionResult m_result;
};
