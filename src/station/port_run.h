#pragma once
// How the run on one port ended, with what the operation found there: one record per port.

#include "panel_comparison.h"
#include "port_argument.h"
#include "session_result.h"

#include <QList>
#include <QString>

struct PortRun {
    PortArgument port;
    SessionResult result;
    // probe: the device a link leads to in the end; empty when the name is no link.
    QString target;
    // verify: what the module holds differently from the file, once it was read.
    QList<PanelDifference> differences;
};

// The runs of an operation on its ports.
struct PortRuns {
    QList<PortRun> ports;
    bool interrupted = false; // stopped from outside (Ctrl-C, SIGTERM or SIGHUP)
};
