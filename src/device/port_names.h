#pragma once
// Port numbers to device names: the one place that knows the platform's naming.

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>

// Windows: COMn. Linux: /dev/COMn whenever that entry exists (a udev rule or the emulator makes
// it), even as a link that points nowhere, so that opening it fails rather than reaching
// another device; only without it, the n-th built-in serial port /dev/ttyS(n-1).
QString platform_port_name(qint16 port_number);

// A device named without a folder (ttyUSB0) where the platform keeps devices: /dev/ttyUSB0.
QString device_file(const QString &name);

// What a link leads to in the end; empty when the name is no link.
QString link_target(const QString &device);

// What the system's resolver says of a host name: its status (0, or an EAI_ code) and the
// addresses. It blocks for as long as the resolver takes, which cannot be cut short: call it on
// a thread that nobody has to wait for.
struct HostLookup {
    int status = 0;
    QList<QHostAddress> addresses;
};
HostLookup look_up_host(const QString &host);

// The device a serial port's name reaches in the end: links followed, a relative path taken from
// the current folder, a name without a folder under /dev. The name as given when nothing is there.
QString real_device(const QString &name);

// The Linux naming within `device_folder` (normally /dev).
QString port_name_in(const QString &device_folder, qint16 port_number);

using PortNameMap = std::function<QString(qint16 port_number)>;

// How a port name is reached: a serial device, or a network port given as tcp://HOST:PORT (the
// module's bytes as a raw stream) or rfc2217://HOST:PORT (telnet with serial port control).
enum class PortScheme { Serial, Tcp, Rfc2217 };

struct PortAddress {
    PortScheme scheme = PortScheme::Serial;
    QString host;     // a network port's host name or address
    quint16 port = 0; // a network port's TCP port; 0 when the name is not a usable address

    bool usable() const { return scheme == PortScheme::Serial || port != 0; }
};

// Any name that starts with one of the two schemes (in any case) is a network port, usable or
// not; every other name is a serial device.
PortAddress port_address(const QString &name);
