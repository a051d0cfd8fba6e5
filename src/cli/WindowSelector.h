#pragma once
// How a command names its window: by name, or by options that must all match.
#include <windows.h>

#include <optional>
#include <string>

namespace cli {

enum class WindowName { None, Handle, Foreground, Desktop };

struct WindowSelector {
    WindowName name = WindowName::None;
    DWORD handle = 0;  // handles are 32-bit values, also in 64-bit processes
    std::optional<std::string> title;  // substring, case-insensitive
    std::optional<std::string> className;
    std::optional<DWORD> pid;
    std::optional<std::string> process;  // image name, case-insensitive
    bool first = false;
    bool all = false;  // choose among every top-level window, not only the listed ones
};

}  // namespace cli
