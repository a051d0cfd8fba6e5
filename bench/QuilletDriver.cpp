// Measures Quillet.exe against its floor (bench_quillet_floor.exe) and its templates alone
// (bench_quillet_templates.exe): each program takes turns with its floor round by round; a row of
// the table a figure (Table.h).
//   bench_quillet.exe THEME ROUNDS LOG_LINES IDLE_SECONDS [start|enum|log|idle]...
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <memory>
#include <string>
#include <vector>

#include "Programs.h"
#include "Table.h"

namespace bench {
namespace {
constexpr int kLogList = 1000;
constexpr int kRefresh = 1004;
constexpr int kWindowList = 1010;
constexpr int kCap = 200;
constexpr wchar_t kToolCaption[] = L"Velmora";
constexpr wchar_t kFloorCaption[] = L"Quillet bench floor";
constexpr wchar_t kStartLine[] = L"START Velmora";

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchControl(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<ControlSearch*>(parameter);
    if (::GetDlgCtrlID(window) != search.id) return TRUE;
    search.found = window;
    return FALSE;
}

// A control anywhere below the main window: the tool keeps its controls in panels.
HWND FindControl(HWND main, int id) {
    ControlSearch search{id, nullptr};
    ::EnumChildWindows(main, MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring LineOf(HWND list, int index) {
    const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length < 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::max<LRESULT>(0, copied)));
    return text;
}

// The tool or the floor, and the windows the driver talks to. Both get the same messages.
struct Variant {
    Variant(const wchar_t* programName, const wchar_t* mainCaption) : program(programName), caption(mainCaption) {}

    void Start() {
        process = std::make_unique<Program>(Beside(program));
        process->WaitIdle();
        main = process->Main(caption);
        logList = FindControl(main, kLogList);
        windowList = FindControl(main, kWindowList);
        if (logList == nullptr || windowList == nullptr) Fail("a control is missing");
        // The button beside the window list: the tool's status panel has a 1004 of its own.
        refreshTarget = ::GetParent(windowList);
        refreshButton = ::GetDlgItem(refreshTarget, kRefresh);
        if (refreshButton == nullptr) Fail("the refresh button is missing");
    }
    void Stop() { process.reset(); }
    double Refresh() const {
        const double start = Now();
        ::SendMessageW(refreshTarget, WM_COMMAND, MAKEWPARAM(kRefresh, BN_CLICKED),
                       reinterpret_cast<LPARAM>(refreshButton));
        return Now() - start;
    }
    int Rows() const { return static_cast<int>(::SendMessageW(windowList, LVM_GETITEMCOUNT, 0, 0)); }
    double Lines(int count) const {
        const double start = Now();
        for (int i = 0; i < count; ++i) ::SendMessageW(main, WM_DWMNCRENDERINGCHANGED, TRUE, 0);
        return Now() - start;
    }

