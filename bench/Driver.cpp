// Measures Quillet.exe against its floor (bench_floor.exe), and velmora.exe against its console
// floors (bench_console_floor.exe, bench_console_calls.exe), side by side: each program takes turns
// with its floor round by round, and each figure is printed as one markdown table row, median
// (min–max) over the rounds for the tool, for the floor and for their ratio taken round by round.
//   bench_driver.exe THEME ROUNDS LOG_LINES IDLE_SECONDS [start|enum|log|idle|velmora]...
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <fcntl.h>
#include <fstream>
#include <io.h>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {
constexpr int kLogList = 1000;
constexpr int kRefresh = 1004;
constexpr int kWindowList = 1010;
constexpr int kCap = 200;
constexpr wchar_t kToolCaption[] = L"Velmora";
constexpr wchar_t kFloorCaption[] = L"Quillet bench floor";
constexpr wchar_t kStartLine[] = L"START Velmora";
constexpr DWORD kTimeoutMs = 60000;

struct Failure {
    const char* what;
};

// Unwinds to wmain, so that every started program is ended on the way.
[[noreturn]] void Fail(const char* what) { throw Failure{what}; }

double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::wstring Beside(const wchar_t* name) {  // a program in the driver's own directory, quoted
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    directory.erase(directory.find_last_of(L"\\/") + 1);
    return L"\"" + directory + name + L"\"";
}

struct TopLevelSearch {
    DWORD processId;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<TopLevelSearch*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t text[64] = {};
    ::GetWindowTextW(window, text, 64);
    if (owner != search.processId || !::IsWindowVisible(window) || std::wcscmp(text, search.caption) != 0) return TRUE;
    search.found = window;
    return FALSE;
}

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

// One started program, ended when the object goes: asked to close first, killed after 10 s.
class Program {
public:
    explicit Program(std::wstring commandLine) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &m_process)) {
            Fail("cannot start a program");
        }
    }
    ~Program() {
        ::PostThreadMessageW(m_process.dwThreadId, WM_QUIT, 0, 0);
        if (m_main != nullptr) ::PostMessageW(m_main, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(m_process.hProcess, 10000) != WAIT_OBJECT_0) {
            ::TerminateProcess(m_process.hProcess, 1);
        }
        ::CloseHandle(m_process.hThread);
        ::CloseHandle(m_process.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Returns once the program has painted everything and waits for input.
    void WaitIdle() const {
        if (::WaitForInputIdle(m_process.hProcess, kTimeoutMs) != 0) Fail("a program did not become idle");
    }
    HWND Main(const wchar_t* caption) {
        TopLevelSearch search{m_process.dwProcessId, caption, nullptr};
        ::EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) Fail("a program shows no main window");
        return m_main = search.found;
    }

private:
    PROCESS_INFORMATION m_process{};
    HWND m_main = nullptr;
};

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

using Series = std::vector<double>;

struct Summary {
    double median, min, max;
};

Summary Summarise(Series values) {
    if (values.empty()) return {0, 0, 0};
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return {n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2, values.front(), values.back()};
}

Series Divide(const Series& a, const Series& b) {
    Series out;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) out.push_back(a[i] / b[i]);
    return out;
}

Series Scale(Series values, double factor) {
    for (double& value : values) value *= factor;
    return values;
}

std::wstring g_theme;

// The table goes out as UTF-8 whatever the console's code page.
void Print(const wchar_t* format, ...) {
    wchar_t text[1024];
    va_list args;
    va_start(args, format);
    std::vswprintf(text, 1024, format, args);
    va_end(args);
    char bytes[4096];
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof(bytes), nullptr, nullptr);
    if (length > 1) std::fwrite(bytes, 1, static_cast<size_t>(length - 1), stdout);
    std::fflush(stdout);
}

std::wstring Cell(const Series& values, const wchar_t* format) {
    if (values.empty()) return L"—";
    const Summary s = Summarise(values);
    const std::wstring layout = std::wstring(format) + L" (" + format + L"–" + format + L")";
    wchar_t text[128];
    std::swprintf(text, 128, layout.c_str(), s.median, s.min, s.max);
    return text;
}

// | figure | theme | Quillet.exe | floor | ratio | target | verdict |, the verdict on the median.
void Row(const std::wstring& figure, const Series& tool, const Series& floor, const wchar_t* format,
         const Series& ratio, const wchar_t* target, bool met) {
    Print(L"| %ls | %ls | %ls | %ls | %ls | %ls | %ls |\n", figure.c_str(), g_theme.c_str(), Cell(tool, format).c_str(),
          Cell(floor, format).c_str(), Cell(ratio, L"%.2f").c_str(), target, met ? L"met" : L"**not met**");
}

