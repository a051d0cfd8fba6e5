#pragma once
// What the DWM drew around a window, as `look` and `set --verify` see it: a matte capture of the
// window rectangle and a margin, measured (FrameLook.h); and what the pixels can tell of a value
// that `set` takes, as one table.
#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli/Capture.h"
#include "cli/Facts.h"
#include "cli/FrameLook.h"

namespace cli {

inline constexpr int kDefaultTolerance = 8;

struct Looked {
    CaptureResult capture;  // its picture is the matte, its rect the area
    FrameGeometry geometry;
    int margin = 0;
    FrameLook look;
};

// Never throws but std::bad_alloc. capture.status other than Ok: nothing was measured.
Looked LookAtWindow(HWND window, int tolerance, HANDLE stop);

// The facts of a look, in the order `look` writes them.
Facts LookFacts(const Looked& looked);

// What the pixels show of one name and value: whether it holds, and what was seen, in words.
struct Seen {
    bool holds = false;
    std::string text;  // "round (radius 8)", "caption #F3F3F3"
};

// A name the pixels can tell (corner, border-color, caption-color, text-color, dark-mode, shadow),
// its value as `set` writes it (shadow: on, off).
struct Telling {
    const char* name;
    Seen (*see)(DWORD value, const FrameLook& look, int tolerance);
};
std::span<const Telling> Tellings();
const Telling* FindTelling(std::string_view name);
// The value in `set`'s words; nothing when the pixels cannot tell it (default: what the system
// picks) or it is no value of that name. `error` then says why, in one line.
std::optional<DWORD> ParseTold(const Telling& telling, std::string_view text, std::string& error);

}  // namespace cli
