// The window event engine. Another process's windows (EventHelper.cpp) raise no WinEvent under Wine but their
// creation: the reconciliation finds the rest, once each and in order. In process, the test raises the rest.
// The SDK names the cloaking events from Windows 8 on: the table is checked against it all the same.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0602
#include "cli/WindowEvents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <thread>

#include "support/ChildJob.h"
#include "support/WindowTestSupport.h"

namespace {

using Kind = cli::WindowEventKind;
using cli::EventBit;

// The helper process; it ends with the test.
class Helper {
public:
    Helper() {
        wchar_t path[MAX_PATH] = {};
        std::wstring line(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
        line = L"\"" + line.substr(0, line.find_last_of(L'\\') + 1) + L"cli_event_helper.exe\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION p{};
        EXPECT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                                     &startup, &p));
        const fw::UniqueKernelObject process(p.hProcess), thread(p.hThread);
        EXPECT_TRUE(testsupport::KillWithThisProcess(p.hProcess));
        ::ResumeThread(p.hThread);
        pid = p.dwProcessId, m_thread = p.dwThreadId;
    }
    ~Helper() { ::PostThreadMessageW(m_thread, WM_QUIT, 0, 0); }
    HWND Find(const wchar_t* title) const {
        HWND window = nullptr;
        testsupport::PumpUntil([&] { return (window = ::FindWindowW(L"VelmoraEvent", title)) != nullptr; }, 5000);
        return window;
    }
    DWORD pid = 0;

private:
    DWORD m_thread = 0;
};

// One tracker and all it told.
struct Watch {
    explicit Watch(cli::WindowTrackerOptions o) : wanted(o.kinds), tracker(std::move(o)), snapshot(tracker.Start()) {}
    const cli::WindowEventSet wanted;
    cli::WindowTracker tracker;
    std::vector<cli::WindowState> snapshot;
    std::vector<cli::WindowEvent> events;
    unsigned missed = 0;

    // The window's event names, a run of "moved" as one; `moves` counts them all.
    std::string Kinds(HWND window, int* moves = nullptr) const {
        std::string kinds, last;
        for (const cli::WindowEvent& e : events) {
            if (e.state.handle != window) continue;
            if (moves && e.kind == Kind::Moved) ++*moves;
            if (last != "moved" || e.kind != Kind::Moved) {
                kinds += (kinds.empty() ? "" : " ") + (last = cli::WindowEventName(e.kind));
            }
        }
        return kinds;
    }
    const cli::WindowEvent* Last(HWND window, Kind kind) const {
        for (auto e = events.rbegin(); e != events.rend(); ++e) if (e->state.handle == window && e->kind == kind) return &*e;
        return nullptr;
    }
    // Whether this watch has told `kind` of the window, or never would.
    bool Told(HWND window, Kind kind) const { return !(wanted & EventBit(kind)) || Last(window, kind); }
};
using Watches = std::vector<std::unique_ptr<Watch>>;

// Polls every watch, as a caller's loop would, until `done` holds for all or the time is up.
bool Await(const Watches& watches, const std::function<bool(const Watch&)>& done, DWORD milliseconds = 3000) {
    return testsupport::PumpUntil([&] {
        for (const auto& w : watches) {
            for (cli::WindowEvent& e : w->tracker.Poll()) w->events.push_back(std::move(e));
            w->missed += w->tracker.TakeMissed();
        }
        return std::all_of(watches.begin(), watches.end(), [&](const auto& w) { return done(*w); });
    }, milliseconds);
}
const auto kNever = [](const Watch&) { return false; };

TEST(WindowEvents, EachKindHasItsSdkWinEventOnceAndANameThatParsesBack) {
    const std::pair<Kind, DWORD> sdk[] = {
        {Kind::Created, EVENT_OBJECT_CREATE}, {Kind::Destroyed, EVENT_OBJECT_DESTROY}, {Kind::Shown, EVENT_OBJECT_SHOW},
        {Kind::Hidden, EVENT_OBJECT_HIDE}, {Kind::Cloaked, EVENT_OBJECT_CLOAKED}, {Kind::Uncloaked, EVENT_OBJECT_UNCLOAKED},
        {Kind::Foreground, EVENT_SYSTEM_FOREGROUND}, {Kind::Minimized, EVENT_SYSTEM_MINIMIZESTART},
        {Kind::Restored, EVENT_SYSTEM_MINIMIZEEND}, {Kind::MoveSizeStart, EVENT_SYSTEM_MOVESIZESTART},
        {Kind::MoveSizeEnd, EVENT_SYSTEM_MOVESIZEEND}, {Kind::Moved, EVENT_OBJECT_LOCATIONCHANGE},
        {Kind::Renamed, EVENT_OBJECT_NAMECHANGE}};
    for (const auto& [kind, id] : sdk) EXPECT_EQ(cli::kWindowEventRows[static_cast<size_t>(kind)].winEvent, id) << cli::WindowEventName(kind);
    std::set<DWORD> ids;
    for (const cli::WindowEventRow& row : cli::kWindowEventRows) {
        EXPECT_TRUE(ids.insert(row.winEvent).second) << row.name;
        EXPECT_EQ(cli::FindWindowEventKind(row.name), row.kind);
    }
    for (const char* name : {"move-size", "Created", "moved ", ""}) EXPECT_FALSE(cli::FindWindowEventKind(name)) << name;
}

