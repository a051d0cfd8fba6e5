#pragma once
// Whether window tests can work on this machine and in this session: each check one row with its
// finding and a verdict, ok, warn (window tests run, some looks differ), fail (they will fail) or
// unknown.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "cli/Facts.h"

namespace cli {

// Below it, windows that tests place side by side do not fit.
inline constexpr LONG kSmallestDesktopWidth = 1280, kSmallestDesktopHeight = 720;

// A monitor on which windows that tests place side by side do not fit.
bool TooSmallForTests(const RECT& monitor);

// Every pixel black, whatever its alpha (a screen that is not drawn reads back so).
bool AllBlack(std::span<const std::uint32_t> pixels);

struct Diagnosis {
    Facts facts;
    std::string failing;  // the checks that fail, by name: "monitor 1, screen"
};
Diagnosis Diagnose();

}  // namespace cli
