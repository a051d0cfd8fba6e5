#pragma once
// The command line of velmora.exe, parsed into one plain command without touching any window:
// a test can feed it anything. Arguments arrive as UTF-8.
#include <windows.h>
#include <dwmapi.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/Capture.h"
#include "cli/WindowEvents.h"
#include "cli/WindowFields.h"
#include "dwm/Attributes.h"
#include "dwm/BlurRegion.h"

namespace cli {

// The one table of exit statuses, which --help and the README repeat.
enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,
    kExitUsage = 2,
    kExitNoWindow = 3,
    kExitTimedOut = 4,
    kExitInterrupted = 130,
};
inline constexpr const char* kExitStatusHelp =
    "Exit status: 0 done; 1 a DWM call or the output failed (read-backs included; a refusal the DWM's documentation\n"
    "predicts, set-only, newer than this Windows or no DWM, only where that attribute was named); 2 usage error;\n"
    "3 no such window, several match, or the window closed during the command; 4 wait timed out; 130 wait\n"
    "interrupted by Ctrl+C.";

// How a command names its window; the options combine, all must match.
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

struct WindowsCommand {
    WindowSelector filter;  // its options narrow the list
    std::vector<const WindowField*> fields;
    bool json = false;
};

struct GetCommand {
    WindowSelector window;
    std::vector<const dwm::Attribute*> attributes;  // every one in the table when none was named
    bool named = false;
    bool json = false;
};

struct CompositionCommand {
    bool json = false;
};

struct WatchCommand {
    bool json = false;
    std::optional<unsigned> count;
    std::optional<double> seconds;
    // What happens to top-level windows too: all of them (narrowed by the filter's options), or the
    // one window named, with each change of its attributes and facts.
    bool windows = false;
    WindowSelector filter;
    std::optional<WindowSelector> window;
    WindowEventSet kinds = kAllWindowEvents;
    DWORD intervalMs = 250;
};

struct Assignment {
    const dwm::Attribute* attribute;
    DWORD value;
};

struct SetCommand {
    WindowSelector window;
    std::vector<Assignment> assignments;
    bool json = false;
};

struct FrameCommand {
    WindowSelector window;
    MARGINS margins{};
    bool json = false;
};

// An attribute the DWM reports, and the value a wait waits for.
struct AttributeCondition {
    const dwm::Attribute* attribute;
    DWORD value;
    std::string text;  // as the attribute's values are written
};

struct WaitCommand {
    WindowSelector window;
    bool visible = false, cloaked = false, foreground = false, gone = false;
    std::vector<AttributeCondition> until;
    std::optional<double> timeoutSeconds = 30.0;  // none: wait for ever
    DWORD intervalMs = 500;
    bool json = false;
};

struct CaptureCommand {
    WindowSelector window;
    std::optional<std::string> output;  // a PNG file, "-" for stdout; else named after what was taken
    CaptureArea area = CaptureArea::Frame;
    CaptureMethod method = CaptureMethod::Auto;
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
                                   CompositionCommand, WatchCommand, SetCommand, FrameCommand, BlurCommand,
                                   CaptureCommand, WaitCommand>;

// args without the program name.
ParsedCommand ParseCommandLine(const std::vector<std::string>& args);

// The commands, each returning the process's exit status.
int RunWindows(const WindowsCommand& command);
int RunGet(const GetCommand& command);
int RunComposition(const CompositionCommand& command);
int RunWatch(const WatchCommand& command);
int RunSet(const SetCommand& command);
int RunFrame(const FrameCommand& command);
int RunBlur(const BlurCommand& command);
int RunCapture(const CaptureCommand& command);
int RunWait(const WaitCommand& command);

// Parses and runs a whole command line (UTF-8 arguments, without the program name).
int RunVelmora(const std::vector<std::string>& args);

// "velmora 1.0.1.102 (Velmora)" from the executable's own version resource.
std::string VersionText();

}  // namespace cli