// Every set of kinds: its WinEvents and no other, in ranges apart from each other (neighbours would be one).
TEST(WindowEvents, HookRangesCoverExactlyTheSetsWinEventsJoiningOnlyNeighbours) {
    for (cli::WindowEventSet kinds = 0; kinds <= cli::kAllWindowEvents; ++kinds) {
        std::set<DWORD> wanted, covered;
        for (const cli::WindowEventRow& row : cli::kWindowEventRows) {
            if (kinds & EventBit(row.kind)) wanted.insert(row.winEvent);
        }
        std::optional<DWORD> last;
        for (const auto& [first, end] : cli::HookRanges(kinds)) {
            ASSERT_TRUE(first <= end && (!last || first > *last + 1)) << kinds;
            for (DWORD id = first; id <= end; ++id) covered.insert(id);
            last = end;
        }
        ASSERT_EQ(covered, wanted) << kinds;
    }
}

TEST(WindowEvents, AnotherProcessWindowsLifeArrivesInOrderOnceEachForEveryTracker) {
    const auto rename = [](HWND w) {
        wchar_t title[64] = {};
        ::GetWindowTextW(w, title, 64), ::SetWindowTextW(w, (title + std::wstring(L" renamed")).c_str());
    };
    const auto moves50 = [](HWND w) {
        for (int i = 49; i >= 0; --i) ::SetWindowPos(w, nullptr, 400 - 2 * i, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const std::pair<Kind, std::function<void(HWND)>> life[] = {
        {Kind::Shown, [](HWND w) { ::ShowWindow(w, SW_SHOWNOACTIVATE); }}, {Kind::Renamed, rename}, {Kind::Moved, moves50},
        {Kind::Hidden, [](HWND w) { ::ShowWindow(w, SW_HIDE); }}, {Kind::Destroyed, [](HWND w) { ::PostMessageW(w, WM_CLOSE, 0, 0); }}};
    const std::pair<cli::WindowEventSet, std::string> rows[] = {  // what a tracker wants, what it tells of the target
        {cli::kAllWindowEvents, "created shown renamed moved hidden destroyed"},
        {EventBit(Kind::Shown) | EventBit(Kind::Hidden), "shown hidden"},
        {EventBit(Kind::Created) | EventBit(Kind::Renamed) | EventBit(Kind::Destroyed), "created renamed destroyed"},
        {EventBit(Kind::Moved), "moved"}};
    const Helper helper;
    const HWND before = helper.Find(L"Target before"), decoy = helper.Find(L"Decoy");
    const auto selected = [&](const cli::WindowState& s) { return s.pid == helper.pid && s.title.starts_with(L"Target"); };
    Watches watches;
    for (const auto& [mask, told] : rows) watches.push_back(std::make_unique<Watch>(cli::WindowTrackerOptions{selected, mask, 40}));
    ASSERT_EQ(watches[0]->snapshot.size(), 1u);
    EXPECT_EQ(watches[0]->snapshot[0].handle, before);

    const HWND target = reinterpret_cast<HWND>(::SendMessageW(before, WM_APP, 0, 0));
    ASSERT_TRUE(Await(watches, [&](const Watch& w) { return w.Told(target, Kind::Created); }));
    EXPECT_TRUE(watches[0]->Last(target, Kind::Created)->fromPlatform);
    watches.push_back(std::make_unique<Watch>(cli::WindowTrackerOptions{{}, cli::kAllWindowEvents, 40, target}));
    ASSERT_EQ(watches.back()->snapshot.size(), 1u);
    for (const auto& [kind, act] : life) {
        act(decoy), act(target);
        RECT final{};
        ::GetWindowRect(target, &final);
        const Kind k = kind;
        ASSERT_TRUE(Await(watches, [&](const Watch& w) {
            const cli::WindowEvent* e = w.Last(target, k);
            return w.Told(target, k) && (!e || k != Kind::Moved || (final.left == 400 && ::EqualRect(&e->state.rect, &final)));
        })) << cli::WindowEventName(k);
    }
    // Leaving the selection reports the change that made it leave, and nothing after.
    ::SetWindowTextW(before, L"Left");
    ASSERT_TRUE(Await(watches, [&](const Watch& w) { return &w != watches[0].get() || w.Last(before, Kind::Renamed); }));
    ::PostMessageW(before, WM_CLOSE, 0, 0);
    Await(watches, kNever, 200);  // late doubles would arrive here

    int moves = 0;
    for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(watches[i]->Kinds(target, i ? nullptr : &moves), rows[i].second);
    EXPECT_LE(moves, 3);  // 50 moves at once
    EXPECT_EQ(watches[0]->Last(target, Kind::Renamed)->state.title, L"Target renamed");
    EXPECT_EQ(watches[0]->Kinds(before), "renamed");
    // Following the target alone, from after its creation.
    EXPECT_EQ(watches.back()->Kinds(target), "shown renamed moved hidden destroyed");
    for (const auto& w : watches) EXPECT_EQ(w->Kinds(decoy), "");
}

// Twenty windows of a millisecond each: every one told is created, then destroyed, once, in the order they
// came, whether it was read before it closed or only as its creation was reported. One that closed before its
// creation reached the tracker cannot be told from a child window: it is counted as missed instead, as all are
// when this thread does not look until they have gone.
TEST(WindowEvents, WindowsOfAMomentAreEachCreatedThenDestroyedInTheOrderTheyCameOrCounted) {
    for (const bool looking : {true, false}) {
        SCOPED_TRACE(looking ? "looking" : "not looking");
        const Helper helper;
        const HWND before = helper.Find(L"Target before");
        Watches watches;
        watches.push_back(std::make_unique<Watch>(cli::WindowTrackerOptions{
            [&](const cli::WindowState& s) { return s.pid == helper.pid && s.title.starts_with(L"Brief"); },
            EventBit(Kind::Created) | EventBit(Kind::Destroyed), 40}));
        if (looking) {
            ::PostMessageW(before, WM_APP + 1, 20, 5);
        } else {
            std::thread([before] { ::SendMessageW(before, WM_APP + 1, 20, 5); }).join();
        }
        std::vector<HWND> created, destroyed;
        const auto told = [&](const Watch& w) {
            created.clear(), destroyed.clear();
            for (const cli::WindowEvent& e : w.events) (e.kind == Kind::Created ? created : destroyed).push_back(e.state.handle);
            return destroyed.size() + w.missed >= 20;
        };
        Await(watches, told);
        Await(watches, kNever, 100);  // late doubles would arrive here
        told(*watches[0]);
        EXPECT_TRUE(!looking || !created.empty());  // how many depends on how soon this process runs
        EXPECT_EQ(created.size() + watches[0]->missed, 20u);
        EXPECT_EQ(destroyed, created);
        for (const HWND window : created) EXPECT_EQ(watches[0]->Kinds(window), "created destroyed");
    }
}

TEST(WindowEvents, OwnWindowMovesAreCoalescedAndAClosedWindowIsNotMisread) {
    const WNDCLASSW windowClass{0, ::DefWindowProcW, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"VelmoraEventsOwn"};
    ::RegisterClassW(&windowClass);
    Watches watches;
    watches.push_back(std::make_unique<Watch>(cli::WindowTrackerOptions{
        [](const cli::WindowState& s) { return s.className == L"VelmoraEventsOwn"; }, cli::kAllWindowEvents, 100, nullptr, false}));
    // Made visible after the start: the tracker reads it shown and tells so after its creation.
    const HWND own = ::CreateWindowExW(0, windowClass.lpszClassName, L"Own", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                                       nullptr, nullptr, nullptr, nullptr);
    ::ShowWindow(own, SW_SHOWNOACTIVATE);
    const auto raise = [own](DWORD winEvent) { ::NotifyWinEvent(winEvent, own, OBJID_WINDOW, CHILDID_SELF); };
    const ULONGLONG start = ::GetTickCount64();
    for (int i = 1; i <= 50; ++i, ::Sleep(2)) {
        ::SetWindowPos(own, nullptr, 10 + 2 * i, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        raise(EVENT_OBJECT_LOCATIONCHANGE);
        Await(watches, kNever, 0);
    }
    const ULONGLONG took = ::GetTickCount64() - start;
    RECT final{};
    ::GetWindowRect(own, &final);
    // Hidden before the held move went out: the move goes first, with the final rectangle.
    ::ShowWindow(own, SW_HIDE);
    raise(EVENT_OBJECT_HIDE);
    ASSERT_TRUE(Await(watches, [&](const Watch& w) { return w.Last(own, Kind::Hidden); }));
    Await(watches, kNever, 150);
    int moves = 0;
    ASSERT_EQ(watches[0]->Kinds(own, &moves), "created shown moved hidden");
    EXPECT_LE(moves, static_cast<int>(took / 100) + 2);  // at most one per 100 ms, and the last one
    EXPECT_TRUE(::EqualRect(&watches[0]->Last(own, Kind::Moved)->state.rect, &final));
    EXPECT_TRUE(watches[0]->Last(own, Kind::Moved)->fromPlatform && watches[0]->Last(own, Kind::Hidden)->fromPlatform);

    // Its name changes as it closes: the WinEvent finds no window to read, and the last facts read go out.
    watches[0]->events.clear();
    ::SetWindowTextW(own, L"Renamed while closing");
    raise(EVENT_OBJECT_NAMECHANGE);
    ::DestroyWindow(own);
    Await(watches, kNever, 300);
    ASSERT_EQ(watches[0]->Kinds(own), "destroyed");
    EXPECT_EQ(watches[0]->events[0].state.title, L"Own");
    EXPECT_TRUE(watches[0]->events[0].closed);
}

}  // namespace
