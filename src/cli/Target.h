#pragma once
// How a command on one window finds it, checks it and gathers what it shows about it; and how
// every command ends: its facts written whole, then its exit status.
#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "cli/Command.h"
#include "cli/WindowSelector.h"
#include "cli/Facts.h"

namespace cli {

struct Selection {
    HWND window = nullptr;
    std::string error;    // when no window: what went wrong
    std::string matches;  // the first matches of an ambiguous selection, one a line
};
Selection SelectWindow(const WindowSelector& selector);
// The window a handle on the command line names, whether or not one has it.
HWND WindowFromHandle(DWORD handle);

struct Target {
    HWND window = nullptr;
    Facts facts;  // the window fields named, read once
};

// Selects the window and reads the fields named; nothing, after telling stderr why, when no
// window matches, several do, or it closed while its facts were read (the command exits 3).
std::optional<Target> OpenTarget(const WindowSelector& selector, std::initializer_list<std::string_view> fields);

// True when the window has gone: what was read from it since cannot be trusted.
bool HasClosed(HWND window);

// Writes the facts whole, as text or JSON, and returns the exit status: 1 when a failure in them
// counts or the output failed, else 0.
int Finish(const Facts& facts, bool json);
// What was done, then "the window 0x… has closed" on stderr: exit 3.
int FinishClosed(const Facts& facts, bool json, HWND window);

}  // namespace cli
