#pragma once
// A port as a person names it on a command line (both programs' --port): a COM number as the
// window offers them, a device name, a path, or a network port.

#include "port_names.h"

#include <QList>
#include <QString>
#include <chrono>
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

// The two indexes of the first pair naming the same port, or nothing when every port is
// different. Devices compare by what their names resolve to, even while they do not exist (see
// resolved_path()); network ports by scheme, port number and address, a host name looked up
// for at most `lookup_limit` (then compared by name).
std::optional<std::pair<int, int>> same_port(const QList<PortArgument> &ports,
                                             std::chrono::milliseconds lookup_limit);

// What a path names in the end, whether or not it exists: every link followed to its final
// target, and the deepest folder that exists made real, with the rest of the name after it. A
// relative path is taken from the current folder.
QString resolved_path(const QString &path);
