#pragma once
// A port as a person names it on a command line (both programs' --port): a COM number as the
// window offers them, a device name, a path, or a network port.

#include "port_names.h"

#include <QList>
#include <QString>
#include <optional>

struct PortArgument {
    QString label;  // how results name it: "COM1", or the name or path as given
    QString device; // what the link opens: an absolute path, or a network port's URL
    // The COM number it was named by, so the window can go on finding that port as COM SETTINGS
    // does; nothing for any other name.
    std::optional<qint16> com_number;
};

// The one place a --port value is resolved: tcp://HOST:PORT and rfc2217://HOST:PORT are network
// ports; "3" or "COM3" go through `port_names`, the window's own mapping; a name with a '/' is a
// path, relative to the current folder unless it starts with one; any other name is a device
// under /dev. Empty for a number that is no COM port and a network port without host and port.
std::optional<PortArgument> parse_port_argument(const QString &text, const PortNameMap &port_names);

// The two indexes of the first pair naming the same device (a link and its target included),
// or nothing when every port is different.
std::optional<std::pair<int, int>> same_port(const QList<PortArgument> &ports);
