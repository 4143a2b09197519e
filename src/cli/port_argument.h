#pragma once
// A --port value: a COM number as the window offers them, or the path of a serial device.

#include "port_names.h"

#include <QList>
#include <QString>
#include <optional>

struct PortArgument {
    QString label;  // how results name it: "COM1" or the path as given
    QString device; // what the serial port opens
};

// "3" or "COM3" through `port_names`, the window's own mapping; anything with a '/' is a path.
// Empty for anything else.
std::optional<PortArgument> parse_port_argument(const QString &text, const PortNameMap &port_names);

// The two indexes of the first pair naming the same device (a link and its target included),
// or nothing when every port is different.
std::optional<std::pair<int, int>> same_port(const QList<PortArgument> &ports);
