#pragma once
// The monitors of the virtual screen as `velmora monitors` numbers them: left to right, then top to
// bottom, from 1. Move's --monitor, explain's shares and doctor's sizes use the same numbering.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "cli/Facts.h"

namespace cli {

struct MonitorInfo {
    HMONITOR handle = nullptr;
    std::wstring device;  // \\.\DISPLAY1
    RECT rect{}, work{};  // physical pixels of the virtual screen
    bool primary = false;
    std::optional<UINT> dpi;  // effective DPI: none where shcore.dll cannot tell
    // From the display settings; none where they cannot be read (some remote and headless
    // sessions) or give no figure (0 and 1 stand for "the hardware's default").
    std::optional<DWORD> refreshHz, bitsPerPixel;
};

// Every monitor, in order.
std::vector<MonitorInfo> ReadMonitors();
// By left edge, then top edge; the device name decides between monitors at one place (mirrors).
void OrderMonitors(std::vector<MonitorInfo>& monitors);

// The `monitors` document: a table, one row a monitor.
Facts MonitorFacts(const std::vector<MonitorInfo>& monitors);
// 150 (per cent) of 144 DPI.
double ScalePercent(UINT dpi);

}  // namespace cli
