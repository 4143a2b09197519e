#pragma once
// How one module's run ended, in words for people: the same for every front end and for the
// bench's log.

#include "session_result.h"

#include <QString>

// "no answer from the module", "bad data at address 12: ..."; empty for a success. `written`
// is what a write stored, for the words of a byte that read back different.
QString failure_text(const SessionResult &result, const ModuleImage &written = {});

// A write that got past the identity check, so stores may have begun, and did not verify all
// bytes: the module may hold part of the new configuration and part of the old.
bool may_be_partly_programmed(const SessionResult &result);
