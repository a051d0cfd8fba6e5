#pragma once
// The programs a figure runs, started through the tests' one process runner, and what Linux's /proc
// tells of them: Wine runs each Windows process as one Linux process and gives no CPU times for
// other processes.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Table.h"
#include "support/ChildProcess.h"

namespace bench {

constexpr DWORD kTimeoutMs = 60000;

struct Failure {
    const char* what;
};

// Unwinds to wmain, so that every started program is ended on the way.
[[noreturn]] void Fail(const char* what);

double Now();  // seconds
std::wstring Beside(const wchar_t* name);  // a program in the driver's own directory, quoted
std::string ReadFileText(const std::string& path);
std::wstring TempPath(const wchar_t* name);
long long FileBytes(const std::wstring& path);
size_t Occurrences(const std::string& text, const std::string& part);
std::wstring HandleText(HWND window);
// A window of another process of the benchmarks, by class and title, waited for a while.
HWND BenchWindow(const wchar_t* className, const wchar_t* title);

// A window program, closed when the object goes: asked to close first, killed after 10 s.
class Program {
public:
    explicit Program(std::wstring commandLine);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Returns once the program has painted everything and waits for input.
    void WaitIdle() const;
    // Its visible top-level window of this caption.
    HWND Main(const wchar_t* caption);

private:
    testsupport::ChildProcess m_child;
    HWND m_main = nullptr;
};

// A console program run to its end with stdout and stderr in a file of its own, as a script would
// run it: CreateProcess to the end of the process. The file is made before and read after.
class ConsoleRunner {
public:
    struct Run {
        double seconds;
        DWORD exitCode;
        std::string output;
    };

    ConsoleRunner();
    ~ConsoleRunner();
    ConsoleRunner(const ConsoleRunner&) = delete;
    ConsoleRunner& operator=(const ConsoleRunner&) = delete;

    Run operator()(std::wstring commandLine) const;

private:
    std::wstring m_path;
};

// Console programs run to their end in turns, round by round, the order rotating; a first round
// warms the file cache and is not counted. check(k, run) refuses a run that did not do its work.
// Milliseconds, one series per command.
template <typename Check>
std::vector<Series> TakeTurns(const ConsoleRunner& run, const std::vector<std::wstring>& commands, int rounds, Check check) {
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

// CPU seconds of this Wine prefix's processes running `program`, one entry per process, from their
// Linux times (clock ticks of 1/100 s).
Series CpuSecondsOf(const std::string& program);
// The Linux process of this prefix running `program`, waited for a while.
int LinuxProcessOf(const std::string& program);
// CPU time of a Linux process, all its threads, in seconds (schedstat: nanoseconds on a CPU).
double CpuSeconds(int pid);
// The peak resident set of a Linux process (VmHWM), what Wine reports as the peak working set; MB.
double PeakMegabytes(int pid);

// A program started in the background, stdout and stderr in a file of its own; with `linuxName`
// it is started suspended until its Linux process is found.
class Background {
public:
    explicit Background(std::wstring commandLine, const char* linuxName = nullptr);
    ~Background();
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    // Waits for the end, reading the peak memory meanwhile when the Linux process is known.
    DWORD Wait(DWORD ms = kTimeoutMs);
    bool Running() const { return m_child.Running(); }
    void SamplePeak();
    std::string Output() { return m_child.Out(); }
    int LinuxId() const { return m_linux; }
    double Ended() const { return m_ended; }
    double Peak() const { return m_peak; }

private:
    std::wstring m_path;
    testsupport::ChildProcess m_child;
    int m_linux = 0;
    double m_peak = 0, m_ended = 0;
};

}  // namespace bench