    const wchar_t* program;
    const wchar_t* caption;
    std::unique_ptr<Program> process;
    HWND main = nullptr, logList = nullptr, windowList = nullptr, refreshTarget = nullptr, refreshButton = nullptr;
};

// Process start to the main dialog painted and waiting for input, its log showing the start line;
// also the tool's templates with no code behind them, to tell Wine's cost of the tool's user
// interface from the cost of the tool's code.
void MeasureStart(int rounds) {
    Variant tool(L"Quillet.exe", kToolCaption), floor(L"bench_quillet_floor.exe", kFloorCaption),
        templates(L"bench_quillet_templates.exe", kToolCaption);
    Series times[3];  // tool, floor, templates
    Variant* order[] = {&tool, &floor, &templates};
    for (int round = -1; round < rounds; ++round) {  // round -1 warms the file cache
        std::rotate(order, order + 1, order + 3);
        for (Variant* v : order) {
            const double start = Now();
            v->Start();
            const double elapsed = Now() - start;
            if (v == &tool && LineOf(v->logList, 0) != kStartLine) Fail("the tool's log lacks its start line");
            v->Stop();
            if (round >= 0) times[v == &tool ? 0 : v == &floor ? 1 : 2].push_back(elapsed * 1e3);
        }
    }
    const Series ratio = Divide(times[0], times[1]);
    Row(L"Start to first full paint, ms", times[0], times[1], L"%.0f", ratio, L"≤ 1.25", MedianAtMost(ratio, 1.25));
    Row(L"Start: the tool's templates alone (no code behind them) against the floor, ms", times[2], times[1],
        L"%.0f", Divide(times[2], times[1]), L"(reference)", true);
    Row(L"Start: Quillet.exe against its templates alone, ms", times[0], times[2], L"%.0f",
        Divide(times[0], times[2]), L"(reference)", true);
}

// Button 1004 against the floor's refill, over N windows of another process.
void MeasureEnumeration(int rounds) {
    Variant tool(L"Quillet.exe", kToolCaption), floor(L"bench_quillet_floor.exe", kFloorCaption);
    tool.Start();
    floor.Start();
    Series perWindow[2][2];  // [N = 1000, 3000][tool, floor], µs per listed window
    for (int n : {100, 1000, 3000}) {
        Program windows(Beside(L"bench_many_windows.exe") + L" " + std::to_wstring(n));
        windows.WaitIdle();
        tool.Refresh(), floor.Refresh();
        // The tool lists the desktop too.
        if (tool.Rows() != floor.Rows() + 1 || floor.Rows() < n) Fail("the two window lists disagree");
        Series toolTimes, floorTimes;
        for (int round = 0; round < rounds; ++round) {
            if (round % 2) {
                toolTimes.push_back(tool.Refresh() * 1e3), floorTimes.push_back(floor.Refresh() * 1e3);
            } else {
                floorTimes.push_back(floor.Refresh() * 1e3), toolTimes.push_back(tool.Refresh() * 1e3);
            }
        }
        const Series ratio = Divide(toolTimes, floorTimes);
        const std::wstring figure = L"Window-list refresh, N = " + std::to_wstring(n) + L" (" +
                                    std::to_wstring(tool.Rows()) + L" rows), ms";
        if (n == 1000) {
            Row(figure, toolTimes, floorTimes, L"%.1f", ratio, L"≤ 1.15", MedianAtMost(ratio, 1.15));
        } else {
            Row(figure, toolTimes, floorTimes, L"%.1f", ratio, L"(reference)", true);
        }
        if (n != 100) {
            perWindow[n == 3000][0] = Scale(toolTimes, 1e3 / tool.Rows());
            perWindow[n == 3000][1] = Scale(floorTimes, 1e3 / floor.Rows());
        }
    }
    const Series toolGrowth = Divide(perWindow[1][0], perWindow[0][0]);
    const Series floorGrowth = Divide(perWindow[1][1], perWindow[0][1]);
    Print(L"| Refresh per window, N = 3000 against N = 1000 (each program's own ratio) | %ls | %ls | %ls | — | "
          L"tool ≤ 1.10 | %ls |\n",
          Theme(), Cell(toolGrowth, L"%.2f").c_str(), Cell(floorGrowth, L"%.2f").c_str(),
          MedianAtMost(toolGrowth, 1.10) ? L"met" : L"**not met**");
}

// One WM_DWMNCRENDERINGCHANGED, one log line past the cap; blocks of lines take turns.
void MeasureLog(int rounds, int totalLines) {
    Variant tool(L"Quillet.exe", kToolCaption), floor(L"bench_quillet_floor.exe", kFloorCaption);
    tool.Start();
    floor.Start();
    const int blocksPerRound = 10;
    const int block = std::max(1, totalLines / rounds / blocksPerRound);
    Series toolBlocks, floorBlocks;  // seconds per block, in order
    Series toolRounds, floorRounds;
    for (int round = 0; round < rounds; ++round) {
        double toolTime = 0, floorTime = 0;
        for (int b = 0; b < blocksPerRound; ++b) {
            if ((round * blocksPerRound + b) % 2) {
                toolTime += toolBlocks.emplace_back(tool.Lines(block));
                floorTime += floorBlocks.emplace_back(floor.Lines(block));
            } else {
                floorTime += floorBlocks.emplace_back(floor.Lines(block));
                toolTime += toolBlocks.emplace_back(tool.Lines(block));
            }
        }
        toolRounds.push_back(toolTime * 1e6 / (block * blocksPerRound));
        floorRounds.push_back(floorTime * 1e6 / (block * blocksPerRound));
    }
    if (::SendMessageW(tool.logList, LB_GETCOUNT, 0, 0) != kCap ||
        LineOf(tool.logList, kCap - 1) != LineOf(floor.logList, kCap - 1)) {
        Fail("the tool's log does not end with the newest line");
    }
    const int lines = block * blocksPerRound * rounds;
    const Series ratio = Divide(toolRounds, floorRounds);
    Row(L"Log line, " + std::to_wstring(lines) + L" lines, µs per line", toolRounds, floorRounds, L"%.0f", ratio,
        L"≤ 1.10", MedianAtMost(ratio, 1.10));
    if (lines < 10000) return;  // too few lines to speak of flatness
    // The last tenth of the lines against the first tenth, block against block.
    const size_t tenth = toolBlocks.size() / 10, last = toolBlocks.size() - tenth;
    auto drift = [&](const Series& blocks) {
        Series out;
        for (size_t i = 0; i < tenth; ++i) out.push_back(blocks[last + i] / blocks[i]);
        return out;
    };
    // A machine that gets busier during the run slows both alike; the floor's blocks, taken in turns
    // with the tool's, tell that from a tool that slows down with use.
    const Series toolDrift = drift(toolBlocks), floorDrift = drift(floorBlocks);
    const Series relative = Divide(toolDrift, floorDrift);
    const Summary s = Summarise(relative);
    Print(L"| Log flatness, lines %d–%d against 1–%d (each program's own ratio) | %ls | %ls | %ls | %ls | "
          L"within ±10 %% | %ls |\n",
          lines - lines / 10 + 1, lines, lines / 10, Theme(), Cell(toolDrift, L"%.2f").c_str(),
          Cell(floorDrift, L"%.2f").c_str(), Cell(relative, L"%.2f").c_str(),
          s.median >= 0.90 && s.median <= 1.10 ? L"met" : L"**not met**");
}

// CPU time of instances started together and left alone (the tool's two one-second timers run).
void MeasureIdle(int instances, int seconds) {
    std::vector<std::unique_ptr<Variant>> variants;
    for (int i = 0; i < instances; ++i) {
        variants.push_back(std::make_unique<Variant>(L"Quillet.exe", kToolCaption));
        variants.push_back(std::make_unique<Variant>(L"bench_quillet_floor.exe", kFloorCaption));
    }
    for (auto& v : variants) v->Start();
    ::Sleep(2000);  // the first ticks of both timers are behind
    const char* programs[] = {"Quillet.exe", "bench_quillet_floor.exe"};
    Series before[2], share[2];  // [tool, floor]; share in % of one core
    for (int k = 0; k < 2; ++k) before[k] = CpuSecondsOf(programs[k]);
    const double start = Now();
    ::Sleep(static_cast<DWORD>(seconds) * 1000);
    const double elapsed = Now() - start;
    for (int k = 0; k < 2; ++k) {
        const Series after = CpuSecondsOf(programs[k]);
        if (before[k].size() != static_cast<size_t>(instances) || after.size() != before[k].size()) {
            Fail("the idle instances are not all found in /proc");
        }
        for (size_t i = 0; i < after.size(); ++i) share[k].push_back((after[i] - before[k][i]) / elapsed * 100);
    }
    Print(L"| Idle for %d s, %% of one core (%d of each at once) | %ls | %ls | %ls | — | < 0.3 %% | %ls |\n", seconds,
          instances, Theme(), Cell(share[0], L"%.3f").c_str(), Cell(share[1], L"%.3f").c_str(),
          Summarise(share[0]).median < 0.3 ? L"met" : L"**not met**");
}

}  // namespace
}  // namespace bench

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: bench_quillet THEME ROUNDS LOG_LINES IDLE_SECONDS [start|enum|log|idle]...\n");
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);
    bench::SetTheme(argv[1]);
    const int rounds = std::max(1, _wtoi(argv[2]));
    const int logLines = _wtoi(argv[3]);
    const int idleSeconds = _wtoi(argv[4]);
    auto wanted = [&](const wchar_t* figure) {
        if (argc == 5) return true;
        for (int i = 5; i < argc; ++i) {
            if (std::wcscmp(argv[i], figure) == 0) return true;
        }
        return false;
    };
    try {
        if (wanted(L"start")) bench::MeasureStart(rounds);
        if (wanted(L"enum")) bench::MeasureEnumeration(rounds);
        if (wanted(L"log") && logLines > 0) bench::MeasureLog(rounds, logLines);
        if (wanted(L"idle") && idleSeconds > 0) bench::MeasureIdle(rounds, idleSeconds);
    } catch (const bench::Failure& failure) {
        std::fprintf(stderr, "bench_quillet: %s\n", failure.what);
        return 1;
    }
    return 0;
}