bool MedianAtMost(const Series& values, double limit) { return !values.empty() && Summarise(values).median <= limit; }

// Process start to the main dialog painted and waiting for input, its log showing the start line;
// also the tool's templates with no code behind them, to tell Wine's cost of the tool's user
// interface from the cost of the tool's code.
void MeasureStart(int rounds) {
    Variant tool(L"Quillet.exe", kToolCaption), floor(L"bench_floor.exe", kFloorCaption),
        templates(L"bench_templates.exe", kToolCaption);
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
    Variant tool(L"Quillet.exe", kToolCaption), floor(L"bench_floor.exe", kFloorCaption);
    tool.Start();
    floor.Start();
    Series perWindow[2][2];  // [N = 1000, 3000][tool, floor], µs per listed window
    for (int n : {100, 1000, 3000}) {
        Program farm(Beside(L"bench_farm.exe") + L" " + std::to_wstring(n));
        farm.WaitIdle();
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
          g_theme.c_str(), Cell(toolGrowth, L"%.2f").c_str(), Cell(floorGrowth, L"%.2f").c_str(),
          MedianAtMost(toolGrowth, 1.10) ? L"met" : L"**not met**");
}

// One WM_DWMNCRENDERINGCHANGED, one log line past the cap; blocks of lines take turns.
void MeasureLog(int rounds, int totalLines) {
    Variant tool(L"Quillet.exe", kToolCaption), floor(L"bench_floor.exe", kFloorCaption);
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
          lines - lines / 10 + 1, lines, lines / 10, g_theme.c_str(), Cell(toolDrift, L"%.2f").c_str(),
          Cell(floorDrift, L"%.2f").c_str(), Cell(relative, L"%.2f").c_str(),
          s.median >= 0.90 && s.median <= 1.10 ? L"met" : L"**not met**");
}

std::string ReadFileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// CPU seconds of this Wine prefix's processes running `program`, one entry per process. Wine has
// no CPU times for other processes (GetProcessTimes gives zeros), so they come from Linux's /proc,
// which Wine shows under Z:; the prefix tells these processes from other runs' on the machine.
Series CpuSecondsOf(const std::string& program) {
    char prefix[MAX_PATH] = {};
    ::GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    const std::string ownPrefix = std::string("WINEPREFIX=") + prefix + '\0';
    Series seconds;
    WIN32_FIND_DATAA entry;
    const HANDLE search = ::FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) Fail("no /proc under Z:");
    do {
        if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
        const std::string directory = std::string("Z:\\proc\\") + entry.cFileName + "\\";
        const std::string commandLine = ReadFileText(directory + "cmdline");
        const std::string name = commandLine.substr(0, commandLine.find('\0'));
        if (name.size() < program.size() || name.compare(name.size() - program.size(), program.size(), program) != 0 ||
            ReadFileText(directory + "environ").find(ownPrefix) == std::string::npos) {
            continue;
        }
        // utime and stime, the 14th and 15th fields, in clock ticks of 1/100 s; the 2nd may hold blanks.
        const std::string stat = ReadFileText(directory + "stat");
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string field;
        double ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i >= 14) ticks += std::stod(field);
        }
        seconds.push_back(ticks / 100);
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    return seconds;
}

// CPU time of instances started together and left alone (the tool's two one-second timers run).
void MeasureIdle(int instances, int seconds) {
    std::vector<std::unique_ptr<Variant>> variants;
    for (int i = 0; i < instances; ++i) {
        variants.push_back(std::make_unique<Variant>(L"Quillet.exe", kToolCaption));
        variants.push_back(std::make_unique<Variant>(L"bench_floor.exe", kFloorCaption));
    }
    for (auto& v : variants) v->Start();
    ::Sleep(2000);  // the first ticks of both timers are behind
    const char* programs[] = {"Quillet.exe", "bench_floor.exe"};
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
          instances, g_theme.c_str(), Cell(share[0], L"%.3f").c_str(), Cell(share[1], L"%.3f").c_str(),
          Summarise(share[0]).median < 0.3 ? L"met" : L"**not met**");
}

// A console program run to its end with stdout and stderr in a file of its own, as a script would
// run it: CreateProcess to the end of the process. The file is made before and read after.
class ConsoleRunner {
public:
    struct Run {
        double seconds;
        DWORD exitCode;
        std::string output;
    };

    ConsoleRunner() {
        char directory[MAX_PATH] = {}, path[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, directory);
        if (::GetTempFileNameA(directory, "vlm", 0, path) == 0) Fail("no temporary file");
        m_path = path;
    }
    ~ConsoleRunner() { ::DeleteFileA(m_path.c_str()); }
    ConsoleRunner(const ConsoleRunner&) = delete;
    ConsoleRunner& operator=(const ConsoleRunner&) = delete;

