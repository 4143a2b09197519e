#pragma once
// WRITE CONFIGURATION TO DATA CONVERTER MODULE: the window's configuration into the module,
// every byte read back.

#include "device_sequence.h"
#include "memory_map.h"

class WriteSequence : public DeviceSequence
{
public:
    using DeviceSequence::DeviceSequence;

protected:
    void body() override;

private:
    MemoryImage m_image{};
};
