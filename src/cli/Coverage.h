#pragma once
// How much of a window's visible frame the screen shows: rectangle arithmetic only, exact to the
// pixel, no system call. The caller gathers the rectangles (Visibility.h, Monitors.h).
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace cli {

std::int64_t Area(const RECT& rect);
// The pixels that at least one of the rectangles covers, each counted once; empty and inverted
// rectangles cover nothing.
std::int64_t UnionArea(std::span<const RECT> rects);

struct CoverShare {
    std::size_t index;  // into the covers given
    std::int64_t area;  // of the frame, under this cover alone
};

struct Coverage {
    std::int64_t frame = 0;       // pixels of the frame
    std::int64_t onMonitors = 0;  // on at least one monitor
    std::vector<std::int64_t> perMonitor;
    std::int64_t covered = 0;  // under at least one cover, on a monitor or not
    std::int64_t shown = 0;    // on a monitor and under no cover
    std::size_t coverCount = 0;  // covers that hide some of the frame
    // The covers that hide most of the frame, most first (the higher in z-order first among
    // equals); none that hides nothing.
    std::vector<CoverShare> top;
};

// Covers are the windows above the frame's, topmost first; monitors in any order.
Coverage ComputeCoverage(const RECT& frame, std::span<const RECT> monitors, std::span<const RECT> covers,
                         std::size_t topCount = 3);

// part of whole in per cent; 0 of nothing.
double PercentOf(std::int64_t part, std::int64_t whole);

}  // namespace cli
