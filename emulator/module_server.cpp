#include "module_server.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace emulator
{

namespace
{

constexpr int PTS_NAME_SIZE = 128;
constexpr speed_t LINE_SPEED = B9600; // the module's line: 9600 baud, 8N1

QString system_error(const QString &what)
{
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

// Raw: no echo, no line editing, every byte (NUL and 0xFF included) passed through as is.
bool make_raw(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    ::cfsetispeed(&tio, LINE_SPEED);
    ::cfsetospeed(&tio, LINE_SPEED);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

void close_fd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

ModuleServer::ModuleServer(QObject *parent) : QObject(parent)
{
    m_reply_timer.setSingleShot(true);
    m_reply_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_reply_timer, &QTimer::timeout, this, &ModuleServer::send_due);
    m_core.set_log([this](const QString &line) { emit frame_logged(line); });
}

ModuleServer::~ModuleServer()
{
    release();
}

bool ModuleServer::open_pty()
{
    close();
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return fail(system_error(QStringLiteral("cannot open a pseudo-terminal")));
    char name[PTS_NAME_SIZE] = {};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        const bool failed =
            fail(system_error(QStringLiteral("cannot prepare the pseudo-terminal")));
        ::close(master);
        return failed;
    }
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0 || !make_raw(slave)) {
        const QString slave_name = QString::fromLocal8Bit(name);
        const bool failed = fail(system_error(QStringLiteral("cannot set up %1").arg(slave_name)));
        close_fd(slave);
        ::close(master);
        return failed;
    }
    return start_serving(master, slave, QString::fromLocal8Bit(name));
}

bool ModuleServer::open_device(const QString &path)
{
    close();
    const QByteArray native = QFile::encodeName(path);
    int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(system_error(QStringLiteral("cannot open %1").arg(path)));
    if (!make_raw(fd)) {
        const bool failed = fail(system_error(QStringLiteral("cannot set up %1").arg(path)));
        ::close(fd);
        return failed;
    }
    ::tcflush(fd, TCIOFLUSH);
    return start_serving(fd, -1, path);
}

bool ModuleServer::start_serving(int fd, int held_slave_fd, const QString &name)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        const bool failed = fail(system_error(QStringLiteral("cannot set up %1").arg(name)));
        ::close(fd);
        if (held_slave_fd >= 0)
            ::close(held_slave_fd);
        return failed;
    }
    m_fd = fd;
    m_slave_fd = held_slave_fd;
    m_port_name = name;
    m_error.clear();
    m_core.reset_session();
    m_read_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_read_notifier, &QSocketNotifier::activated, this, &ModuleServer::read_line);
    m_write_notifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    m_write_notifier->setEnabled(false);
    connect(m_write_notifier, &QSocketNotifier::activated, this, &ModuleServer::write_pending);
    return true;
}

void ModuleServer::read_line()
{
    char buffer[READ_CHUNK];
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got > 0) {
            schedule(m_core.feed(QByteArrayView(buffer, got)));
            if (!is_open())
                return; // the line dropped while answering
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // End of file or an error: the device is gone. Stop watching it rather than spin.
        fail(got == 0 ? QStringLiteral("%1: the line was hung up").arg(m_port_name)
                      : system_error(QStringLiteral("%1: read failed").arg(m_port_name)));
        release();
        emit error_occurred(m_error);
        return;
    }
}

void ModuleServer::schedule(const QList<ReplyPiece> &pieces)
{
    const Clock::time_point now = Clock::now();
    for (const ReplyPiece &piece : pieces) {
        Clock::time_point due = now + piece.delay;
        // Never overtake an earlier reply that is still waiting.
        if (!m_schedule.empty())
            due = std::max(due, m_schedule.back().due);
        m_schedule.push_back({piece.bytes, piece.drop_line, due});
    }
    send_due();
}

void ModuleServer::send_due()
{
    const Clock::time_point now = Clock::now();
    while (!m_schedule.empty() && m_schedule.front().due <= now) {
        const Scheduled next = m_schedule.front();
        m_schedule.pop_front();
        if (next.drop_line) {
            drop_line();
            return;
        }
        send(next.bytes);
        if (!is_open())
            return;
    }
    if (!m_schedule.empty()) {
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(m_schedule.front().due - now);
        m_reply_timer.start(wait);
    }
}

void ModuleServer::send(const QByteArray &bytes)
{
    m_output += bytes;
    write_pending();
}

void ModuleServer::write_pending()
{
    while (!m_output.isEmpty()) {
        const ssize_t written = ::write(m_fd, m_output.constData(), m_output.size());
        if (written > 0) {
            m_output.remove(0, written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The other end is not reading; carry on when there is room again.
            m_write_notifier->setEnabled(true);
            return;
        }
        fail(system_error(QStringLiteral("%1: write failed").arg(m_port_name)));
        release();
        emit error_occurred(m_error);
        return;
    }
    m_write_notifier->setEnabled(false);
}

void ModuleServer::drop_line()
{
    if (!is_open())
        return;
    emit frame_logged(QStringLiteral("-- line dropped"));
    release();
    emit line_dropped();
}

void ModuleServer::close()
{
    release();
}

bool ModuleServer::fail(const QString &message)
{
    m_error = message;
    return false;
}

void ModuleServer::release()
{
    m_reply_timer.stop();
    m_schedule.clear();
    m_output.clear();
    // Notifiers are switched off before their descriptor is closed; they may be the sender
    // of the signal being handled right now, so they are deleted later.
    for (QSocketNotifier **notifier : {&m_read_notifier, &m_write_notifier}) {
        if (*notifier) {
            (*notifier)->setEnabled(false);
            (*notifier)->deleteLater();
            *notifier = nullptr;
        }
    }
    close_fd(m_fd);
    close_fd(m_slave_fd);
}

} // namespace emulator
