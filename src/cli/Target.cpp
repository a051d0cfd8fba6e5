#include "cli/Target.h"

#include "cli/Output.h"
#include "cli/TerminalText.h"
#include "cli/WindowFields.h"

namespace cli {
namespace {

constexpr size_t kShownMatches = 10;

std::string Describe(const WindowSelector& s) {
    std::string text;
    const auto add = [&](const char* option, const std::string& value) {
        text += (text.empty() ? "" : " ") + std::string(option) + " " + TerminalSafe(value, true);
    };
    if (s.title) add("--title", *s.title);
    if (s.className) add("--class", *s.className);
    if (s.pid) add("--pid", std::to_string(*s.pid));
    if (s.process) add("--process", *s.process);
    return text;
}

Selection ByName(const WindowSelector& selector) {
    Selection selection;
    switch (selector.name) {
        case WindowName::Foreground:
            selection.window = ::GetForegroundWindow();
            if (selection.window == nullptr) selection.error = "no window is in the foreground";
            break;
        case WindowName::Desktop:
            selection.window = ::GetDesktopWindow();
            break;
        default:
            if (selector.handle != 0 && ::IsWindow(WindowFromHandle(selector.handle))) {
                selection.window = WindowFromHandle(selector.handle);
            } else {
                selection.error = "no window has the handle " + HexHandle(WindowFromHandle(selector.handle));
            }
    }
    return selection;
}

// The title last and quoted, as in a watch line: it may hold anything.
std::string MatchLine(WindowProbe& probe) {
    return "  " + LineText(ReadFields(probe, {"handle", "process", "class", "title"}));
}

}  // namespace

HWND WindowFromHandle(DWORD handle) {
    // A 32-bit handle is sign-extended, as Windows widens handles shared with 32-bit processes.
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
}

Selection SelectWindow(const WindowSelector& selector) {
    if (selector.name != WindowName::None) return ByName(selector);
    ProcessNames names;
    std::vector<WindowProbe> matches;
    for (HWND window : TopLevelWindows()) {
        WindowProbe probe(window, names);
        if ((selector.all || probe.IsListed()) && probe.Matches(selector)) matches.push_back(std::move(probe));
    }
    Selection selection;
    if (matches.empty()) {
        selection.error = "no window matches " + Describe(selector) + (selector.all ? "" : " (hidden ones: --all)");
    } else if (matches.size() == 1 || selector.first) {
        selection.window = matches.front().Window();
    } else {
        selection.error = std::to_string(matches.size()) + " windows match " + Describe(selector) +
                          ": add --first or narrow the selection";
        for (size_t i = 0; i < matches.size() && i < kShownMatches; ++i) selection.matches += MatchLine(matches[i]);
        if (matches.size() > kShownMatches) selection.matches += "  ...\n";
    }
    return selection;
}

std::optional<Target> OpenTarget(const WindowSelector& selector, std::initializer_list<std::string_view> fields) {
    const Selection selection = SelectWindow(selector);
    if (selection.window == nullptr) {
        WriteError(selection.error);
        WriteErrorText(selection.matches);
        return std::nullopt;
    }
    ProcessNames names;
    WindowProbe probe(selection.window, names);
    Target target{selection.window, ReadFields(probe, fields)};
    // A window that closed while it was asked answers with empty text and zero rectangles.
    if (HasClosed(target.window)) {
        FinishClosed({}, false, target.window);
        return std::nullopt;
    }
    return target;
}

bool HasClosed(HWND window) { return ::IsWindow(window) == FALSE; }

int Finish(const Facts& facts, bool json) {
    WriteOut(json ? DocumentJson(facts) : DocumentText(facts));
    return FinishOutput(HasFailure(facts) ? kExitFailed : kExitOk);
}

int FinishClosed(const Facts& facts, bool json, HWND window) {
    if (!facts.empty()) WriteOut(json ? DocumentJson(facts) : DocumentText(facts));
    WriteError("the window " + HexHandle(window) + " has closed");
    FinishOutput(kExitNoWindow);
    return kExitNoWindow;
}

}  // namespace cli
