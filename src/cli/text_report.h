#pragma once
// A command's result as the lines a person reads: results on standard output, what went wrong
// with a file, an option or the output on standard error, in the order they are printed.

#include "command_result.h"

#include <QList>
#include <QString>

struct ReportLine {
    bool error = false; // for standard error
    QString text;
};

QList<ReportLine> text_report(const CommandResult &result);
