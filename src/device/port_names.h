#pragma once
// Port numbers to device names: the one place that knows the platform's naming.

#include <QString>
#include <QtGlobal>
#include <functional>

// Windows: COMn. Linux: /dev/COMn when that link exists (a udev rule or the emulator makes
// it), otherwise the n-th built-in serial port /dev/ttyS(n-1).
QString platform_port_name(qint16 port_number);

using PortNameMap = std::function<QString(qint16 port_number)>;
