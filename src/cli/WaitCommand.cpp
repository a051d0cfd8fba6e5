// velmora wait: until a window matching the selection holds every condition given, then that
// window as `velmora windows` shows it. The system's window events wake it early; it also looks
// again on an interval, since attributes raise no event and events can be missed.
#include <cmath>
#include <cstdio>
#include <iterator>

#include "cli/Arguments.h"
#include "cli/Meanings.h"
#include "cli/Output.h"
#include "cli/StopSignal.h"
#include "cli/Target.h"
#include "cli/TerminalText.h"
#include "cli/Visibility.h"
#include "cli/WindowEvents.h"
#include "cli/WindowFields.h"

namespace cli {
namespace {

// An attribute the DWM reports, and the value a wait waits for.
struct AttributeCondition {
    const dwm::Attribute* attribute;
    DWORD value;
    std::string text;  // as the attribute's values are written
};

struct WaitOptions {
    WindowArguments arguments;
    std::vector<std::string> untilTyped;
    std::optional<std::string> timeout, interval, shownTyped;
    std::optional<double> shown;  // per cent
    WindowSelector window;
    bool visible = false, cloaked = false, foreground = false, gone = false;
    std::vector<AttributeCondition> until;
    std::optional<double> timeoutSeconds = 30.0;  // none: wait for ever
    DWORD intervalMs = 500;
    bool json = false;
};

constexpr std::pair<const char*, DWORD> kCloakedStates[] = {
    {"no", 0}, {"app", DWM_CLOAKED_APP}, {"shell", DWM_CLOAKED_SHELL}, {"inherited", DWM_CLOAKED_INHERITED}};

Message ParseCondition(const std::string& typed, std::vector<AttributeCondition>& until) {
    const size_t equals = typed.find('=');
    if (equals == std::string::npos) return "--until: expected NAME=VALUE, got " + Quoted(typed);
    const std::string name = typed.substr(0, equals), text = typed.substr(equals + 1);
    const dwm::Attribute* attribute = dwm::FindAttribute(name);
    const auto comparable = [](const dwm::Attribute& a) { return dwm::CanGet(a) && a.kind != dwm::ValueKind::Rectangle; };
    if (attribute == nullptr || !comparable(*attribute)) {
        std::string names;
        for (const dwm::Attribute& a : dwm::Attributes()) {
            if (comparable(a)) names += (names.empty() ? "" : ", ") + std::string(a.name);
        }
        return "--until: the DWM reports no value of " + Quoted(name) + " to wait for (it reports " + names + ")";
    }
    std::optional<DWORD> value = dwm::ParseValue(*attribute, text);
    if (attribute->kind == dwm::ValueKind::Cloaked) {
        for (const auto& [state, bits] : kCloakedStates) {
            if (text == state) value = bits;
        }
    } else if (attribute->kind == dwm::ValueKind::Count) {
        value = ParseNumber<DWORD>(text);
    }
    if (!value) return "--until: bad value " + Quoted(text) + " for " + name;
    until.push_back({attribute, *value, text});
    return std::nullopt;
}

Message Settle(WaitOptions& wait) {
    if (auto message = SettleWindow(wait.arguments, wait.window)) return message;
    if (auto message = NothingLeft(wait.arguments, "wait")) return message;
    // Every top-level window may be the one awaited: --visible says whether it must show.
    wait.window.all = true;
    if (wait.gone && (wait.visible || wait.cloaked || wait.foreground || wait.shownTyped || !wait.untilTyped.empty())) {
        return "--gone waits for no window: it takes no other condition";
    }
    if ((wait.visible || wait.shownTyped) && wait.cloaked) {
        return std::string(wait.visible ? "--visible" : "--shown") + " and --cloaked cannot both hold";
    }
    if (wait.shownTyped) {
        double share = 0;
        const auto [end, error] = std::from_chars(wait.shownTyped->data(), wait.shownTyped->data() + wait.shownTyped->size(), share);
        if (error != std::errc() || end != wait.shownTyped->data() + wait.shownTyped->size() || !(share > 0.0 && share <= 100.0)) {
            return "--shown: expected a share in per cent above 0 and up to 100, got " + Quoted(*wait.shownTyped);
        }
        wait.shown = share;
    }
    for (const std::string& typed : wait.untilTyped) {
        if (auto message = ParseCondition(typed, wait.until)) return message;
    }
    if (wait.timeout) {
        if (*wait.timeout == "none") {
            wait.timeoutSeconds.reset();
        } else {
            double seconds = 0;
            if (auto message = ParseSeconds("--timeout", *wait.timeout, true, seconds, " or none")) return message;
            wait.timeoutSeconds = seconds;
        }
    }
    return ParseInterval(wait.interval, wait.intervalMs);
}

// The events that can change what a wait looks at: every kind but the moves, which come by the
// hundred: --shown, the one condition they change, is looked at again each interval.
constexpr WindowEventSet kWakingEvents = kAllWindowEvents & ~(EventBit(WindowEventKind::MoveSizeStart) |
                                                              EventBit(WindowEventKind::MoveSizeEnd) |
                                                              EventBit(WindowEventKind::Moved));

// The event's arrival is what counts: it ends the loop's wait, which then looks again at once.
void CALLBACK OnEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {}

class Hooks {
public:
    Hooks() {
        for (const auto& [first, last] : HookRanges(kWakingEvents)) {
            m_hooks.emplace_back(::SetWinEventHook(first, last, nullptr, &OnEvent, 0, 0,
                                                   WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
        }
    }

private:
    std::vector<UniqueWinEventHook> m_hooks;
};

// A condition's view of the cloaked state: no DWM, or one older than cloaking, cloaks nothing; one
// that cannot tell (Wine's answers E_NOTIMPL) leaves --visible to the window's own flag and never
// holds --cloaked, which it says once, so that a wait that ends is not taken for the DWM's word.
class Cloaking {
public:
    std::optional<DWORD> Bits(WindowProbe& probe, const WaitOptions& c) {
        const dwm::AttributeReading& reading = probe.Cloaked();
        if (reading.result >= 0) return reading.value.scalar;
        const Value meaning = ReadingValue(*dwm::FindAttribute("cloaked"), reading, Asked::AsPart);
        if (std::get<Failure>(meaning).predicted()) return 0;
        if (!m_said && ::IsWindow(probe.Window())) {
            m_said = true;
            WriteError("the DWM cannot tell whether a window is cloaked (" + ValueText(meaning) + "); " +
                       (c.cloaked ? "--cloaked cannot hold"
                                  : std::string(c.visible ? "--visible" : "--shown") + " looks at the window's own visibility alone"));
        }
        return std::nullopt;
    }

private:
    bool m_said = false;
};

bool HoldsAttribute(WindowProbe& probe, const AttributeCondition& condition) {
    const dwm::AttributeReading& reading = probe.Attribute(*condition.attribute);
    if (reading.result < 0) return false;
    if (condition.attribute->kind != dwm::ValueKind::Cloaked || condition.value == 0) {
        return reading.value.scalar == condition.value;
    }
    return (reading.value.scalar & condition.value) != 0;
}

// Every condition, the cheap ones first; the screen is read once a round, for every candidate.
bool Holds(WindowProbe& probe, const WaitOptions& c, Cloaking& cloaking, Scene& scene) {
    if (c.visible && !probe.Visible()) return false;
    if (c.foreground && !probe.Foreground()) return false;
    if (c.visible || c.cloaked || c.shown) {
        const auto bits = cloaking.Bits(probe, c);
        if (((c.visible || c.shown) && bits.value_or(0) != 0) || (c.cloaked && bits.value_or(0) == 0)) return false;
    }
    for (const AttributeCondition& condition : c.until) {
        if (!HoldsAttribute(probe, condition)) return false;
    }
    return !c.shown || LookAt(probe, scene).ShownPercent() >= *c.shown;
}

// The windows the selection names now, topmost first.
std::vector<WindowProbe> Candidates(const WindowSelector& s, ProcessNames& names) {
    const auto one = [&](HWND window) { return std::vector<WindowProbe>{WindowProbe(window, names)}; };
    switch (s.name) {
        case WindowName::Handle:
            if (const HWND window = WindowFromHandle(s.handle); ::IsWindow(window)) return one(window);
            return {};
        case WindowName::Foreground:
            if (const HWND window = ::GetForegroundWindow()) return one(window);
            return {};
        case WindowName::Desktop:
            return one(::GetDesktopWindow());
        case WindowName::None:
            break;
    }
    std::vector<WindowProbe> matches;
    for (HWND window : TopLevelWindows()) {
        WindowProbe probe(window, names);
        if (probe.Matches(s)) matches.push_back(std::move(probe));
    }
    return matches;
}

std::string Conditions(const WaitOptions& c) {
    std::string text;
    const auto add = [&](const std::string& condition) { text += (text.empty() ? "" : ", ") + condition; };
    if (c.visible) add("visible");
    if (c.cloaked) add("cloaked");
    if (c.foreground) add("in the foreground");
    if (c.shown) add(ValueText(Percent{*c.shown}) + " shown");
    if (c.gone) add("gone");
    for (const AttributeCondition& condition : c.until) add(std::string(condition.attribute->name) + "=" + condition.text);
    return text.empty() ? "there" : text;
}

// The window as `velmora windows` shows it: what the conditions saw of it, and the rest read now.
int Show(WindowProbe& probe, bool json, int status) {
    const std::vector<const WindowField*> fields = DefaultWindowFields();
    Facts row = ReadFields(probe, fields);
    if (HasClosed(probe.Window())) return FinishClosed({}, json, probe.Window());
    if (json) {
        WriteOut(DocumentJson(row));
    } else {
        Table table{{}, {std::move(row)}, true};
        for (const WindowField* field : fields) table.columns.push_back(field->name);
        WriteOut(DocumentText({{"windows", std::move(table)}}));
    }
    return FinishOutput(status);
}

int RunWait(const WaitOptions& command) {
    const WindowSelector& selector = command.window;
    const bool byHandle = selector.name == WindowName::Handle;
    if (byHandle && !::IsWindow(WindowFromHandle(selector.handle)) && !command.gone) {
        WriteError("no window has the handle " + HexHandle(WindowFromHandle(selector.handle)));
        return kExitNoWindow;
    }
    StopSignal stop;
    const Hooks hooks;
    const ULONGLONG start = ::GetTickCount64();
    // No time-out: a limit no wait reaches.
    const bool timed = command.timeoutSeconds.has_value();
    const ULONGLONG limit = timed ? static_cast<ULONGLONG>(std::llround(*command.timeoutSeconds * 1000.0)) : ~0ull;
    Cloaking cloaking;
    for (;;) {
        ProcessNames names;
        std::vector<WindowProbe> candidates = Candidates(selector, names);
        if (command.gone && candidates.empty()) return FinishOutput(kExitOk);
        if (!command.gone) {
            Scene scene;
            for (WindowProbe& probe : candidates) {
                if (Holds(probe, command, cloaking, scene)) return Show(probe, command.json, kExitOk);
            }
        }
        if (byHandle && candidates.empty()) {
            WriteError("the window " + HexHandle(WindowFromHandle(selector.handle)) + " has closed before it was " +
                       Conditions(command));
            return kExitNoWindow;
        }
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        if (timed && elapsed >= limit) {
            const std::string what = !candidates.empty() ? "; last seen:" : "; no window matched";
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%.1f", static_cast<double>(limit) / 1000.0);
            WriteError(std::string("timed out after ") + seconds + " s waiting for the window to be " + Conditions(command) + what);
            if (!candidates.empty() && ::IsWindow(candidates.front().Window())) {
                return Show(candidates.front(), command.json, kExitTimedOut);
            }
            return kExitTimedOut;
        }
        const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(command.intervalMs, limit - elapsed));
        // Without a stop event (none could be made) the interval is still waited, on messages alone.
        const HANDLE stopEvent = stop.Event();
        const DWORD handles = stopEvent != nullptr ? 1 : 0;
        if (::MsgWaitForMultipleObjects(handles, &stopEvent, FALSE, wait, QS_ALLINPUT) == WAIT_OBJECT_0 && handles == 1) {
            return kExitInterrupted;
        }
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    }
}

}  // namespace

void DefineWait(CommandDefinition& command) {
    auto options = command.Make<WaitOptions>();
    DeclareWindow(command, options->arguments);
    command.Json(options->json);
    command.Flag("--visible", options->visible, "visible and not cloaked: on the screen");
    command.Flag("--cloaked", options->cloaked, "cloaked (by its app, the shell or its owner)");
    command.Flag("--foreground", options->foreground, "the foreground window");
    command.Option("--shown", options->shownTyped, "PCT",
                   "at least PCT per cent of its visible frame on a monitor and under no window (as explain counts)");
    command.Flag("--gone", options->gone, "no window matches any more (or the handle has closed)");
    command.List("--until", options->untilTyped, "NAME=VALUE", "an attribute the DWM reports has this value (several: all)");
    command.Option("--timeout", options->timeout, "S", "give up after S seconds: exit 4 (default 30; none: never)");
    command.Option("--interval", options->interval, "MS",
                   "look again every MS milliseconds besides the system's events (default 500)");
    command.Footer(std::string(kWindowHelp) +
                   "\nwait looks at every top-level window, hidden ones too: --visible asks for one on the screen.");
    command.OnParsed([options] { return Settle(*options); }, [options] { return RunWait(*options); });
}

}  // namespace cli
