#include "serial_port_link.h"

#include "device_constants.h"
#include "frame_text.h"
#include "line_trace.h"
#include "link_texts.h"
#include "port_names.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace device;

namespace
{
constexpr QChar PATH_SEPARATOR = u'/';
constexpr QChar LOCK_NAME_SEPARATOR = u'_';
const QString DEVICE_FOLDER = QStringLiteral("/dev/");
// Where Qt's serial port keeps its lock files, in the order it looks (the temporary folder
// last), and how it names one: LCK.. and the device without /dev/, slashes as underscores.
const QStringList LOCK_FOLDERS = {QStringLiteral("/var/lock"),
                                  QStringLiteral("/etc/locks"),
                                  QStringLiteral("/var/spool/locks"),
                                  QStringLiteral("/var/spool/uucp"),
                                  QStringLiteral("/tmp"),
                                  QStringLiteral("/var/tmp"),
                                  QStringLiteral("/var/lock/lockdev"),
                                  QStringLiteral("/run/lock")};
const QString LOCK_PREFIX = QStringLiteral("LCK..");
const QString PROCESS_NAME = QStringLiteral("/proc/%1/comm");

// The lock file Qt's serial port keeps for the device, where one exists.
QString lock_file_of(const QString &real_device)
{
    QString name =
        real_device.startsWith(DEVICE_FOLDER) ? real_device.mid(DEVICE_FOLDER.size()) : real_device;
    name = LOCK_PREFIX + name.replace(PATH_SEPARATOR, LOCK_NAME_SEPARATOR);
    const QStringList folders =
        LOCK_FOLDERS + QStringList{QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
    for (const QString &folder : folders) {
        const QString path = QDir(folder).filePath(name);
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

// "in use by another program", naming the program and its process when the device's lock file
// names a live process other than this one.
QString in_use_by(const QString &real_device)
{
    const QString path = lock_file_of(real_device);
    if (path.isEmpty())
        return IN_USE;
    qint64 pid = 0;
    QString host, program;
    // A lock of this very process (a second link of its own) is no other program's.
    if (!QLockFile(path).getLockInfo(&pid, &host, &program) || pid <= 0 ||
        pid == QCoreApplication::applicationPid() ||
        (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM))
        return IN_USE;
    if (program.isEmpty()) {
        QFile comm(PROCESS_NAME.arg(pid));
        if (comm.open(QIODevice::ReadOnly))
            program = QString::fromLocal8Bit(comm.readAll()).trimmed();
    }
    return program.isEmpty() ? IN_USE : IN_USE_BY.arg(program).arg(pid);
}

// A permission error on a device we may read and write: another program has it open in the
// tty's exclusive mode, or holds its lock file.
bool held_elsewhere(QSerialPort::SerialPortError error, const QString &device)
{
    return error == QSerialPort::PermissionError &&
           ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
}
} // namespace

SerialPortLink::SerialPortLink(QObject *parent) : SerialLink(parent)
{
    connect(&m_serial, &QSerialPort::readyRead, this, &SerialPortLink::read_arrived);
    connect(&m_serial, &QSerialPort::errorOccurred, this, &SerialPortLink::on_error);
}

SerialPortLink::~SerialPortLink()
{
    m_serial.close();
    unlock_device();
}

bool SerialPortLink::open(const QString &device)
{
    close();
    m_device = device;
    // Qt takes its lock file under the name it is given: the real device's, so that a link and
    // its target cannot both be opened.
    const QString real_device = ::real_device(device);
    if (!lock_device(real_device))
        return refuse(in_use_by(real_device), PortFault::InUse);
    m_serial.setPortName(real_device);
    if (!m_serial.open(QIODevice::ReadWrite)) {
        unlock_device();
        if (held_elsewhere(m_serial.error(), real_device))
            return refuse(in_use_by(real_device), PortFault::InUse);
        return refuse(m_serial.errorString(), m_serial.error() == QSerialPort::DeviceNotFoundError
                                                  ? PortFault::Missing
                                                  : PortFault::Other);
    }
    // Whatever a device refuses here shows up as soon as the line is used.
    m_serial.setBaudRate(BAUD_RATE);
    m_serial.setParity(QSerialPort::NoParity);
    m_serial.setDataBits(QSerialPort::Data8);
    m_serial.setStopBits(QSerialPort::OneStop);
    m_serial.setFlowControl(QSerialPort::NoFlowControl);
    m_error.clear();
    m_fault = PortFault::None;
    qCInfo(lcLine).noquote() << device << "opened";
    return true;
}

bool SerialPortLink::lock_device(const QString &real_device)
{
    // On a descriptor of our own, before the port is opened, so that a refusal leaves the other
    // program's line settings alone; flock() binds root too, which the tty's exclusive mode does
    // not. A device we cannot open here fails the port's own open with the system's reason.
    m_lock = ::open(QFile::encodeName(real_device).constData(),
                    O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_lock < 0 || ::flock(m_lock, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK)
        return true;
    unlock_device();
    return false;
}

void SerialPortLink::unlock_device()
{
    if (m_lock >= 0)
        ::close(m_lock);
    m_lock = -1;
}

bool SerialPortLink::refuse(const QString &reason, PortFault fault)
{
    m_error = reason;
    m_fault = fault;
    qCInfo(lcLine).noquote() << m_device << "cannot be opened:" << m_error;
    return false;
}

void SerialPortLink::close()
{
    if (m_serial.isOpen())
        qCInfo(lcLine).noquote() << device() << "closed";
    m_serial.close();
    unlock_device();
    m_input.clear();
    m_lost = false;
}

bool SerialPortLink::send(const QByteArray &bytes)
{
    if (!m_serial.isOpen() || m_lost) {
        m_error = m_lost ? LINE_LOST : NOT_OPEN;
        m_fault = m_lost ? PortFault::Lost : PortFault::Other;
        return false;
    }
    qCInfo(lcLine).noquote() << device() << "->" << frame_text(bytes);
    if (m_serial.write(bytes) != bytes.size()) {
        m_error = m_serial.errorString();
        m_fault = PortFault::Lost;
        return false;
    }
    // Hand the bytes to the driver now instead of on the next turn of the event loop.
    m_serial.flush();
    return !m_lost;
}

QByteArray SerialPortLink::take()
{
    return std::exchange(m_input, {});
}

void SerialPortLink::discard()
{
    if (!m_serial.isOpen() || m_lost) {
        m_input.clear();
        return;
    }
    m_serial.clear(QSerialPort::Input);
    const QByteArray stale = m_input + m_serial.readAll();
    m_input.clear();
    if (!stale.isEmpty())
        qCInfo(lcLine).noquote() << device() << "discarded" << frame_text(stale);
}

void SerialPortLink::read_arrived()
{
    const QByteArray piece = m_serial.readAll();
    if (piece.isEmpty())
        return;
    qCInfo(lcLine).noquote() << device() << "<-" << frame_text(piece);
    m_input += piece;
    emit received();
}

void SerialPortLink::on_error(QSerialPort::SerialPortError error)
{
    const bool line_failed = error == QSerialPort::ResourceError ||
                             error == QSerialPort::ReadError || error == QSerialPort::WriteError;
    if (!m_serial.isOpen() || m_lost || !line_failed)
        return;
    m_lost = true;
    m_fault = PortFault::Lost;
    m_error = m_serial.errorString().isEmpty() ? LINE_LOST : m_serial.errorString();
    qCInfo(lcLine).noquote() << device() << "lost:" << m_error;
    // A dead pty or a pulled adapter keeps signalling; stop listening, but not from inside the
    // port's own notification, which is still on the stack.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_lost)
                m_serial.close();
        },
        Qt::QueuedConnection);
    emit lost(m_error);
}
