#pragma once
// Serves a ModuleCore on a line: the master side of a new pseudo-terminal, or a serial device.

#include "module_core.h"

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <chrono>
#include <deque>

namespace emulator
{

// Event-driven and non-blocking, so it can run in the same thread as the program it talks to.
// Replies go out in order, each at its delay after the frame that asked for it.
class ModuleServer : public QObject
{
    Q_OBJECT
public:
    explicit ModuleServer(QObject *parent = nullptr);
    ~ModuleServer() override;

    // The module; its memory and faults survive closing and reopening the line. Its log is
    // taken by the server: watch frame_logged() instead.
    ModuleCore &core() { return m_core; }
    const ModuleCore &core() const { return m_core; }

    // Opens a new raw pseudo-terminal; port_name() is then the slave's path (/dev/pts/N).
    bool open_pty();
    // Serves an existing serial device at 9600 baud, 8 data bits, no parity, one stop bit.
    bool open_device(const QString &path);

    bool is_open() const { return m_fd >= 0; }
    QString port_name() const { return m_port_name; }
    QString error_string() const { return m_error; }

    // Closes the line as a pulled cable would: the other end sees a hang-up.
    void drop_line();
    // Closes the line quietly.
    void close();

signals:
    // One line per frame received and per reply sent, in hex and text.
    void frame_logged(const QString &line);
    // The line was closed by drop_line() or by the line-drop fault.
    void line_dropped();
    // The line failed (device unplugged, I/O error) and has been closed.
    void error_occurred(const QString &message);

private:
    using Clock = std::chrono::steady_clock;
    struct Scheduled {
        QByteArray bytes;
        bool drop_line = false;
        Clock::time_point due;
    };

    bool start_serving(int fd, int held_slave_fd, const QString &name);
    void read_line();
    void write_pending();
    void schedule(const QList<ReplyPiece> &pieces);
    void send_due();
    void send(const QByteArray &bytes);
    bool fail(const QString &message);
    void release();

    ModuleCore m_core;
    int m_fd = -1;
    // Our own handle on the pty slave: without it, reading the master fails (EIO) until a
    // client opens the slave, and a client closing it would hang the pty up.
    int m_slave_fd = -1;
    QString m_port_name;
    QString m_error;
    // Children of this server, deleted later when the line closes.
    QSocketNotifier *m_read_notifier = nullptr;
    QSocketNotifier *m_write_notifier = nullptr;
    QByteArray m_output;
    std::deque<Scheduled> m_schedule;
    QTimer m_reply_timer;
};

} // namespace emulator
