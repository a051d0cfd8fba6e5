#pragma once
// The command line of velmora.exe, parsed into one plain command without touching any window:
// a test can feed it anything. Arguments arrive as UTF-8.
#include <windows.h>
#include <dwmapi.h>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "dwm/Attributes.h"
#include "dwm/BlurRegion.h"

namespace cli {

enum ExitCode : int { kExitOk = 0, kExitDwmFailed = 1, kExitUsage = 2, kExitNoWindow = 3 };

// How a command names its window; the options combine, all must match.
enum class WindowName { None, Handle, Foreground, Desktop };

struct WindowSelector {
    WindowName name = WindowName::None;
    std::uint64_t handle = 0;
    std::string typed;  // the positional as typed: "0x1a2b", "6698", "foreground", "desktop"
    std::optional<std::string> title;   // substring, case-insensitive
    std::optional<std::string> className;
    std::optional<DWORD> pid;
    std::optional<std::string> process;  // image name, case-insensitive
    bool first = false;
    bool all = false;  // choose among every top-level window, not only the listed ones
};

// The columns of `windows`, in their default order; --fields picks and orders them.
enum class Field { Handle, Pid, Process, Class, Visible, Minimized, Cloaked, Rect, Frame, Dpi, Title };
const char* FieldName(Field field);

struct WindowsCommand {
    bool all = false;
    std::vector<Field> fields;
    bool json = false;
};

struct GetCommand {
    WindowSelector window;
    std::vector<const dwm::Attribute*> attributes;  // every readable one when none was named
    bool json = false;
};

struct CompositionCommand {
    bool json = false;
};

struct WatchCommand {
    bool json = false;
    std::optional<unsigned> count;
    std::optional<double> seconds;
};

struct Assignment {
    const dwm::Attribute* attribute;
    std::string text;  // as typed
    DWORD value;
};

struct SetCommand {
    WindowSelector window;
    std::vector<Assignment> assignments;
    bool json = false;
};

struct FrameCommand {
    WindowSelector window;
    std::string text;  // as typed: "all", "reset" or the four numbers
    MARGINS margins{};
    bool json = false;
};

struct BlurCommand {
    WindowSelector window;
    bool enable = false;
    BlurShape shape = BlurShape::None;
    int size = 0;
    bool transitionOnMaximized = false;
    bool json = false;
};

// Help or version text asked for; printed on stdout, exit 0.
struct HelpRequest {
    std::string text;
};
struct VersionRequest {};

// One line naming what was wrong; the caller adds the usage hint.
struct UsageError {
    std::string message;
};

using ParsedCommand = std::variant<UsageError, HelpRequest, VersionRequest, WindowsCommand, GetCommand,
                                   CompositionCommand, WatchCommand, SetCommand, FrameCommand, BlurCommand>;

// args without the program name.
ParsedCommand ParseCommandLine(const std::vector<std::string>& args);

}  // namespace cli
