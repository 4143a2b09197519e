#pragma once
// One module session driven by a script of bytes that plays the module's side of the line:
// honest replies from the emulated module, in any split and at any moment before or after the
// tick, doubled, damaged, or garbage, floods and a dropped line. Once the script is used up, the
// module answers at once and a wait with nothing to take ends at its tick. What the run claims
// is then checked against what really went over the line.

#include "fault_options.h"
#include "session_result.h"

#include <QByteArrayView>
#include <QString>
#include <optional>

struct ScriptRun {
    QString broken; // empty when every promise held; otherwise what was broken
    std::optional<SessionResult> result;
};

// The first byte chooses a read (odd) or a write, and a refused open; the second seeds the
// module's memory and the bytes a write stores; each byte after that is one action of the
// module's side; `faults` shape what the module says. Needs a QCoreApplication.
ScriptRun run_session_script(QByteArrayView script, const emulator::FaultOptions &faults = {});

// The actions, by the script byte that selects them (modulo their count).
enum ScriptAction {
    Tick,     // the timer expires
    Tick2,    // likewise, so that runs move on
    Honest,   // everything the module has said arrives
    Prefix,   // its first n characters arrive (next byte: n - 1, up to 7)
    Garbage,  // n bytes taken from the script arrive (next byte: n - 1, up to 15)
    Flood,    // one byte repeated 32 to 1024 times (next bytes: the byte, the size / 32 - 1)
    Drop,     // the line goes away
    Doubled,  // what the module has said arrives twice
    Damaged,  // it arrives with one byte changed (next bytes: position, xor mask)
    Trailing, // it arrives with one more byte (next byte)
    Abort,    // the run is stopped from outside (Ctrl-C, the window closing)
    SCRIPT_ACTIONS
};
