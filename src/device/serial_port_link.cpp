#include "serial_port_link.h"

#include "device_constants.h"
#include "frame_text.h"
#include "line_trace.h"
#include "link_texts.h"

#include <QFile>
#include <unistd.h>

using namespace device;

namespace
{
// A permission error on a device we may read and write: another program holds its lock file
// or has it open for itself.
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
}

bool SerialPortLink::open(const QString &device)
{
    close();
    m_device = device;
    m_serial.setPortName(device);
    if (!m_serial.open(QIODevice::ReadWrite)) {
        const bool held = held_elsewhere(m_serial.error(), device);
        m_error = held ? IN_USE : m_serial.errorString();
        m_fault = held                                                   ? PortFault::InUse
                  : m_serial.error() == QSerialPort::DeviceNotFoundError ? PortFault::Missing
                                                                         : PortFault::Other;
        qCInfo(lcLine).noquote() << device << "cannot be opened:" << m_error;
        return false;
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

void SerialPortLink::close()
{
    if (m_serial.isOpen())
        qCInfo(lcLine).noquote() << device() << "closed";
    m_serial.close();
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