    Run operator()(std::wstring commandLine) const {
        SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
        const HANDLE out = ::CreateFileA(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out == INVALID_HANDLE_VALUE) Fail("cannot open the output file");
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = out;
        PROCESS_INFORMATION process{};
        const double start = Now();
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                              &process)) {
            ::CloseHandle(out);
            Fail("cannot start a console program");
        }
        const DWORD waited = ::WaitForSingleObject(process.hProcess, kTimeoutMs);
        const double elapsed = Now() - start;
        DWORD exitCode = 0;
        ::GetExitCodeProcess(process.hProcess, &exitCode);
        if (waited != WAIT_OBJECT_0) ::TerminateProcess(process.hProcess, 1);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        ::CloseHandle(out);
        if (waited != WAIT_OBJECT_0) Fail("a console program did not end");
        return {elapsed, exitCode, ReadFileText(m_path)};
    }

private:
    std::string m_path;
};

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

// One of the farm's windows, by its title.
HWND FarmWindow(const wchar_t* title) {
    const HWND window = ::FindWindowW(L"QuilletBenchFarm", title);
    if (window == nullptr) Fail("the farm's window is missing");
    return window;
}

std::wstring HandleText(HWND window) {
    wchar_t text[24];
    std::swprintf(text, 24, L"0x%08llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    return text;
}

// Console programs run to their end in turns, round by round, the order rotating; a first round
// warms the file cache and is not counted. check(k, run) refuses a run that did not do its work.
// Milliseconds, one series per command.
template <typename Check>
std::vector<Series> TakeTurns(const ConsoleRunner& run, const std::vector<std::wstring>& commands, int rounds,
                              Check check) {
    std::vector<Series> times(commands.size());
    std::vector<size_t> order;
    for (size_t k = 0; k < commands.size(); ++k) order.push_back(k);
    for (int round = -1; round < rounds; ++round) {
        std::rotate(order.begin(), order.begin() + 1, order.end());
        for (const size_t k : order) {
            const ConsoleRunner::Run r = run(commands[k]);
            check(k, r);
            if (round >= 0) times[k].push_back(r.seconds * 1e3);
        }
    }
    return times;
}

// velmora.exe, started and run to its end as a script runs it, against console programs that do
// the least for the same result: nothing at all (the start), the enumeration of bench_floor.exe's
// window list (the listing); and, to tell the calls from velmora's own code, against the same
// Win32 calls made bare (bench_console_calls.exe).
void MeasureVelmora(int roundsAsked) {
    // A run takes a fraction of a second: three rounds for each asked, for steadier medians.
    const int rounds = 3 * roundsAsked;
    const ConsoleRunner run;
    const std::wstring velmora = Beside(L"velmora.exe");
    const std::wstring calls = Beside(L"bench_console_calls.exe");
    {
        // One window of another process: the farm's only window.
        Program farm(Beside(L"bench_farm.exe") + L" 1");
        farm.WaitIdle();
        const std::wstring handle = HandleText(FarmWindow(L"Bench farm window 1 of 1"));
        // Wine's dwmapi.dll answers every attribute with E_NOTIMPL: velmora prints every line, exit status 1.
        const std::vector<Series> times = TakeTurns(
            run,
            {velmora + L" get " + handle, Beside(L"bench_console_floor.exe"), calls + L" get " + handle,
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
        Program farm(Beside(L"bench_farm.exe") + L" " + std::to_wstring(n));
        farm.WaitIdle();
        size_t rows[3] = {};
        const std::vector<Series> times =
            TakeTurns(run, {velmora + L" windows --json", calls + L" windows", calls + L" windows --facts"}, rounds,
                      [&](size_t k, const ConsoleRunner::Run& r) {
                          if (r.exitCode != 0 || Occurrences(r.output, "Bench farm window") != static_cast<size_t>(n)) {
                              Fail("a window list lacks the farm");
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
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: bench_driver THEME ROUNDS LOG_LINES IDLE_SECONDS [start|enum|log|idle|velmora]...\n");
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);
    g_theme = argv[1];
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
        if (wanted(L"start")) MeasureStart(rounds);
        if (wanted(L"enum")) MeasureEnumeration(rounds);
        if (wanted(L"log") && logLines > 0) MeasureLog(rounds, logLines);
        if (wanted(L"idle") && idleSeconds > 0) MeasureIdle(rounds, idleSeconds);
        if (wanted(L"velmora")) MeasureVelmora(rounds);
    } catch (const Failure& failure) {
        std::fprintf(stderr, "bench_driver: %s\n", failure.what);
        return 1;
    }
    return 0;
}
