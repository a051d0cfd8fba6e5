#include "cli/Arguments.h"

#include <cmath>

#include "cli/TerminalText.h"

namespace cli {

std::string Quoted(std::string_view text) { return "'" + TerminalSafe(text) + "'"; }

std::optional<DWORD> ParseHandle(std::string_view text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    return hex ? ParseNumber<DWORD>(text.substr(2), 16) : ParseNumber<DWORD>(text);
}

void DeclareSelection(CommandDefinition& command, WindowArguments& a) {
    command.Option("--title", a.title, "TEXT", "a window whose title contains TEXT (any case)");
    command.Option("--class", a.className, "NAME", "a window of this class");
    command.Option("--pid", a.pid, "N", "a window of this process id");
    command.Option("--process", a.process, "NAME.exe", "a window of this process image (notepad.exe)");
    command.Flag("--all", a.all, "choose among every top-level window, hidden ones too");
}

void DeclareWindow(CommandDefinition& command, WindowArguments& a, const char* restName, const char* restType,
                   const char* restHelp) {
    command.Positional("window", a.window, "WINDOW", "the window (see below)");
    if (restName != nullptr) command.Positionals(restName, a.rest, restType, restHelp);
    DeclareSelection(command, a);
    command.Flag("--first", a.first, "take the first match (in z-order) when several match");
}

bool HasSelectionOption(const WindowArguments& a) { return a.title || a.className || a.pid || a.process; }

Message SettleSelection(const WindowArguments& a, WindowSelector& selector) {
    selector.title = a.title;
    selector.className = a.className;
    selector.process = a.process;
    selector.all = a.all;
    selector.first = a.first;
    if (a.pid) {
        selector.pid = ParseNumber<DWORD>(*a.pid);
        if (!selector.pid) return "--pid: expected a process id, got " + Quoted(*a.pid);
    }
    return std::nullopt;
}

Message SettleWindow(WindowArguments& a, WindowSelector& selector) {
    if (auto message = SettleSelection(a, selector)) return message;
    const std::string& typed = a.window;
    const bool named = typed == "foreground" || typed == "desktop" || ParseHandle(typed).has_value();
    if (HasSelectionOption(a)) {
        if (named) return Quoted(typed) + " and the selection options both name the window: give one of them";
        // The selection names the window: what was typed first is the command's own.
        if (!typed.empty()) a.rest.insert(a.rest.begin(), typed);
        return std::nullopt;
    }
    if (typed.empty()) return "no window given (a handle, foreground, desktop, --title, --class, --pid or --process)";
    if (typed == "foreground") {
        selector.name = WindowName::Foreground;
    } else if (typed == "desktop") {
        selector.name = WindowName::Desktop;
    } else if (const auto handle = ParseHandle(typed)) {
        selector.name = WindowName::Handle;
        selector.handle = *handle;
    } else {
        return "not a window: " + Quoted(typed) + " (a 32-bit handle such as 0x1a2b, foreground or desktop)";
    }
    return std::nullopt;
}

Message NothingLeft(const WindowArguments& a, const char* command) {
    if (a.rest.empty()) return std::nullopt;
    return "unexpected argument " + Quoted(a.rest.front()) + " ('velmora " + command + " --help' tells what it takes)";
}

Message ParseSeconds(const char* option, const std::string& typed, bool zeroAllowed, double& seconds, const char* orElse) {
    constexpr double kYear = 31536000.0;
    double value = 0;
    const auto [end, error] = std::from_chars(typed.data(), typed.data() + typed.size(), value);
    // Written so that NaN, which compares false with everything, fails too.
    const bool inRange = zeroAllowed ? value >= 0 && value <= kYear : value > 0 && value <= kYear;
    if (error != std::errc() || end != typed.data() + typed.size() || !inRange) {
        return std::string(option) + ": expected a number of seconds" + orElse + ", got " + Quoted(typed);
    }
    seconds = value;
    return std::nullopt;
}

Message ParseInterval(const std::optional<std::string>& typed, DWORD& milliseconds) {
    if (!typed) return std::nullopt;
    const auto ms = ParseNumber<DWORD>(*typed);
    if (!ms || *ms < 10 || *ms > 60000) return "--interval: expected milliseconds from 10 to 60000, got " + Quoted(*typed);
    milliseconds = *ms;
    return std::nullopt;
}

}  // namespace cli
