#pragma once
// What happens to top-level windows, as one ordered stream per tracker: the platform's WinEvents
// where it raises them, and a periodic comparison with the last known state for what it does not
// raise (another process's windows raise little under Wine). `wait` and `watch --windows` read it.
#include <windows.h>

#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "cli/WindowFields.h"
#include "framework/Handles.h"

namespace cli {

enum class WindowEventKind {
    Created, Destroyed, Shown, Hidden, Cloaked, Uncloaked, Foreground, Minimized, Restored,
    MoveSizeStart, MoveSizeEnd, Moved, Renamed
};

// One row per kind, in the enum's order: the name the tool prints and accepts, and the WinEvent
// that reports it. A new kind is its enumerator and its row; everything else counts the rows.
struct WindowEventRow {
    WindowEventKind kind;
    const char* name;
    DWORD winEvent;
};
inline constexpr WindowEventRow kWindowEventRows[] = {
    {WindowEventKind::Created, "created", EVENT_OBJECT_CREATE},
    {WindowEventKind::Destroyed, "destroyed", EVENT_OBJECT_DESTROY},
    {WindowEventKind::Shown, "shown", EVENT_OBJECT_SHOW},
    {WindowEventKind::Hidden, "hidden", EVENT_OBJECT_HIDE},
    // EVENT_OBJECT_CLOAKED and UNCLOAKED: the SDK names them from Windows 8 on, newer than our headers' target.
    {WindowEventKind::Cloaked, "cloaked", 0x8017},
    {WindowEventKind::Uncloaked, "uncloaked", 0x8018},
    {WindowEventKind::Foreground, "foreground", EVENT_SYSTEM_FOREGROUND},
    {WindowEventKind::Minimized, "minimized", EVENT_SYSTEM_MINIMIZESTART},
    {WindowEventKind::Restored, "restored", EVENT_SYSTEM_MINIMIZEEND},
    {WindowEventKind::MoveSizeStart, "move-size-start", EVENT_SYSTEM_MOVESIZESTART},
    {WindowEventKind::MoveSizeEnd, "move-size-end", EVENT_SYSTEM_MOVESIZEEND},
    {WindowEventKind::Moved, "moved", EVENT_OBJECT_LOCATIONCHANGE},
    {WindowEventKind::Renamed, "renamed", EVENT_OBJECT_NAMECHANGE},
};

// WindowEventName reads the row at the kind's index.
constexpr bool RowsInKindOrder() {
    for (size_t i = 0; i < std::size(kWindowEventRows); ++i) {
        if (static_cast<size_t>(kWindowEventRows[i].kind) != i) return false;
    }
    return true;
}
static_assert(RowsInKindOrder(), "kWindowEventRows: one row per kind, in the enum's order");

const char* WindowEventName(WindowEventKind kind);
std::optional<WindowEventKind> FindWindowEventKind(std::string_view name);
// Every name in the table's order, joined by the separator: for help texts and usage errors.
std::string WindowEventNames(std::string_view separator = ", ");

// A set of kinds, a bit per kind.
using WindowEventSet = unsigned;
constexpr WindowEventSet EventBit(WindowEventKind kind) { return 1u << static_cast<unsigned>(kind); }
constexpr WindowEventSet kAllWindowEvents = (WindowEventSet{1} << std::size(kWindowEventRows)) - 1;
static_assert(std::size(kWindowEventRows) < sizeof(WindowEventSet) * 8, "WindowEventSet: a bit per kind");

// The inclusive WinEvent id ranges that cover exactly the set's events, fewest first-to-last:
// neighbouring ids share one hook, a gap costs another rather than admitting foreign events.
std::vector<std::pair<DWORD, DWORD>> HookRanges(WindowEventSet kinds);

struct WindowEvent {
    WindowEventKind kind;
    WindowState state;
    ULONGLONG tick;     // GetTickCount64 when the change was seen
    bool fromPlatform;  // a WinEvent reported it, else the reconciliation found it
    // The window had closed when its facts were read: only what was read is valid. Destroyed
    // carries the last facts read while the window was open.
    bool closed;
};

struct WindowTrackerOptions {
    // Which windows to report; empty: every one. A change is reported when the filter takes the
    // window's state before it or after it, so that entering and leaving the selection show.
    std::function<bool(const WindowState&)> filter;
    WindowEventSet kinds = kAllWindowEvents;
    DWORD intervalMs = 250;  // between reconciliations, and between two "moved" of one window
    HWND only = nullptr;     // follow this window alone: no enumeration of the others
    bool skipOwnProcess = true;
    bool filterReadsCloaked = false;  // the filter looks at `cloaked`, so it is read for it
};

using fw::UniqueWinEventHook;

// Hooks run on the thread that calls Start, through its message queue: Start, Poll and the
// destructor belong to that thread, whose loop dispatches messages and then calls Poll, at the
// latest after NextWakeMs.
class WindowTracker {
public:
    explicit WindowTracker(WindowTrackerOptions options);
    ~WindowTracker();
    WindowTracker(const WindowTracker&) = delete;
    WindowTracker& operator=(const WindowTracker&) = delete;

