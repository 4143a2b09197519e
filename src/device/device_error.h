#pragma once
// The one error the link raises: a running sequence catches it per step and carries on.

#include <QString>
#include <stdexcept>

class DeviceError : public std::runtime_error
{
public:
    explicit DeviceError(const QString &what) : std::runtime_error(what.toStdString()) {}
};

// Raised by a wait when the sequence must stop at once (the window is closing). It is not a
// DeviceError, so no step swallows it.
class SequenceAborted : public std::exception
{
public:
    const char *what() const noexcept override { return "device sequence aborted"; }
};
