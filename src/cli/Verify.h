#pragma once
// `set --verify`: whether what was set is what the DWM drew, looked at on the screen; with
// --nudge, the repaints that make a DWM draw a frame again, one after another, each followed by a
// look, until every value is painted.
#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "cli/Capture.h"
#include "cli/Facts.h"
#include "cli/Look.h"

namespace cli {

struct ToVerify {
    const Telling* telling;
    DWORD value;
    std::string asked;  // the value in set's words
};

struct Verification {
    CaptureStatus status = CaptureStatus::Ok;  // of the last look; not Ok: painted holds what was seen before
    std::string reason;
    std::vector<Painted> painted;  // one per value, in order
    bool undisturbed = true;       // the window's position, size, z-order and focus as they were
};

// A repaint that moved the window, changed its z-order or the focus is undone at once.
Verification VerifyPainted(HWND window, std::span<const ToVerify> values, bool nudge, HANDLE stop);

}  // namespace cli
