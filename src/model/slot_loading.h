#pragma once
// The pure half of loading (a file opened, a module read): point codes in, the positions the
// forty lists are left at out, as the window's slot loading step sets them one list at a time.

#include "converter_config.h"
#include "slot_lists.h"

struct SlotLoad {
    ListPositions positions{};
    // The first List(n) that has no position for what its code decodes to (a code below -1),
    // where the window's load gives up; 0 when every list took its position.
    int refused_list = 0;
};

// Inputs before outputs, as the loads do them. An input module list gets m_index, an output
// module list m_index - 1, a channel list c_index. The "N/A" reaction of an input clears only
// lists of its own slot that are set again later in the same load, so the result does not
// depend on what the lists showed before.
SlotLoad load_slot_positions(const ConverterConfig::Slots &in, const ConverterConfig::Slots &out);
