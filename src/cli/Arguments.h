#pragma once
// What several commands take, declared and checked once: the window a command works on (a
// positional name or the selection options), and numbers, times and choices as typed.
#include <windows.h>

#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/Command.h"
#include "cli/NameTable.h"
#include "cli/WindowSelector.h"

namespace cli {

inline constexpr const char* kWindowHelp =
    "WINDOW: a handle (0x1a2b or decimal, 32-bit), foreground or desktop; or --title, --class, --pid, --process\n"
    "(all must match) among the windows that `velmora windows` lists, every top-level window with --all.\n"
    "No match, or several without --first: exit 3.";

// "'text'", escaped for a terminal: how a usage error quotes what was typed.
std::string Quoted(std::string_view text);

template <typename T>
std::optional<T> ParseNumber(std::string_view text, int base = 10) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// "0x1a2b" or "6698": a 32-bit handle.
std::optional<DWORD> ParseHandle(std::string_view text);

// The window options as typed; the positionals after WINDOW in rest.
struct WindowArguments {
    std::string window;
    std::vector<std::string> rest;
    std::optional<std::string> title, className, pid, process;
    bool first = false, all = false;
};

// --title, --class, --pid, --process and --all: the options that narrow a list of windows.
void DeclareSelection(CommandDefinition& command, WindowArguments& arguments);
// WINDOW, then the command's own positionals in rest (when restName is given), and the selection
// options with --first.
void DeclareWindow(CommandDefinition& command, WindowArguments& arguments, const char* restName = nullptr,
                   const char* restType = nullptr, const char* restHelp = nullptr);
bool HasSelectionOption(const WindowArguments& arguments);
// The selection options as the selector takes them.
Message SettleSelection(const WindowArguments& arguments, WindowSelector& selector);
// What the first positional named, or the selection options; a message when neither names a window.
Message SettleWindow(WindowArguments& arguments, WindowSelector& selector);
// A command whose positionals end with WINDOW: anything left over is a usage error.
Message NothingLeft(const WindowArguments& arguments, const char* command);

// A number of seconds from 0 (or above 0, when zero is not allowed) to a year: never NaN or infinite.
// orElse names what else the option takes (" or none").
Message ParseSeconds(const char* option, const std::string& typed, bool zeroAllowed, double& seconds,
                     const char* orElse = "");
// --interval: milliseconds from 10 to 60000.
Message ParseInterval(const std::optional<std::string>& typed, DWORD& milliseconds);

// One of a few words: "--area: expected frame, window or client, got 'x'". Nothing typed, nothing changed.
template <typename Names, typename T>
Message ParseChoice(const char* option, const std::optional<std::string>& typed, const Names& names, T& value) {
    if (!typed) return std::nullopt;
    for (const auto& [name, each] : names) {
        if (*typed == name) {
            value = each;
            return std::nullopt;
        }
    }
    return std::string(option) + ": expected " + NameList(names) + ", got " + Quoted(*typed);
}

}  // namespace cli