    // Installs the hooks, then returns the matching windows in z-order, topmost first: the state
    // that the events which follow change.
    std::vector<WindowState> Start();
    std::vector<WindowEvent> Poll();
    DWORD NextWakeMs() const;
    // How many reports were lost since the last call, which the events cannot show: WinEvents
    // dropped for want of room, and windows reported created that had closed before they could
    // be read (top-level or not: a closed window cannot tell).
    unsigned TakeMissed() { return std::exchange(m_missed, 0u); }

private:
    struct Reading {
        WindowState state;
        bool closed;
    };
    struct Raised {
        HWND window;
        DWORD winEvent;
        ULONGLONG tick;
        // A new window read as its creation was reported: what is left of one that closes before Poll.
        std::optional<Reading> early;
        bool goneUnread;  // a creation reported after the window had closed, and nothing read of it
    };
    struct Known {
        WindowState state;
        ULONGLONG order = 0;       // when it appeared, against the others: the order of closes nobody reported
        bool matched = false;      // the filter took the state above
        bool movePending = false;  // a move held back by coalescing; its rectangle is in `state`
        bool moveReported = false; // a WinEvent reported one of the held moves
        ULONGLONG lastMoved = 0;   // when this window's last "moved" went out
    };
    using Events = std::vector<WindowEvent>;

    static void CALLBACK OnWinEvent(HWINEVENTHOOK hook, DWORD winEvent, HWND window, LONG object, LONG child,
                                    DWORD thread, DWORD time);
    void InstallHooks();
    void RemoveHooks();
    bool Wants(WindowEventKind kind) const { return (m_options.kinds & EventBit(kind)) != 0; }
    bool Matches(const WindowState& state) const;
    bool IsOwn(DWORD pid) const { return m_options.skipOwnProcess && pid == m_ownPid; }
    Reading Read(HWND window, const WindowState* known) const;
    std::optional<Reading> EarlyReading(HWND window) const;

    void Handle(const Raised& raised, Events& out);
    void Reconcile(ULONGLONG now, Events& out);
    // `early`: what was read as the window's creation was reported, for a window gone by now.
    void See(HWND window, std::optional<WindowEventKind> reported, ULONGLONG tick, Events& out,
             const std::optional<Reading>& early = std::nullopt);
    void Appeared(Reading reading, std::optional<WindowEventKind> reported, ULONGLONG tick, Events& out);
    void Changed(Known& known, WindowState now, std::optional<WindowEventKind> reported, ULONGLONG tick, Events& out);
    void Gone(HWND window, bool reported, ULONGLONG tick, Events& out);
    void FlushMove(Known& known, ULONGLONG tick, bool report, Events& out) const;
    void FlushDueMoves(ULONGLONG now, Events& out);
    void NoteForeground(HWND foreground);
    void Emit(WindowEventKind kind, const WindowState& state, bool fromPlatform, ULONGLONG tick, bool closed,
              Events& out) const;

    WindowTrackerOptions m_options;
    bool m_readCloaked;
    DWORD m_ownPid;
    std::vector<UniqueWinEventHook> m_hooks;
    std::vector<Raised> m_raised;
    bool m_overflowed = false;  // the queue was full and dropped WinEvents: reconcile at once
    unsigned m_missed = 0;
    std::unordered_map<HWND, Known> m_known;  // every top-level window seen, matching or not
    HWND m_foreground = nullptr;
    ULONGLONG m_nextReconcile = 0;
    ULONGLONG m_appeared = 0;  // windows that have appeared so far
    // Windows that appeared in the last two intervals, in order, gone or not: the ones whose
    // closes a window found closed at its first reading may follow unreported, and whose late
    // creation reports are no loss.
    std::vector<std::pair<ULONGLONG, HWND>> m_recent;
};

}  // namespace cli
