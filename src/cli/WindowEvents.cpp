// The window event engine: WinEvent hooks queue what the platform reports, Poll turns the queue
// into changes against the last known state of each window, and a periodic reconciliation finds
// the changes no hook reported. Comparing with one remembered state is what keeps every change
// to one line, whichever of the two sees it first.
#include "cli/WindowEvents.h"

#include <algorithm>

namespace cli {
namespace {

const WindowEventRow* RowOf(DWORD winEvent) {
    for (const WindowEventRow& row : kWindowEventRows) {
        if (row.winEvent == winEvent) return &row;
    }
    return nullptr;
}

// The state changes a reading can reveal, in the order one reading reports them: what makes a
// window appear before what changes it, what makes it disappear last. Moved is apart: it is
// coalesced.
struct Change {
    WindowEventKind kind;
    bool (*happened)(const WindowState& before, const WindowState& now);
};
constexpr Change kChanges[] = {
    {WindowEventKind::Shown, [](const WindowState& b, const WindowState& n) { return !b.visible && n.visible; }},
    {WindowEventKind::Uncloaked, [](const WindowState& b, const WindowState& n) { return b.cloaked && !n.cloaked; }},
    {WindowEventKind::Restored, [](const WindowState& b, const WindowState& n) { return b.minimized && !n.minimized; }},
    {WindowEventKind::Renamed, [](const WindowState& b, const WindowState& n) { return b.title != n.title; }},
    {WindowEventKind::Foreground, [](const WindowState& b, const WindowState& n) { return !b.foreground && n.foreground; }},
    {WindowEventKind::Minimized, [](const WindowState& b, const WindowState& n) { return !b.minimized && n.minimized; }},
    {WindowEventKind::Cloaked, [](const WindowState& b, const WindowState& n) { return !b.cloaked && n.cloaked; }},
    {WindowEventKind::Hidden, [](const WindowState& b, const WindowState& n) { return b.visible && !n.visible; }},
};

std::vector<WindowEventKind> Differences(const WindowState& before, const WindowState& now) {
    std::vector<WindowEventKind> kinds;
    for (const Change& change : kChanges) {
        if (change.happened(before, now)) kinds.push_back(change.kind);
    }
    return kinds;
}

// WinEvents that report an act rather than a state: nothing to compare, only the report.
bool IsAct(WindowEventKind kind) {
    return kind == WindowEventKind::MoveSizeStart || kind == WindowEventKind::MoveSizeEnd;
}

// Beyond this many unread WinEvents the queue drops them and the next Poll reconciles instead:
// a caller that stops polling must not make the hooks grow memory without end.
constexpr size_t kMaxRaised = 4096;

// Hooks are per thread, and so is the map from a hook to the tracker that installed it. A hook
// found in no entry belongs to a tracker already gone: its late WinEvents are dropped.
struct HookOwner {
    HWINEVENTHOOK hook;
    WindowTracker* tracker;
};
thread_local std::vector<HookOwner> t_hookOwners;

// What the enumeration would list: message-only windows have a root of their own too, but
// another parent than the desktop.
bool IsTopLevel(HWND window) {
    return ::GetAncestor(window, GA_ROOT) == window && ::GetAncestor(window, GA_PARENT) == ::GetDesktopWindow();
}

}  // namespace

const char* WindowEventName(WindowEventKind kind) { return kWindowEventRows[static_cast<size_t>(kind)].name; }

std::optional<WindowEventKind> FindWindowEventKind(std::string_view name) {
    for (const WindowEventRow& row : kWindowEventRows) {
        if (name == row.name) return row.kind;
    }
    return std::nullopt;
}

std::string WindowEventNames(std::string_view separator) {
    std::string names;
    for (const WindowEventRow& row : kWindowEventRows) names.append(names.empty() ? "" : separator).append(row.name);
    return names;
}

std::vector<std::pair<DWORD, DWORD>> HookRanges(WindowEventSet kinds) {
    std::vector<DWORD> ids;
    for (const WindowEventRow& row : kWindowEventRows) {
        if (kinds & EventBit(row.kind)) ids.push_back(row.winEvent);
    }
    std::sort(ids.begin(), ids.end());
    std::vector<std::pair<DWORD, DWORD>> ranges;
    for (const DWORD id : ids) {
        if (!ranges.empty() && ranges.back().second + 1 == id) {
            ranges.back().second = id;
        } else {
            ranges.emplace_back(id, id);
        }
    }
    return ranges;
}

WindowTracker::WindowTracker(WindowTrackerOptions options)
    : m_options(std::move(options)),
      m_readCloaked(Wants(WindowEventKind::Cloaked) || Wants(WindowEventKind::Uncloaked) || m_options.filterReadsCloaked),
      m_ownPid(::GetCurrentProcessId()) {}

WindowTracker::~WindowTracker() { RemoveHooks(); }

void WindowTracker::RemoveHooks() {
    std::erase_if(t_hookOwners, [this](const HookOwner& owner) { return owner.tracker == this; });
    m_hooks.clear();
}

void WindowTracker::InstallHooks() {
    RemoveHooks();
    // One window alone: only its thread's WinEvents are worth a message each. Where the system
    // will not hook another process's thread (Wine), its process, else every process.
    DWORD pid = 0, thread = 0;
    if (m_options.only != nullptr) thread = ::GetWindowThreadProcessId(m_options.only, &pid);
    const std::pair<DWORD, DWORD> sources[] = {{pid, thread}, {pid, 0}, {0, 0}};
    const DWORD flags = WINEVENT_OUTOFCONTEXT | (m_options.skipOwnProcess ? WINEVENT_SKIPOWNPROCESS : 0);
    for (const auto& [first, last] : HookRanges(m_options.kinds)) {
        UniqueWinEventHook hook;
        for (const auto& [process, from] : sources) {
            if (!hook) hook.reset(::SetWinEventHook(first, last, nullptr, &OnWinEvent, process, from, flags));
        }
        // Without a hook the reconciliation still finds every change, only later.
        if (!hook) continue;
        t_hookOwners.push_back({hook.get(), this});
        m_hooks.push_back(std::move(hook));
    }
}

void CALLBACK WindowTracker::OnWinEvent(HWINEVENTHOOK hook, DWORD winEvent, HWND window, LONG object, LONG child,
                                        DWORD, DWORD) {
    // Only windows themselves: the cursor and carets alone raise a location change per movement.
    if (object != OBJID_WINDOW || child != CHILDID_SELF || window == nullptr) return;
    try {
        for (const HookOwner& owner : t_hookOwners) {
            if (owner.hook != hook) continue;
            WindowTracker* tracker = owner.tracker;
            if (tracker->m_raised.size() < kMaxRaised) {
                // Read now, not at the next Poll: a window that lives a moment may be gone by then.
                std::optional<Reading> early;
                const bool creation = winEvent == EVENT_OBJECT_CREATE;
                if (creation) early = tracker->EarlyReading(window);
                const bool goneUnread = creation && !early && !tracker->m_options.only && !::IsWindow(window);
                tracker->m_raised.push_back({window, winEvent, ::GetTickCount64(), std::move(early), goneUnread});
            } else {
                tracker->m_overflowed = true;
                ++tracker->m_missed;
            }
            return;
        }
    } catch (...) {
        // A lost WinEvent is found again by the reconciliation; an exception here would cross the system.
    }
}

bool WindowTracker::Matches(const WindowState& state) const {
    return !IsOwn(state.pid) && (!m_options.filter || m_options.filter(state));
}

WindowTracker::Reading WindowTracker::Read(HWND window, const WindowState* known) const {
    // A handle's process and class never change: a known window is not asked again.
    WindowProbe probe = known != nullptr ? WindowProbe(window, known->pid, known->className) : WindowProbe(window);
    Reading r{probe.State(m_readCloaked), false};
    // Asked last: if the window is gone now, some of the answers above came from no window.
    r.closed = !::IsWindow(window);
    return r;
}

// Only a window that is top-level now: once closed, a child window could not be told from one.
std::optional<WindowTracker::Reading> WindowTracker::EarlyReading(HWND window) const {
    if (m_known.count(window) != 0 || (m_options.only != nullptr && window != m_options.only) || !IsTopLevel(window)) {
        return std::nullopt;
    }
    DWORD pid = 0;
    if (::GetWindowThreadProcessId(window, &pid) == 0 || IsOwn(pid)) return std::nullopt;
    return Read(window, nullptr);
}

std::vector<WindowState> WindowTracker::Start() {
    InstallHooks();
    // Taken after the hooks: a window that changes meanwhile is both read here and queued, and
    // the queued WinEvent then compares with what was read, so it is neither lost nor doubled.
    m_known.clear();
    m_recent.clear();
    m_raised.clear();
    m_overflowed = false;
    m_missed = 0;
    m_foreground = ::GetForegroundWindow();
    const std::vector<HWND> windows = m_options.only != nullptr ? std::vector<HWND>{m_options.only} : TopLevelWindows();
    std::vector<WindowState> snapshot;
    for (const HWND window : windows) {
        DWORD pid = 0;
        if (::GetWindowThreadProcessId(window, &pid) == 0 || IsOwn(pid)) continue;
        Reading reading = Read(window, nullptr);
        if (reading.closed) continue;
        Known known{std::move(reading.state)};
        known.order = m_appeared++;
        known.matched = Matches(known.state);
        if (known.matched) snapshot.push_back(known.state);
        m_known.emplace(window, std::move(known));
    }
    m_nextReconcile = ::GetTickCount64() + m_options.intervalMs;
    return snapshot;
}

std::vector<WindowEvent> WindowTracker::Poll() {
    Events out;
    // Reading a window of this process may take in sent messages, WinEvents among them, which
    // append to the queue: handle a copy.
    std::vector<Raised> raised;
    raised.swap(m_raised);
    for (const Raised& r : raised) Handle(r, out);
    const ULONGLONG now = ::GetTickCount64();
    if (now >= m_nextReconcile || m_overflowed) {
        m_overflowed = false;
        Reconcile(now, out);
        m_nextReconcile = now + m_options.intervalMs;
    }
    FlushDueMoves(now, out);
    return out;
}

DWORD WindowTracker::NextWakeMs() const {
    if (!m_raised.empty() || m_overflowed) return 0;
    ULONGLONG due = m_nextReconcile;
    for (const auto& [window, known] : m_known) {
        if (known.movePending) due = std::min(due, known.lastMoved + m_options.intervalMs);
    }
    const ULONGLONG now = ::GetTickCount64();
    return due > now ? static_cast<DWORD>(std::min<ULONGLONG>(due - now, m_options.intervalMs)) : 0;
}

void WindowTracker::Handle(const Raised& raised, Events& out) {
    const WindowEventRow* row = RowOf(raised.winEvent);
    if (row == nullptr) return;
    if (m_options.only != nullptr && raised.window != m_options.only) return;
    if (row->kind == WindowEventKind::Destroyed) {
        // The handle is dead by now and tells nothing: only a window we knew can be reported. One
        // still alive is being destroyed; the reconciliation reports it once it is gone.
        if (m_known.count(raised.window) != 0 && !::IsWindow(raised.window)) Gone(raised.window, true, raised.tick, out);
        return;
    }
    // A closed window has no root: a known one is reported gone by the reconciliation, a new one
    // by what was read of it as its creation was reported.
    if (!IsTopLevel(raised.window)) {
        if (raised.early && m_known.count(raised.window) == 0) Appeared(*raised.early, row->kind, raised.tick, out);
        // Came and went before anything could read it: not a word in the stream but this count.
        const auto told = [&](const auto& recent) { return recent.second == raised.window; };
        if (raised.goneUnread && m_known.count(raised.window) == 0 && std::none_of(m_recent.begin(), m_recent.end(), told)) {
            ++m_missed;
        }
        return;
    }
    if (row->kind == WindowEventKind::Foreground) NoteForeground(raised.window);
    See(raised.window, row->kind, raised.tick, out, raised.early);
}

void WindowTracker::Reconcile(ULONGLONG now, Events& out) {
    NoteForeground(::GetForegroundWindow());
    // Missing from the list is no proof of death: the list may have stopped short, and it leaves
    // out the windows of Store apps that a hook reported. Only a handle that is no window any
    // more is gone. Known windows go first, in the order they appeared (the order they close, as
    // often as any guess can be), then new ones bottom first: a newer window mostly lies above.
    std::vector<std::pair<ULONGLONG, HWND>> known;
    known.reserve(m_known.size());
    for (const auto& [window, k] : m_known) known.emplace_back(k.order, window);
    std::sort(known.begin(), known.end());
    for (const auto& [order, window] : known) {
        if (::IsWindow(window)) {
            See(window, std::nullopt, now, out);
        } else {
            Gone(window, false, now, out);
        }
    }
    const std::vector<HWND> listed = m_options.only != nullptr ? std::vector<HWND>{m_options.only} : TopLevelWindows();
    for (auto window = listed.rbegin(); window != listed.rend(); ++window) {
        if (m_known.count(*window) == 0 && ::IsWindow(*window)) See(*window, std::nullopt, now, out);
    }
}

void WindowTracker::See(HWND window, std::optional<WindowEventKind> reported, ULONGLONG tick, Events& out,
                        const std::optional<Reading>& early) {
    const auto it = m_known.find(window);
    if (it == m_known.end()) {
        DWORD pid = 0;
        // The process first: the process's own windows cost no more than this one question.
        if (::GetWindowThreadProcessId(window, &pid) == 0 || IsOwn(pid)) {
            // Gone as it was looked at: what was read as its creation was reported is all there is.
            if (early) Appeared(*early, reported, tick, out);
            return;
        }
        Reading reading = Read(window, nullptr);
        // Closed while it was read, some of its facts may be missing (a title the filter needs):
        // the reading made as its creation was reported is whole.
        if (reading.closed && early) reading = *early;
        Appeared(std::move(reading), reported, tick, out);
        return;
    }
    Reading reading = Read(window, &it->second.state);
    if (reading.closed) {
        Gone(window, reported == WindowEventKind::Destroyed, tick, out);
    } else {
        Changed(it->second, std::move(reading.state), reported, tick, out);
    }
}

void WindowTracker::Appeared(Reading reading, std::optional<WindowEventKind> reported, ULONGLONG tick, Events& out) {
    Known known{std::move(reading.state)};
    known.order = m_appeared++;
    known.matched = Matches(known.state);
    // Every window begins hidden, restored, uncloaked and in the background: what it became before
    // this first reading goes out as changes, so that the stream is the same whether the window was
    // read before or after it was shown, and a tracker that does not want "created" still learns.
    if (known.matched) {
        Emit(WindowEventKind::Created, known.state, reported == WindowEventKind::Created, tick, reading.closed, out);
        WindowState begun = known.state;
        begun.visible = begun.minimized = begun.foreground = false;
        begun.cloaked = 0;
        for (const WindowEventKind kind : Differences(begun, known.state)) {
            Emit(kind, known.state, reported == kind, tick, reading.closed, out);
        }
        if (reported && IsAct(*reported)) Emit(*reported, known.state, true, tick, reading.closed, out);
    }
    const HWND window = known.state.handle;
    // Kept a while after they have gone too: a late report of their creation is no loss.
    std::erase_if(m_recent, [&](const auto& entry) { return entry.first + 2 * m_options.intervalMs < tick; });
    m_recent.emplace_back(tick, window);
    // Gone already: its close goes out now, as nothing will report it later, after those of the
    // windows that came before it and have gone too.
    if (reading.closed || !::IsWindow(window)) {
        // Read as it closed, what the filter asks may be missing: whether it matched cannot be told.
        if (reading.closed && !known.matched) ++m_missed;
        for (const auto& [appeared, recent] : m_recent) {
            if (m_known.count(recent) != 0 && !::IsWindow(recent)) Gone(recent, false, tick, out);
        }
        if (known.matched) Emit(WindowEventKind::Destroyed, known.state, false, tick, true, out);
        return;
    }
    m_known.emplace(window, std::move(known));
}

// Moves are coalesced per window: the first move after a quiet interval goes out at once; later
// ones only update the remembered rectangle and mark a move pending, which goes out when the
// interval since the last "moved" has passed (FlushDueMoves), or just before any other event of
// the window, so that order holds. Each "moved" carries the rectangle of the latest reading, and
// the reconciliation reads every rectangle again, so the final position is always reported.
void WindowTracker::Changed(Known& known, WindowState now, std::optional<WindowEventKind> reported, ULONGLONG tick,
                            Events& out) {
    const std::vector<WindowEventKind> changes = Differences(known.state, now);
    const bool moved = !::EqualRect(&known.state.rect, &now.rect);
    const bool matchesNow = Matches(now);
    // A window entering or leaving the selection reports the change that made it so.
    const bool report = known.matched || matchesNow;
    known.state = std::move(now);
    known.matched = matchesNow;
    if (moved && Wants(WindowEventKind::Moved)) {
        known.movePending = true;
        known.moveReported = known.moveReported || reported == WindowEventKind::Moved;
    }
    const bool act = reported && IsAct(*reported);
    if (known.movePending && (!changes.empty() || act || tick >= known.lastMoved + m_options.intervalMs)) {
        FlushMove(known, tick, report, out);
    }
    if (!report) return;
    for (const WindowEventKind kind : changes) Emit(kind, known.state, reported == kind, tick, false, out);
    if (act) Emit(*reported, known.state, true, tick, false, out);
}

void WindowTracker::Gone(HWND window, bool reported, ULONGLONG tick, Events& out) {
    const auto it = m_known.find(window);
    if (it == m_known.end()) return;
    Known& known = it->second;
    if (known.movePending) FlushMove(known, tick, known.matched, out);
    if (known.matched) Emit(WindowEventKind::Destroyed, known.state, reported, tick, true, out);
    if (m_foreground == window) m_foreground = nullptr;
    m_known.erase(it);
}

void WindowTracker::FlushMove(Known& known, ULONGLONG tick, bool report, Events& out) const {
    if (report) Emit(WindowEventKind::Moved, known.state, known.moveReported, tick, false, out);
    known.movePending = known.moveReported = false;
    known.lastMoved = tick;
}

void WindowTracker::FlushDueMoves(ULONGLONG now, Events& out) {
    for (auto& [window, known] : m_known) {
        if (known.movePending && now >= known.lastMoved + m_options.intervalMs) FlushMove(known, now, known.matched, out);
    }
}

// Losing the foreground raises no event of its own: the previous window's flag drops quietly, so
// that its next activation compares as a change.
void WindowTracker::NoteForeground(HWND foreground) {
    if (foreground == m_foreground) return;
    if (const auto it = m_known.find(m_foreground); it != m_known.end()) it->second.state.foreground = false;
    m_foreground = foreground;
}

void WindowTracker::Emit(WindowEventKind kind, const WindowState& state, bool fromPlatform, ULONGLONG tick,
                         bool closed, Events& out) const {
    if (Wants(kind)) out.push_back({kind, state, tick, fromPlatform, closed});
}

}  // namespace cli
