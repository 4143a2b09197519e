#include "com_port.h"

#include "device_constants.h"
#include "device_error.h"

#include <QStringList>
#include <limits>

using namespace device;

namespace
{

struct LineSettings {
    qint32 baud;
    QSerialPort::Parity parity;
    QSerialPort::DataBits data_bits;
    QSerialPort::StopBits stop_bits;
};

constexpr int SETTINGS_FIELDS = 4;

LineSettings parse_settings(const QString &text)
{
    const QStringList fields = text.split(u',');
    if (fields.size() != SETTINGS_FIELDS)
        throw DeviceError(BAD_SETTINGS);
    bool baud_ok = false;
    const int baud = fields[0].trimmed().toInt(&baud_ok);
    if (!baud_ok || baud <= 0)
        throw DeviceError(BAD_SETTINGS);

    LineSettings line{baud, QSerialPort::NoParity, QSerialPort::Data8, QSerialPort::OneStop};
    const QString parity = fields[1].trimmed().toUpper();
    if (parity == u"N")
        line.parity = QSerialPort::NoParity;
    else if (parity == u"E")
        line.parity = QSerialPort::EvenParity;
    else if (parity == u"O")
        line.parity = QSerialPort::OddParity;
    else if (parity == u"M")
        line.parity = QSerialPort::MarkParity;
    else if (parity == u"S")
        line.parity = QSerialPort::SpaceParity;
    else
        throw DeviceError(BAD_SETTINGS);

    const QString data = fields[2].trimmed();
    if (data == u"5")
        line.data_bits = QSerialPort::Data5;
    else if (data == u"6")
        line.data_bits = QSerialPort::Data6;
    else if (data == u"7")
        line.data_bits = QSerialPort::Data7;
    else if (data == u"8")
        line.data_bits = QSerialPort::Data8;
    else
        throw DeviceError(BAD_SETTINGS);

    const QString stop = fields[3].trimmed();
    if (stop == u"1")
        line.stop_bits = QSerialPort::OneStop;
    else if (stop == u"1.5")
        line.stop_bits = QSerialPort::OneAndHalfStop;
    else if (stop == u"2")
        line.stop_bits = QSerialPort::TwoStop;
    else
        throw DeviceError(BAD_SETTINGS);
    return line;
}

} // namespace

ComPort::ComPort(QObject *parent) : QObject(parent), m_settings(LINE_SETTINGS)
{
    connect(&m_serial, &QSerialPort::errorOccurred, this, &ComPort::on_error);
}

ComPort::~ComPort()
{
    m_serial.close();
}

void ComPort::setCommPort(qint16 port_number)
{
    if (port_number < 1)
        throw DeviceError(BAD_PORT_NUMBER);
    if (m_open) {
        m_pending_port = port_number;
        return;
    }
    m_pending_port.reset();
    if (port_number == m_comm_port)
        return;
    m_comm_port = port_number;
    emit port_changed(m_comm_port);
}

void ComPort::setSettings(const QString &settings)
{
    parse_settings(settings); // refuse a bad text now rather than at the open
    m_settings = settings;
}

void ComPort::setPortOpen(bool open)
{
    if (!open) {
        m_serial.close();
        m_open = false;
        m_line_lost = false;
        if (m_pending_port) {
            const qint16 chosen = *m_pending_port;
            setCommPort(chosen);
        }
        return;
    }
    if (m_open)
        throw DeviceError(PORT_ALREADY_OPEN);

    const LineSettings line = parse_settings(m_settings);
    m_serial.setPortName(device_name());
    if (!m_serial.open(QIODevice::ReadWrite))
        throw DeviceError(m_serial.errorString());
    // Whatever a device refuses here shows up as soon as the line is used.
    m_serial.setBaudRate(line.baud);
    m_serial.setParity(line.parity);
    m_serial.setDataBits(line.data_bits);
    m_serial.setStopBits(line.stop_bits);
    m_serial.setFlowControl(QSerialPort::NoFlowControl);
    m_open = true;
    m_line_lost = false;
}

void ComPort::require_usable() const
{
    if (!m_open)
        throw DeviceError(PORT_NOT_OPEN);
    if (m_line_lost)
        throw DeviceError(LINE_LOST);
}

void ComPort::Output(const QByteArray &bytes)
{
    require_usable();
    if (m_serial.write(bytes) != bytes.size())
        throw DeviceError(m_serial.errorString());
    // Hand the bytes to the driver now instead of on the next turn of the event loop.
    m_serial.flush();
}

qint16 ComPort::InBufferCount() const
{
    require_usable();
    const qint64 waiting = m_serial.bytesAvailable();
    return static_cast<qint16>(std::min<qint64>(waiting, std::numeric_limits<qint16>::max()));
}

QByteArray ComPort::Input()
{
    require_usable();
    return m_serial.readAll();
}

void ComPort::discard_input()
{
    require_usable();
    m_serial.clear(QSerialPort::Input);
    m_serial.readAll();
}

void ComPort::on_error(QSerialPort::SerialPortError error)
{
    const bool line_failed = error == QSerialPort::ResourceError ||
                             error == QSerialPort::ReadError || error == QSerialPort::WriteError;
    if (!m_open || m_line_lost || !line_failed)
        return;
    m_line_lost = true;
    // A dead pty or a pulled adapter keeps signalling; stop listening, but not from inside the
    // port's own notification, which is still on the stack.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_line_lost)
                m_serial.close();
        },
        Qt::QueuedConnection);
    emit line_dropped();
}
