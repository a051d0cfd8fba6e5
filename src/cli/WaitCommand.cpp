// velmora wait: until a window matching the selection holds every condition given, then that
// window as `velmora windows` shows it. The system's window events wake it early; it also looks
// again on an interval, since attributes raise no event and events can be missed.
#include <cmath>
#include <cstdio>
#include <iterator>

#include "cli/CommandLine.h"
#include "cli/Meanings.h"
#include "cli/Output.h"
#include "cli/StopSignal.h"
#include "cli/Target.h"
#include "cli/TerminalText.h"
#include "cli/WindowEvents.h"

namespace cli {
namespace {

// The events that can change what a wait looks at: created to hidden, renamed, cloaked, foreground,
// minimized. Moves are left out: they change nothing a condition asks.
constexpr std::pair<DWORD, DWORD> kWakingEvents[] = {
    {EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND}, {EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZEEND},
    {EVENT_OBJECT_CREATE, EVENT_OBJECT_HIDE}, {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE},
    {0x8017, 0x8018}};  // EVENT_OBJECT_CLOAKED, EVENT_OBJECT_UNCLOAKED

// The event's arrival is what counts: it ends the loop's wait, which then looks again at once.
void CALLBACK OnEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {}

class Hooks {
public:
    Hooks() {
        for (const auto& [first, last] : kWakingEvents) {
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
    std::optional<DWORD> Bits(HWND window, const WaitCommand& c) {
        const dwm::Attribute& cloaked = *dwm::FindAttribute("cloaked");
        const dwm::AttributeReading reading = dwm::ReadAttribute(window, cloaked);
        if (reading.result >= 0) return reading.value.scalar;
        const Value meaning = ReadingValue(cloaked, reading, Asked::AsPart);
        if (std::get<Failure>(meaning).predicted) return 0;
        if (!m_said && ::IsWindow(window)) {
            m_said = true;
            WriteError("the DWM cannot tell whether a window is cloaked (" + ValueText(meaning) + "); " +
                       (c.cloaked ? "--cloaked cannot hold" : "--visible looks at the window's own visibility alone"));
        }
        return std::nullopt;
    }

private:
    bool m_said = false;
};

bool HoldsAttribute(HWND window, const AttributeCondition& condition) {
    const dwm::AttributeReading reading = dwm::ReadAttribute(window, *condition.attribute);
    if (reading.result < 0) return false;
    if (condition.attribute->kind != dwm::ValueKind::Cloaked || condition.value == 0) {
        return reading.value.scalar == condition.value;
    }
    return (reading.value.scalar & condition.value) != 0;
}

// Every condition, the cheap ones first.
bool Holds(HWND window, const WaitCommand& c, Cloaking& cloaking) {
    if (c.visible && !::IsWindowVisible(window)) return false;
    if (c.foreground && ::GetForegroundWindow() != window) return false;
    if (c.visible || c.cloaked) {
        const auto bits = cloaking.Bits(window, c);
        if ((c.visible && bits.value_or(0) != 0) || (c.cloaked && bits.value_or(0) == 0)) return false;
    }
    for (const AttributeCondition& condition : c.until) {
        if (!HoldsAttribute(window, condition)) return false;
    }
    return true;
}

HWND FromHandle(DWORD handle) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(handle))); }

// The windows the selection names now, topmost first.
std::vector<HWND> Candidates(const WindowSelector& s) {
    switch (s.name) {
        case WindowName::Handle: {
            const HWND window = FromHandle(s.handle);
            return ::IsWindow(window) ? std::vector<HWND>{window} : std::vector<HWND>{};
        }
        case WindowName::Foreground:
            if (const HWND window = ::GetForegroundWindow()) return {window};
            return {};
        case WindowName::Desktop:
            return {::GetDesktopWindow()};
        case WindowName::None:
            break;
    }
    std::vector<HWND> matches;
    ProcessNames names;
    for (HWND window : TopLevelWindows()) {
        WindowProbe probe(window, names);
        if (probe.Matches(s)) matches.push_back(window);
    }
    return matches;
}

std::string Conditions(const WaitCommand& c) {
    std::string text;
    const auto add = [&](const std::string& condition) { text += (text.empty() ? "" : ", ") + condition; };
    if (c.visible) add("visible");
    if (c.cloaked) add("cloaked");
    if (c.foreground) add("in the foreground");
    if (c.gone) add("gone");
    for (const AttributeCondition& condition : c.until) add(std::string(condition.attribute->name) + "=" + condition.text);
    return text.empty() ? "there" : text;
}

int Show(HWND window, bool json, int status) {
    ProcessNames names;
    WindowProbe probe(window, names);
    const std::vector<const WindowField*> fields = DefaultWindowFields();
    Facts row = ReadFields(probe, fields);
    if (HasClosed(window)) return FinishClosed({}, json, window);
    if (json) {
        WriteOut(DocumentJson(row));
    } else {
        Table table{{}, {std::move(row)}, true};
        for (const WindowField* field : fields) table.columns.push_back(field->name);
        WriteOut(DocumentText({{"windows", std::move(table)}}));
    }
    return FinishOutput(status);
}

}  // namespace

int RunWait(const WaitCommand& command) {
    const WindowSelector& selector = command.window;
    const bool byHandle = selector.name == WindowName::Handle;
    if (byHandle && !::IsWindow(FromHandle(selector.handle)) && !command.gone) {
        WriteError("no window has the handle " + HexHandle(FromHandle(selector.handle)));
        return kExitNoWindow;
    }
    StopSignal stop;
    const Hooks hooks;
    const ULONGLONG start = ::GetTickCount64();
    // No time-out: a limit no wait reaches.
    const bool timed = command.timeoutSeconds.has_value();
    const ULONGLONG limit = timed ? static_cast<ULONGLONG>(std::llround(*command.timeoutSeconds * 1000.0)) : ~0ull;
    HWND lastSeen = nullptr;
    Cloaking cloaking;
    for (;;) {
        const std::vector<HWND> candidates = Candidates(selector);
        if (command.gone && candidates.empty()) return FinishOutput(kExitOk);
        if (!command.gone) {
            for (HWND window : candidates) {
                if (Holds(window, command, cloaking)) return Show(window, command.json, kExitOk);
            }
        }
        if (byHandle && candidates.empty()) {
            WriteError("the window " + HexHandle(FromHandle(selector.handle)) + " has closed before it was " + Conditions(command));
            return kExitNoWindow;
        }
        lastSeen = candidates.empty() ? nullptr : candidates.front();
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        if (timed && elapsed >= limit) {
            const std::string what = lastSeen != nullptr ? "; last seen:" : "; no window matched";
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%.1f", static_cast<double>(limit) / 1000.0);
            WriteError(std::string("timed out after ") + seconds + " s waiting for the window to be " + Conditions(command) + what);
            if (lastSeen != nullptr && ::IsWindow(lastSeen)) return Show(lastSeen, command.json, kExitTimedOut);
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

}  // namespace cli
