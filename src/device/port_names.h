#pragma once
// Port numbers to device names: the one place that knows the platform's naming.

#include <QString>
#include <QtGlobal>
#include <functional>

// Windows: COMn. Linux: /dev/COMn whenever that entry exists (a udev rule or the emulator makes
// it), even as a link that points nowhere, so that opening it fails rather than reaching
// another device; only without it, the n-th built-in serial port /dev/ttyS(n-1).
QString platform_port_name(qint16 port_number);

// A device named without a folder (ttyUSB0) where the platform keeps devices: /dev/ttyUSB0.
QString device_file(const QString &name);

// The Linux naming within `device_folder` (normally /dev).
QString port_name_in(const QString &device_folder, qint16 port_number);

using PortNameMap = std::function<QString(qint16 port_number)>;
