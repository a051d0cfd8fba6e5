#pragma once
// Moving a window so that its visible frame (or its window rectangle) lands where asked, in
// physical pixels of the virtual screen, and reading back where it went.
#include <windows.h>

#include <optional>
#include <string>

#include "cli/Facts.h"

namespace cli {

enum class PlaceBy { Frame, Window };

struct PlacementRequest {
    LONG x = 0, y = 0;
    std::optional<SIZE> size;  // else the size it has
    PlaceBy by = PlaceBy::Frame;
};

// The window rectangle that puts a frame at `wanted`, the window's rectangle and frame being
// `rect` and `frame` now: the invisible borders keep their widths.
RECT WindowRectForFrame(const RECT& wanted, const RECT& frame, const RECT& rect);
// The rectangle asked for, from where the window (or its frame) is now.
RECT RequestedRect(const PlacementRequest& request, const RECT& now);

struct PlacementResult {
    Facts facts;
    bool closed = false;  // the window went during the move
    std::string refused;  // where what was got differs from what was asked: how
};
// Restores a minimized or maximized window first (without activating it) and says so.
PlacementResult PlaceWindow(HWND window, const PlacementRequest& request);

}  // namespace cli
