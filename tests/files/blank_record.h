#pragma once
// A record of ten unassigned slots, every designation the placeholder: the start of most cases.

#include "config_record.h"
#include "file_texts.h"

inline ConfigRecord blank_record()
{
    ConfigRecord record;
    record.model = files::MODEL_ID;
    record.panel = QStringLiteral("FROM FILE");
    record.indesig.fill(QStringLiteral("DESIGNATION"));
    record.outdesig.fill(QStringLiteral("DESIGNATION"));
    record.in.fill(160);
    record.out.fill(160);
    return record;
}
