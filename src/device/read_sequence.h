#pragma once
// READ CONFIGURATION FROM DATA CONVERTER MODULE: the module's 24 bytes into the window.

#include "device_sequence.h"

class ReadSequence : public DeviceSequence
{
public:
    using DeviceSequence::DeviceSequence;

protected:
    void body() override;
    void finish() override;
};
