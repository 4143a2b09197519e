#pragma once
// The 46 fields of a configuration record, as values: what a file holds and a save writes.

#include "loop_bytes.h"
#include "slot_lists.h"

#include <QString>
#include <array>
#include <type_traits>

constexpr int RECORD_FIELD_COUNT = 46;

struct ConfigRecord {
    QString model;
    QString panel;
    std::array<QString, SLOT_COUNT> indesig;
    SlotValues in{};
    std::array<QString, SLOT_COUNT> outdesig;
    SlotValues out{};
    LoopBytes loops;

    bool operator==(const ConfigRecord &) const = default;
};

// Visits the 46 fields in file order (a QString or a qint16 each, with its field number 1..46)
// until `visit` returns false; true when all were visited. The one place the order is written.
template <typename Record, typename Visit>
requires std::is_same_v<std::remove_const_t<Record>, ConfigRecord>
bool visit_record_fields(Record &record, Visit &&visit)
{
    int number = 0;
    auto next = [&](auto &field) { return visit(field, ++number); };
    if (!next(record.model) || !next(record.panel))
        return false;
    for (std::size_t i = 0; i < SLOT_COUNT; ++i)
        if (!next(record.indesig[i]) || !next(record.in[i]))
            return false;
    for (std::size_t i = 0; i < SLOT_COUNT; ++i)
        if (!next(record.outdesig[i]) || !next(record.out[i]))
            return false;
    return next(record.loops.inllsb) && next(record.loops.inlmsb) && next(record.loops.outllsb) &&
           next(record.loops.outlmsb);
}
