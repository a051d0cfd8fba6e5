// velmora watch: one line per DWM notification as it arrives and, asked, per event of the top-level
// windows (or of one window, with each change of its attributes), until Ctrl+C, N lines or S seconds.
#include <algorithm>
#include <functional>
#include <optional>
#include <atomic>
#include <deque>

#include "cli/Arguments.h"
#include "cli/Facts.h"
#include "cli/Meanings.h"
#include "cli/Output.h"
#include "cli/StopSignal.h"
#include "cli/Target.h"
#include "cli/WindowEvents.h"
#include "cli/WindowFields.h"
#include "dwm/DwmCalls.h"

namespace cli {
namespace {

struct WatchOptions {
    WindowArguments arguments;
    std::vector<std::string> events;
    std::optional<std::string> countTyped, secondsTyped, interval;
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

Message Settle(WatchOptions& watch) {
    if (auto message = SettleSelection(watch.arguments, watch.filter)) return message;
    watch.windows = watch.windows || HasSelectionOption(watch.arguments) || !watch.events.empty();
    if (!watch.arguments.window.empty()) {
        if (watch.windows) return "watch WINDOW follows one window: --windows, --events and the selection options watch many";
        WindowArguments named;
        named.window = watch.arguments.window;
        WindowSelector selector;
        if (auto message = SettleWindow(named, selector)) return message;
        watch.window = selector;
    }
    if (!watch.events.empty()) {
        watch.kinds = 0;
        for (const std::string& name : watch.events) {
            const auto kind = FindWindowEventKind(name);
            if (!kind) return "--events: unknown event " + Quoted(name) + " (events: " + WindowEventNames() + ")";
            watch.kinds |= EventBit(*kind);
        }
    }
    if (auto message = ParseInterval(watch.interval, watch.intervalMs)) return message;
    if (watch.countTyped) {
        watch.count = ParseNumber<unsigned>(*watch.countTyped);
        if (!watch.count || *watch.count == 0) return "--count: expected a number from 1, got " + Quoted(*watch.countTyped);
    }
    if (watch.secondsTyped) {
        double seconds = 0;
        if (auto message = ParseSeconds("--seconds", *watch.secondsTyped, false, seconds)) return message;
        watch.seconds = seconds;
    }
    return std::nullopt;
}

constexpr wchar_t kWindowClass[] = L"VelmoraWatch";

struct WatchEvent {
    std::string time;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    HRESULT queryResult = S_OK;  // composition changed: the query of the new state
    BOOL composition = FALSE;
};

// The notifications the DWM sends every top-level window. WM_DWMNCRENDERINGCHANGED goes only to the
// window whose rendering changed, never to a watcher.
bool IsDwmNotification(UINT message) {
    return message == WM_DWMCOMPOSITIONCHANGED || message == WM_DWMCOLORIZATIONCOLORCHANGED ||
           message == WM_DWMWINDOWMAXIMIZEDCHANGE;
}

LRESULT CALLBACK WatchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsDwmNotification(message)) {
        auto* events = reinterpret_cast<std::deque<WatchEvent>*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (events != nullptr) {
            try {
                WatchEvent event{Timestamp(), message, wParam, lParam, S_OK, FALSE};
                if (message == WM_DWMCOMPOSITIONCHANGED) event.queryResult = IsCompositionEnabled(&event.composition);
                events->push_back(std::move(event));
            } catch (...) {
                // Dropping one notification beats an exception through the system's dispatch.
            }
        }
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

Facts EventFacts(const WatchEvent& e) {
    switch (e.message) {
        case WM_DWMCOMPOSITIONCHANGED:
            return {{"time", Word{e.time}},
                    {"event", Word{"composition-changed"}},
                    {"composition", e.queryResult >= 0 ? Value{OnOff{e.composition != FALSE}} : CallResult(e.queryResult)}};
        case WM_DWMCOLORIZATIONCOLORCHANGED:
            return {{"time", Word{e.time}},
                    {"event", Word{"colorization-changed"}},
                    {"colorization", Colorization{static_cast<DWORD>(e.wParam), e.lParam != 0}}};
        default:
            return {{"time", Word{e.time}}, {"event", Word{"maximized-changed"}}, {"maximized", YesNo{e.wParam != 0}}};
    }
}

// A hidden top-level window: message-only windows get no broadcasts.
class WatchWindow {
public:
    explicit WatchWindow(std::deque<WatchEvent>* events) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &WatchWindowProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        ::RegisterClassExW(&windowClass);
        m_window = ::CreateWindowExW(0, kWindowClass, L"velmora watch", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                     windowClass.hInstance, nullptr);
        if (m_window != nullptr) ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(events));
    }
    ~WatchWindow() {
        if (m_window != nullptr) ::DestroyWindow(m_window);
        ::UnregisterClassW(kWindowClass, ::GetModuleHandleW(nullptr));
    }
    WatchWindow(const WatchWindow&) = delete;
    WatchWindow& operator=(const WatchWindow&) = delete;
    explicit operator bool() const { return m_window != nullptr; }

private:
    HWND m_window = nullptr;
};


// One window's facts and every attribute the DWM reports, as text to compare: a change is a line.
struct Watched {
    std::vector<std::pair<std::string, Value>> values;
};

Watched ReadWatched(HWND window, ProcessNames& names) {
    Watched watched;
    WindowProbe probe(window, names);
    for (const Fact& fact : ReadFields(probe, {"title", "visible", "minimized", "rect"})) watched.values.emplace_back(fact.key, fact.value);
    for (const dwm::Attribute& attribute : dwm::Attributes()) {
        if (!dwm::CanGet(attribute)) continue;
        watched.values.emplace_back(attribute.name, ReadingValue(attribute, probe.Attribute(attribute), Asked::AsPart));
    }
    return watched;
}

// `closed`: the window had closed as its facts were read, so some of them may be missing. The
// title goes last: in text it may hold anything.
Facts WindowLine(const char* event, const WindowState& state, ProcessNames& names, bool closed = false) {
    WindowProbe probe(state, names);
    Facts line{{"time", Word{Timestamp()}}, {"event", Word{event}}};
    for (Fact& fact : ReadFields(probe, {"handle", "pid", "process", "class", "rect"})) line.push_back(std::move(fact));
    if (closed) line.push_back({"closed", Mark{"closed"}});
    line.push_back(std::move(ReadFields(probe, {"title"}).front()));
    return line;
}

// What the selection options ask of a window the tracker reports.
std::function<bool(const WindowState&)> Filter(const WindowSelector& s, ProcessNames& names) {
    if (!s.title && !s.className && !s.pid && !s.process) return {};
    return [&s, &names](const WindowState& state) {
        WindowProbe probe(state, names);
        return probe.Matches(s);
    };
}

// Only where someone reads the stream as it comes.
bool IsConsole(HANDLE stream) {
    DWORD mode = 0;
    return ::GetConsoleMode(stream, &mode) != FALSE;
}

// The lines still to write, and how many a --count allows.
class Lines {
public:
    explicit Lines(const WatchOptions& command) : m_command(command) {}
    void Add(Facts facts, bool counted = true) { m_lines.push_back({std::move(facts), counted}); }
    // False when the watch is over: the count is reached, or the reader has gone.
    bool Flush() {
        for (; !m_lines.empty(); m_lines.pop_front()) {
            const auto& [facts, counted] = m_lines.front();
            if (counted && m_command.count && m_written >= *m_command.count) return false;
            if (!WriteOut(m_command.json ? LineJson(facts) : LineText(facts))) return false;
            if (counted) ++m_written;
        }
        return !m_command.count || m_written < *m_command.count;
    }

private:
    const WatchOptions& m_command;
    std::deque<std::pair<Facts, bool>> m_lines;
    unsigned m_written = 0;
};

int RunWatch(const WatchOptions& command) {
    HWND only = nullptr;
    if (command.window) {
        const Selection selection = SelectWindow(*command.window);
        if (selection.window == nullptr) {
            WriteError(selection.error);
            WriteErrorText(selection.matches);
            return kExitNoWindow;
        }
        only = selection.window;
    }
    ProcessNames names;
    std::optional<WindowTracker> tracker;
    Lines lines(command);
    if (command.windows || only != nullptr) {
        WindowTrackerOptions options;
        options.filter = Filter(command.filter, names);
        options.kinds = only != nullptr ? kAllWindowEvents : command.kinds;
        options.intervalMs = command.intervalMs;
        options.only = only;
        tracker.emplace(std::move(options));
        // The state first, so that a reader can follow it from the changes alone.
        for (const WindowState& state : tracker->Start()) lines.Add(WindowLine("snapshot", state, names), false);
        // Gone before the hooks were there to see it go: nothing would ever end the watch.
        if (only != nullptr && HasClosed(only)) return FinishClosed({}, command.json, only);
    }
    Watched watched = only != nullptr ? ReadWatched(only, names) : Watched{};
    // Last, so that once it is there (a test looks for it) every change is one the watch will see.
    std::deque<WatchEvent> events;
    StopSignal ctrlC;
    WatchWindow window(&events);
    if (!window || ctrlC.Event() == nullptr) {
        WriteError("cannot create the window that receives DWM notifications");
        return kExitFailed;
    }
    if (!command.json && IsConsole(::GetStdHandle(STD_OUTPUT_HANDLE))) WriteErrorText("watching; Ctrl+C stops\n");
    const ULONGLONG start = ::GetTickCount64();
    const ULONGLONG limit = command.seconds ? static_cast<ULONGLONG>(*command.seconds * 1000.0) : 0;
    ULONGLONG nextRead = start + command.intervalMs;
    const HANDLE stop = ctrlC.Event();
    for (bool ended = false; lines.Flush() && !ended;) {
        const ULONGLONG now = ::GetTickCount64();
        if (command.seconds && now - start >= limit) break;
        DWORD wait = command.seconds ? static_cast<DWORD>(limit - (now - start)) : INFINITE;
        if (tracker) wait = std::min(wait, tracker->NextWakeMs());
        if (only != nullptr) wait = std::min<DWORD>(wait, nextRead > now ? static_cast<DWORD>(nextRead - now) : 0);
        if (::MsgWaitForMultipleObjects(1, &stop, FALSE, wait, QS_ALLINPUT) == WAIT_OBJECT_0) break;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        for (; !events.empty(); events.pop_front()) lines.Add(EventFacts(events.front()));
        if (!tracker) continue;
        bool reread = only != nullptr && ::GetTickCount64() >= nextRead;
        for (const WindowEvent& event : tracker->Poll()) {
            // A destroyed window is closed by definition: its line says so by its name.
            const bool closed = event.closed && event.kind != WindowEventKind::Destroyed;
            lines.Add(WindowLine(WindowEventName(event.kind), event.state, names, closed));
            ended = ended || (only != nullptr && event.kind == WindowEventKind::Destroyed);
            reread = reread || only != nullptr;
        }
        // Mostly while the output was blocked: what went by unread is not there to tell, only to count.
        if (const unsigned missed = tracker->TakeMissed()) {
            lines.Add({{"time", Word{Timestamp()}}, {"event", Word{"dropped"}}, {"count", Integer{missed}}}, false);
        }
        if (!reread || ended || HasClosed(only)) continue;
        // Attributes raise no event: read again on the window's events and on the interval.
        nextRead = ::GetTickCount64() + command.intervalMs;
        Watched fresh = ReadWatched(only, names);
        if (HasClosed(only)) continue;  // what was read after it closed is not its own
        for (size_t i = 0; i < fresh.values.size(); ++i) {
            const auto& [name, value] = fresh.values[i];
            const Value& before = watched.values[i].second;
            if (ValueText(before) == ValueText(value)) continue;
            lines.Add({{"time", Word{Timestamp()}}, {"event", Word{"changed"}}, {"handle", Handle{only}},
                       {"change", Change{name, {{"from", before}, {"to", value}}}}});
        }
        watched = std::move(fresh);
    }
    lines.Flush();
    return FinishOutput(kExitOk);
}

}  // namespace

void DefineWatch(CommandDefinition& command) {
    auto options = command.Make<WatchOptions>();
    command.Positional("window", options->arguments.window, "WINDOW",
                       "one window to follow: its events and each change of its attributes");
    command.Flag("--windows", options->windows,
                 "the events of every top-level window (narrowed by the selection options), after a snapshot of them");
    DeclareSelection(command, options->arguments);
    command.Json(options->json);
    command.List("--events", options->events, "LIST", "the window events to show (default: all)", ',');
    command.Option("--interval", options->interval, "MS",
                   "look again every MS milliseconds for what raised no event (default 250)");
    command.Option("--count", options->countTyped, "N", "stop after N lines (the snapshot not counted)");
    command.Option("--seconds", options->secondsTyped, "S", "stop after S seconds");
    command.Footer(std::string("Window events: ") + WindowEventNames() +
                   ".\nA moving window reports \"moved\" at most once an interval, with its latest rectangle.");
    command.OnParsed([options] { return Settle(*options); }, [options] { return RunWatch(*options); });
}

}  // namespace cli
