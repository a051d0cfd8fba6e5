// Measures velmora.exe against its floors, console programs that do the same work with nothing
// around them: each command takes turns with its floor round by round; a row of the table a figure
// (Table.h).
//   bench_velmora.exe THEME ROUNDS WAIT_SECONDS [velmora|coverage|capture|matte|wait|watch]...
// WAIT_SECONDS is how long the waits that cannot end run for the wait figure's CPU (0: none).
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <sstream>
#include <string>
#include <vector>

#include "Programs.h"
#include "Table.h"

namespace bench {
namespace {

// The windows of bench_many_windows.exe and bench_target_windows.exe, by their titles. The class
// names are those of the first measurements, which the listings' sizes stay comparable with.
HWND ManyWindowsWindow(const wchar_t* title) { return BenchWindow(L"QuilletBenchFarm", title); }
HWND TargetWindow(const wchar_t* title) { return BenchWindow(L"QuilletBenchActor", title); }
HWND StackedWindow(const wchar_t* title) { return BenchWindow(L"QuilletBenchStack", title); }

// The share shown that a run printed after `key` ("shown 12.3 %" from velmora, "shown 12.3" from the floor).
double ShownIn(const std::string& output, const std::string& key) {
    const size_t at = output.find(key);
    return at == std::string::npos ? -1.0 : std::atof(output.c_str() + output.find_first_not_of(' ', at + key.size()));
}

// velmora.exe, started and run to its end as a script runs it, against console programs that do
// the least for the same result: nothing at all (the start), the enumeration floor (the listing,
// BareWindowList.h); and, to tell the calls from velmora's own code, against the same Win32 calls
// made bare (bench_calls_floor.exe).
void MeasureVelmora(int roundsAsked) {
    // A run takes a fraction of a second: three rounds for each asked, for steadier medians.
    const int rounds = 3 * roundsAsked;
    const ConsoleRunner run;
    const std::wstring velmora = Beside(L"velmora.exe");
    const std::wstring calls = Beside(L"bench_calls_floor.exe");
    {
        // One window of another process, alone.
        Program windows(Beside(L"bench_many_windows.exe") + L" 1");
        windows.WaitIdle();
        const std::wstring handle = HandleText(ManyWindowsWindow(L"Bench farm window 1 of 1"));
        // Wine's dwmapi.dll answers every attribute with E_NOTIMPL: velmora prints every line, exit status 1.
        const std::vector<Series> times = TakeTurns(
            run,
            {velmora + L" get " + handle, Beside(L"bench_empty_console.exe"), calls + L" get " + handle,
             calls + L" start"},
            rounds, [](size_t k, const ConsoleRunner::Run& r) {
                const bool reported = Occurrences(r.output, "Bench farm window 1 of 1") == 1;
                const bool ok = k == 0 ? r.exitCode <= 1 && reported : k == 2 ? r.exitCode == 0 && reported
                                                                              : r.exitCode == 0;
                if (!ok) Fail("a console program did not report the window");
            });
        const Series ratio = Divide(times[0], times[1]);
        Row(L"`velmora get WINDOW`, start to exit, against an empty console program, ms", times[0], times[1], L"%.0f",
            ratio, L"≤ 1.5", MedianAtMost(ratio, 1.5));
        Row(L"Start: a console program that loads user32.dll and calls nothing, against the empty one, ms", times[3],
            times[1], L"%.0f", Divide(times[3], times[1]), L"(reference)", true);
        Row(L"Start: the calls of `get` made bare against the empty console program, ms", times[2], times[1], L"%.0f",
            Divide(times[2], times[1]), L"(reference)", true);
        Row(L"Start: `velmora get WINDOW` against the calls of `get` made bare, ms", times[0], times[2], L"%.0f",
            Divide(times[0], times[2]), L"(reference)", true);
    }
    {
        const int n = 1000;
        Program windows(Beside(L"bench_many_windows.exe") + L" " + std::to_wstring(n));
        windows.WaitIdle();
        size_t rows[3] = {};
        const std::vector<Series> times =
            TakeTurns(run, {velmora + L" windows --json", calls + L" windows", calls + L" windows --facts"}, rounds,
                      [&](size_t k, const ConsoleRunner::Run& r) {
                          // Wine's dwmapi.dll fails every window call, and velmora's listing exits 1 for it.
                          const DWORD expected = k == 0 ? 1 : 0;
                          if (r.exitCode != expected || Occurrences(r.output, "Bench farm window") != static_cast<size_t>(n)) {
                              Fail("a window list lacks the other process's windows");
                          }
                          rows[k] = Occurrences(r.output, k == 0 ? "\"handle\"" : "\n");
                      });
        if (rows[0] != rows[1] || rows[1] != rows[2]) Fail("the window lists disagree");
        const Series ratio = Divide(times[0], times[1]);
        Row(L"`velmora windows --json`, N = " + std::to_wstring(n) + L" (" + std::to_wstring(rows[0]) +
                L" windows), start to exit, against the enumeration floor, ms",
            times[0], times[1], L"%.0f", ratio, L"≤ 1.15", MedianAtMost(ratio, 1.15));
        Row(L"Listing: the enumeration floor with each window's facts, fewest calls, against the floor, ms", times[2],
            times[1], L"%.0f", Divide(times[2], times[1]), L"(reference)", true);
        Row(L"Listing: `velmora windows --json` against the floor with the facts, ms", times[0], times[2], L"%.0f",
            Divide(times[0], times[2]), L"(reference)", true);
    }
}

// The coverage of windows by the windows above them, against the floor that computes the same with
// the fewest calls and velmora's own rectangle arithmetic (bench_coverage_floor.exe): `explain` of
// the window under 1000 of another process, and `windows --fields shown` over 100 and 1000, whose
// growth from the one to the other is the figure.
void MeasureCoverage(int roundsAsked) {
    const int rounds = 3 * roundsAsked;
    const ConsoleRunner run;
    const std::wstring velmora = Beside(L"velmora.exe"), floor = Beside(L"bench_coverage_floor.exe");
    std::vector<Series> listing[2];  // N = 100, 1000: velmora, floor
    for (const int n : {100, 1000}) {
        Program windows(Beside(L"bench_stacked_windows.exe") + L" " + std::to_wstring(n));
        windows.WaitIdle();
        const std::wstring count = std::to_wstring(n) + L" of " + std::to_wstring(n);
        StackedWindow((L"Bench stack window " + count).c_str());
        const std::wstring handle = HandleText(StackedWindow(L"Bench stack target"));
        double shown[2] = {-1, -1};
        const std::vector<Series> times = TakeTurns(
            run, {velmora + L" explain " + handle, floor + L" explain " + handle, velmora + L" windows --fields handle,shown,title",
                  floor + L" shown"},
            rounds, [&](size_t k, const ConsoleRunner::Run& r) {
                if (r.exitCode != 0) Fail("a coverage run failed");
                if (k < 2) shown[k] = ShownIn(r.output, k == 0 ? "\nshown " : "shown ");
                if (k >= 2 && Occurrences(r.output, k == 2 ? "Bench stack window" : "\t") < static_cast<size_t>(n)) {
                    Fail("a listing lacks the other process's windows");
                }
            });
        // One decimal either way: the same share, or one of them is wrong.
        if (shown[0] < 0 || std::fabs(shown[0] - shown[1]) > 0.051) Fail("velmora and the floor disagree on the share shown");
        if (n == 1000) {
            const Series ratio = Divide(times[0], times[1]);
            Row(L"`velmora explain W`, the window under 1000 of another process (" + std::to_wstring(std::lround(shown[0])) +
                    L" % shown), start to exit, against its coverage made bare, ms",
                times[0], times[1], L"%.0f", ratio, L"≤ 1.2", MedianAtMost(ratio, 1.2));
        }
        Row(L"`velmora windows --fields handle,shown,title`, " + std::to_wstring(n) + L" windows of another process, "
                L"against the floor, ms",
            times[2], times[3], L"%.0f", Divide(times[2], times[3]), L"(reference)", true);
        listing[n == 1000] = {times[2], times[3]};
    }
    // Round by round: each run at 1000 windows over the run at 100 of the same round.
    const Series toolGrowth = Divide(listing[1][0], listing[0][0]), floorGrowth = Divide(listing[1][1], listing[0][1]);
    const Series ratio = Divide(toolGrowth, floorGrowth);
    Row(L"`velmora windows --fields shown`: time at 1000 windows over time at 100, against the floor's", toolGrowth,
        floorGrowth, L"%.2f", ratio, L"≤ 1", MedianAtMost(ratio, 1.0));
}

// velmora capture --matte and look of a 1280 x 1000 window of another process, start to exit, against
// the bare work of the two takes and the alpha (bench_capture_floor.exe matte): with the PNG written
// for the capture, without for look, whose measuring comes on top.
void MeasureMatte(int roundsAsked) {
    const int rounds = 3 * roundsAsked;
    const ConsoleRunner run;
    const std::wstring velmora = Beside(L"velmora.exe"), floor = Beside(L"bench_capture_floor.exe");
    const std::wstring toolFile = TempPath(L"velmora-bench-matte.png"), floorFile = TempPath(L"velmora-bench-floor-matte.png");
    // Room around it for look's margin of 32 pixels.
    Program target(Beside(L"bench_target_windows.exe") + L" paint 1280 1000 100 100");
    target.WaitIdle();
    const std::wstring handle = HandleText(TargetWindow(L"Bench capture window"));
    const std::vector<Series> times = TakeTurns(
        run,
        {velmora + L" capture " + handle + L" --matte -o \"" + toolFile + L"\"", floor + L" matte " + handle + L" \"" + floorFile + L"\"",
         velmora + L" look " + handle, floor + L" matte " + handle + L" -"},
        rounds, [](size_t k, const ConsoleRunner::Run& r) {
            if (r.exitCode != 0 || (k == 2 && r.output.find(" square\n") == std::string::npos)) {
                Fail("a matte capture or look did not end as expected");
            }
        });
    Row(L"`velmora capture W --matte -o FILE`, 1280 × 1000, start to exit, against a backdrop, two BitBlts, the alpha and "
        L"WIC PNG, ms",
        times[0], times[1], L"%.0f", Divide(times[0], times[1]), L"≤ 1.2", MedianAtMost(Divide(times[0], times[1]), 1.2));
    Row(L"`velmora look W`, 1280 × 1000 and a margin of 32, start to exit, against a backdrop, two BitBlts and the alpha, ms",
        times[2], times[3], L"%.0f", Divide(times[2], times[3]), L"≤ 1.3", MedianAtMost(Divide(times[2], times[3]), 1.3));
    Print(L"| PNG with true transparency of the 1280 × 1000 window, bytes (velmora, floor) | %ls | %lld | %lld | — | — | — |\n",
          Theme(), FileBytes(toolFile), FileBytes(floorFile));
    ::DeleteFileW(toolFile.c_str());
    ::DeleteFileW(floorFile.c_str());
}

// velmora capture of a 1280 x 1000 window of another process, start to exit, against the bare
// work (bench_capture_floor.exe); the PNG's size; the peak memory, also for 3840 x 2160.
void MeasureCapture(int roundsAsked) {
    const int rounds = 3 * roundsAsked;
    const ConsoleRunner run;
    const std::wstring velmora = Beside(L"velmora.exe"), floor = Beside(L"bench_capture_floor.exe");
    const std::wstring toolFile = TempPath(L"velmora-bench-tool.png"), floorFile = TempPath(L"velmora-bench-floor.png");
    auto commands = [&](const std::wstring& handle) {
        return std::vector<std::wstring>{
            velmora + L" capture " + handle + L" -o \"" + toolFile + L"\" --method screen",
            floor + L" screen " + handle + L" \"" + floorFile + L"\"",
            velmora + L" capture " + handle + L" -o \"" + toolFile + L"\" --method print",
            floor + L" print " + handle + L" \"" + floorFile + L"\"",
            floor + L" screen-memory " + handle + L" \"" + floorFile + L"\""};
    };
    // Screen: exit 0 and a file; print of another process's window under Wine: black, refused.
    auto check = [](size_t k, const ConsoleRunner::Run& r) {
        const bool ok = k < 2 || k == 4 ? r.exitCode == 0 : r.exitCode == 1 && r.output.find("rendered nothing") != std::string::npos;
        if (!ok) Fail("a capture did not end as expected");
    };
    {
        Program target(Beside(L"bench_target_windows.exe") + L" paint 1280 1000");
        target.WaitIdle();
        const std::wstring handle = HandleText(TargetWindow(L"Bench capture window"));
        const std::vector<Series> times = TakeTurns(run, commands(handle), rounds, check);
        Row(L"`velmora capture W -o FILE --method screen`, 1280 × 1000, start to exit, against BitBlt + WIC PNG, ms",
            times[0], times[1], L"%.0f", Divide(times[0], times[1]), L"≤ 1.2", MedianAtMost(Divide(times[0], times[1]), 1.2));
        Row(L"`velmora capture W --method print`, 1280 × 1000, refused (black under Wine), exit 1, against "
            L"PrintWindow + one-colour check, ms",
            times[2], times[3], L"%.0f", Divide(times[2], times[3]), L"≤ 1.2", MedianAtMost(Divide(times[2], times[3]), 1.2));
        Row(L"Capture: velmora's steps around the encoder made bare (pixels copied out, memory stream, temporary "
            L"file, rename) against the floor, ms",
            times[4], times[1], L"%.0f", Divide(times[4], times[1]), L"(reference)", true);
        Row(L"Capture: `velmora capture --method screen` against those steps made bare, ms", times[0], times[4], L"%.0f",
            Divide(times[0], times[4]), L"(reference)", true);
        Print(L"| PNG of the 1280 × 1000 window, bytes (velmora, floor) | %ls | %lld | %lld | — | — | — |\n",
              Theme(), FileBytes(toolFile), FileBytes(floorFile));
    }
    // Peak memory, each command once more, its Linux process read while it runs.
    for (const int big : {0, 1}) {
        if (big && (::GetSystemMetrics(SM_CXSCREEN) < 3840 || ::GetSystemMetrics(SM_CYSCREEN) < 2160)) {
            Print(L"| Peak working set, 3840 × 2160: the screen is smaller, not measured | %ls | — | — | — | — | — |\n",
                  Theme());
            break;
        }
        Program target(Beside(L"bench_target_windows.exe") + (big ? L" paint 3840 2160" : L" paint 1280 1000"));
        target.WaitIdle();
        const std::wstring handle = HandleText(TargetWindow(L"Bench capture window"));
        const std::vector<std::wstring> list = commands(handle);
        double peak[4] = {};
        for (size_t k = 0; k < 4; ++k) {  // the fifth, screen-memory, is a reference for time only
            Background b(list[k], k % 2 ? "bench_capture_floor.exe" : "velmora.exe");
            const DWORD code = b.Wait();
            if (code != (k < 2 ? 0u : 1u)) Fail("a capture did not end as expected");
            peak[k] = b.Peak();
        }
        const wchar_t* size = big ? L"3840 × 2160" : L"1280 × 1000";
        Print(L"| Peak working set, capture --method screen, %ls, MB | %ls | %ls | %ls | %.2f | — | — |\n", size,
              Theme(), Mb(peak[0]).c_str(), Mb(peak[1]).c_str(), peak[0] / peak[1]);
        Print(L"| Peak working set, capture --method print (refused), %ls, MB | %ls | %ls | %ls | %.2f | — | — |\n", size,
              Theme(), Mb(peak[2]).c_str(), Mb(peak[3]).c_str(), peak[2] / peak[3]);
        if (big) {
            Print(L"| PNG of the 3840 × 2160 window, bytes (velmora, floor) | %ls | %lld | %lld | — | — | — |\n",
                  Theme(), FileBytes(toolFile), FileBytes(floorFile));
        }
    }
    ::DeleteFileW(toolFile.c_str());
    ::DeleteFileW(floorFile.c_str());
}

// CPU of `velmora wait` that cannot end (a handle that stays, with --gone; a title no window has)
// for `seconds`, at the default interval, against the floor polling the same at the same interval;
// both at once. Then the latency from a helper's ShowWindow to `velmora wait --visible` exiting.
void MeasureWait(int roundsAsked, int seconds) {
    const std::wstring velmora = Beside(L"velmora.exe"), floor = Beside(L"bench_wait_floor.exe");
    const std::wstring timeout = std::to_wstring(seconds);
    const wchar_t* never = L"\"no bench window has this title\"";
    for (const int n : {1, 100, 1000}) {
        if (seconds <= 0) break;
        Program windows(Beside(L"bench_many_windows.exe") + L" " + std::to_wstring(n));
        windows.WaitIdle();
        std::wstring toolCommand, floorCommand, figure;
        if (n == 1) {
            const std::wstring handle = HandleText(ManyWindowsWindow(L"Bench farm window 1 of 1"));
            toolCommand = velmora + L" wait " + handle + L" --gone --timeout " + timeout;
            floorCommand = floor + L" gone " + handle + L" 500 " + timeout;
            figure = L"`velmora wait HANDLE --gone` (one handle that stays)";
        } else {
            toolCommand = velmora + L" wait --title " + never + L" --timeout " + timeout;
            floorCommand = floor + L" title " + never + L" 500 " + timeout;
            figure = L"`velmora wait --title T` among " + std::to_wstring(n) + L" windows of another process";
        }
        Background tool(toolCommand, "velmora.exe"), bare(floorCommand, "bench_wait_floor.exe");
        ::Sleep(3000);  // both started and looked once
        const double toolBefore = CpuSeconds(tool.LinuxId()), floorBefore = CpuSeconds(bare.LinuxId());
        const double start = Now();
        ::Sleep(static_cast<DWORD>(seconds - 5) * 1000);
        const double toolAfter = CpuSeconds(tool.LinuxId()), floorAfter = CpuSeconds(bare.LinuxId());
        const double elapsed = Now() - start;
        if (tool.Wait() != 4 || bare.Wait() != 4) Fail("a wait did not time out");
        const double toolShare = (toolAfter - toolBefore) / elapsed * 100, floorShare = (floorAfter - floorBefore) / elapsed * 100;
        const double aim = n == 1 ? 0.1 : n == 100 ? 0.5 : -1;
        Print(L"| %ls, %.0f s of a %d s wait, %% of one core | %ls | %.3f | %.3f | %.2f | %ls | %ls |\n", figure.c_str(),
              elapsed, seconds, Theme(), toolShare, floorShare, floorShare > 0 ? toolShare / floorShare : 0.0,
              aim < 0 ? L"(reference)" : aim == 0.1 ? L"< 0.1 %" : L"< 0.5 %",
              aim < 0 ? L"—" : toolShare < aim ? L"met" : L"**not met**");
    }
    // Latency: the waiter started, then after 1 to 1.5 s (the same delay for both in a round) the
    // helper shows its window; from the helper's ShowWindow to the waiter's process ending. Under
    // Wine's dwmapi.dll `wait --visible` never holds (the cloaked state reads as unknown), so the
    // helper also renames the window as it shows it and the waiters wait for the new title; neither
    // the show nor the rename raises an event in another process under Wine 8: both poll.
    Program target(Beside(L"bench_target_windows.exe") + L" hidden");
    target.WaitIdle();
    const HWND window = TargetWindow(L"Bench wait window");
    const std::wstring handle = HandleText(window);
    {
        Background visible(velmora + L" wait " + handle + L" --visible --timeout 3");
        ::Sleep(1000);
        ::SendMessageW(window, WM_APP, 0, 0);
        const DWORD code = visible.Wait();
        ::SendMessageW(window, WM_APP + 1, 0, 0);
        Print(L"| `velmora wait HANDLE --visible --timeout 3`, the window shown after 1 s: exit status | %ls | %lu | — | — | "
              L"0 | %ls |\n",
              Theme(), code, code == 0 ? L"met" : L"**not met**");
    }
    const wchar_t* shown = L" \"wait window shown\"";
    const std::wstring commands[2] = {velmora + L" wait --title" + shown + L" --timeout 20",
                                      floor + L" title" + shown + L" 500 20"};
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    const int runs = 3 * roundsAsked;
    Series latency[2];
    for (int round = -1; round < runs; ++round) {
        const DWORD delay = 1000 + static_cast<DWORD>((round + 1) * 173 % 500);
        for (int turn = 0; turn < 2; ++turn) {
            const int k = (round + turn + 2) % 2;
            Background waiter(commands[k]);
            ::Sleep(delay);
            const LRESULT at = ::SendMessageW(window, WM_APP, 1, 0);
            const DWORD code = waiter.Wait();
            const double seconds = waiter.Ended() - static_cast<double>(at) / static_cast<double>(frequency.QuadPart);
            ::SendMessageW(window, WM_APP + 1, 0, 0);
            if (code != 0 || waiter.Output().find(std::string(handle.begin() + 2, handle.end())) == std::string::npos) {
                std::fprintf(stderr, "exit %lu:\n%s\n", code, waiter.Output().c_str());
                Fail("a wait did not see the window shown");
            }
            if (round >= 0) latency[k].push_back(seconds * 1e3);
        }
    }
    const double ratio = Summarise(latency[0]).median / Summarise(latency[1]).median;
    Print(L"| `velmora wait --title T`: helper's ShowWindow + rename to exit, ms (%d runs each; ratio of the medians) | %ls "
          L"| %ls | %ls | %.2f | ≤ 1.2 | %ls |\n",
          runs, Theme(), Cell(latency[0], L"%.0f").c_str(), Cell(latency[1], L"%.0f").c_str(), ratio,
          ratio <= 1.2 ? L"met" : L"**not met**");
}

// velmora watch --windows --json while a helper creates, shows, renames and destroys `count`
// windows, one every `periodMs`, each `lifeMs` after it was made: each must be in the stream
// created once, then destroyed once, in the helper's order.
void MeasureWatch(int count, int periodMs, int lifeMs) {
    const int seconds = 3 + (count * periodMs + lifeMs) / 1000 + 5;
    const std::wstring handles = TempPath(L"velmora-bench-churn.txt");
    Background watch(Beside(L"velmora.exe") + L" watch --windows --json --seconds " + std::to_wstring(seconds),
                     "velmora.exe");
    for (int i = 0; i < 30; ++i) ::Sleep(100), watch.SamplePeak();  // the snapshot is out
    const double start = Now();
    double churnSeconds = 0;
    {
        Background churn(Beside(L"bench_target_windows.exe") + L" churn " + std::to_wstring(count) + L" " +
                         std::to_wstring(periodMs) + L" " + std::to_wstring(lifeMs) + L" \"" + handles + L"\"");
        while (churn.Running()) ::Sleep(100), watch.SamplePeak();
        if (churn.Wait() != 0) Fail("the churn failed");
        churnSeconds = churn.Ended() - start;
    }
    if (!watch.Running()) Fail("watch ended before the churn");
    if (watch.Wait() != 0) Fail("watch failed");
    // The helper's handles in order, and the stream's lines about them.
    std::istringstream list(ReadFileText(std::string(handles.begin(), handles.end())));
    ::DeleteFileW(handles.c_str());
    std::vector<std::string> order;
    for (std::string line; std::getline(list, line);) order.push_back(line.substr(0, 10));  // no '\r'
    std::vector<std::string> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) Fail("the churn reused a handle");
    if (static_cast<int>(order.size()) != count) Fail("the churn's handles are missing");
    std::vector<int> created(order.size()), destroyed(order.size()), shown(order.size()), renamed(order.size());
    int lastCreated = -1, lastDestroyed = -1, createdOutOfOrder = 0, destroyedOutOfOrder = 0, destroyedFirst = 0, lines = 0;
    std::istringstream stream(watch.Output());
    for (std::string line; std::getline(stream, line);) {
        const size_t e = line.find("\"event\":\""), h = line.find("\"handle\":\"");
        if (e == std::string::npos || h == std::string::npos) continue;
        ++lines;
        const std::string event = line.substr(e + 9, line.find('"', e + 9) - e - 9);
        const std::string handle = line.substr(h + 10, 10);
        const auto at = std::find(order.begin(), order.end(), handle);
        if (at == order.end()) continue;
        const int k = static_cast<int>(at - order.begin());
        if (event == "created") {
            ++created[k];
            if (k < lastCreated) ++createdOutOfOrder;
            lastCreated = k;
        } else if (event == "destroyed") {
            ++destroyed[k];
            if (created[k] == 0) ++destroyedFirst;
            if (k < lastDestroyed) ++destroyedOutOfOrder;
            lastDestroyed = k;
        } else if (event == "shown") {
            ++shown[k];
        } else if (event == "renamed") {
            ++renamed[k];
        }
    }
    auto total = [](const std::vector<int>& v) { int s = 0; for (int x : v) s += x; return s; };
    auto missing = [](const std::vector<int>& v) { int s = 0; for (int x : v) s += x == 0; return s; };
    auto twice = [](const std::vector<int>& v) { int s = 0; for (int x : v) s += x > 1; return s; };
    // The order asked for is each window's own; across windows it is told as a reference.
    const bool ok = missing(created) == 0 && missing(destroyed) == 0 && twice(created) == 0 && twice(destroyed) == 0 &&
                    destroyedFirst == 0;
    const std::wstring life = lifeMs == 0 ? L"at once" : std::to_wstring(lifeMs) + L" ms after";
    Print(L"| `velmora watch --windows --json`, %d windows created, shown, renamed, destroyed %ls, one every %d ms (%.1f s): "
          L"lines created / destroyed / shown / renamed | %ls | %d / %d / %d / %d | — | — | each created, then destroyed, "
          L"once | %ls |\n",
          count, life.c_str(), periodMs, churnSeconds, Theme(), total(created), total(destroyed), total(shown), total(renamed),
          ok ? L"met" : L"**not met**");
    // Out of order: a line about an earlier window of the helper after one about a later window.
    Print(L"| watch: missing created / destroyed, twice created / destroyed, destroyed before created | %ls | %d / %d, "
          L"%d / %d, %d | — | — | all 0 | %ls |\n",
          Theme(), missing(created), missing(destroyed), twice(created), twice(destroyed), destroyedFirst,
          ok ? L"met" : L"**not met**");
    Print(L"| watch: created / destroyed lines after a later window's | %ls | %d / %d | — | — | (reference) | — |\n",
          Theme(), createdOutOfOrder, destroyedOutOfOrder);
    Print(L"| watch: peak working set over the run (%d lines), MB | %ls | %ls | — | — | — | — |\n", lines, Theme(),
          Mb(watch.Peak()).c_str());
}
}  // namespace
}  // namespace bench

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_velmora THEME ROUNDS WAIT_SECONDS [velmora|coverage|capture|matte|wait|watch]...\n");
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);
    bench::SetTheme(argv[1]);
    const int rounds = std::max(1, _wtoi(argv[2]));
    const int waitSeconds = _wtoi(argv[3]);
    auto wanted = [&](const wchar_t* figure) {
        if (argc == 4) return true;
        for (int i = 4; i < argc; ++i) {
            if (std::wcscmp(argv[i], figure) == 0) return true;
        }
        return false;
    };
    try {
        if (wanted(L"velmora")) bench::MeasureVelmora(rounds);
        if (wanted(L"coverage")) bench::MeasureCoverage(rounds);
        if (wanted(L"capture")) bench::MeasureCapture(rounds);
        if (wanted(L"matte")) bench::MeasureMatte(rounds);
        if (wanted(L"wait")) bench::MeasureWait(rounds, waitSeconds);
        // Windows of a moment, then windows that live as long as a dialog flashed open.
        if (wanted(L"watch")) bench::MeasureWatch(1000, 20, 0), bench::MeasureWatch(1000, 20, 100);
    } catch (const bench::Failure& failure) {
        std::fprintf(stderr, "bench_velmora: %s\n", failure.what);
        return 1;
    }
    return 0;
}
