#include "Programs.h"

#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <sstream>

namespace bench {
namespace {

// A new empty file in the temporary folder, named after the prefix.
std::wstring TemporaryFile(const wchar_t* prefix) {
    wchar_t directory[MAX_PATH] = {}, path[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, directory);
    if (::GetTempFileNameW(directory, prefix, 0, path) == 0) Fail("no temporary file");
    return path;
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

// This prefix's Linux processes whose program, the first word of their command line, is the file
// `program` (any case; bench_velmora.exe is no velmora.exe), in /proc's order; the prefix tells them
// from other runs' on the machine.
std::vector<int> LinuxProcesses(const std::string& program) {
    char prefix[MAX_PATH] = {};
    ::GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    const std::string ownPrefix = std::string("WINEPREFIX=") + prefix + '\0';
    WIN32_FIND_DATAA entry;
    const HANDLE search = ::FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) Fail("no /proc under Z:");
    std::vector<int> found;
    do {
        if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
        const std::string directory = std::string("Z:\\proc\\") + entry.cFileName + "\\";
        const std::string commandLine = ReadFileText(directory + "cmdline");
        const std::string path = commandLine.substr(0, commandLine.find('\0'));
        if (_stricmp(path.substr(path.find_last_of("\\/") + 1).c_str(), program.c_str()) == 0 &&
            ReadFileText(directory + "environ").find(ownPrefix) != std::string::npos) {
            found.push_back(std::atoi(entry.cFileName));
        }
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    return found;
}

}  // namespace

void Fail(const char* what) { throw Failure{what}; }

double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::wstring Beside(const wchar_t* name) { return L"\"" + testsupport::ThisDirectory() + name + L"\""; }

std::string ReadFileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::wstring TempPath(const wchar_t* name) {
    wchar_t directory[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, directory);
    return std::wstring(directory) + name;
}

long long FileBytes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

std::wstring HandleText(HWND window) {
    wchar_t text[24];
    std::swprintf(text, 24, L"0x%08llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    return text;
}

HWND BenchWindow(const wchar_t* className, const wchar_t* title) {
    for (int i = 0; i < 200; ++i) {
        if (const HWND window = ::FindWindowW(className, title)) return window;
        ::Sleep(20);
    }
    Fail("a window of the benchmarks' programs is missing");
}

// Not tied to the driver as the tests' programs are: a job would be one more thing measured.
Program::Program(std::wstring commandLine) : m_child(std::move(commandLine), {.tied = false}) {
    if (!m_child.Started()) Fail("cannot start a program");
}

Program::~Program() {
    ::PostThreadMessageW(m_child.ThreadId(), WM_QUIT, 0, 0);
    if (m_main != nullptr) ::PostMessageW(m_main, WM_CLOSE, 0, 0);
    if (!m_child.Wait(10000)) m_child.Kill(1);
}

void Program::WaitIdle() const {
    if (::WaitForInputIdle(m_child.Handle(), kTimeoutMs) != 0) Fail("a program did not become idle");
}

HWND Program::Main(const wchar_t* caption) {
    TopLevelSearch search{m_child.Id(), caption, nullptr};
    ::EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) Fail("a program shows no main window");
    return m_main = search.found;
}

ConsoleRunner::ConsoleRunner() : m_path(TemporaryFile(L"vlm")) {}
ConsoleRunner::~ConsoleRunner() { ::DeleteFileW(m_path.c_str()); }

ConsoleRunner::Run ConsoleRunner::operator()(std::wstring commandLine) const {
    const double start = Now();
    testsupport::ChildProcess child(std::move(commandLine),
                                    {.output = testsupport::Output::File, .file = m_path, .tied = false});
    if (!child.Started()) Fail("cannot start a console program");
    const bool ended = child.Wait(kTimeoutMs);
    const double elapsed = Now() - start;
    if (!ended) Fail("a console program did not end");
    return {elapsed, child.ExitCode(), child.Out()};
}

Series CpuSecondsOf(const std::string& program) {
    Series seconds;
    for (const int pid : LinuxProcesses(program)) {
        // utime and stime, the 14th and 15th fields; the 2nd may hold blanks.
        const std::string stat = ReadFileText("Z:\\proc\\" + std::to_string(pid) + "\\stat");
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string field;
        double ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i >= 14) ticks += std::stod(field);
        }
        seconds.push_back(ticks / 100);
    }
    return seconds;
}

int LinuxProcessOf(const std::string& program) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        const std::vector<int> found = LinuxProcesses(program);
        if (!found.empty()) return found.front();
        ::Sleep(10);
    }
    Fail("a started program is not found in /proc");
}

double CpuSeconds(int pid) {
    const std::string tasks = "Z:\\proc\\" + std::to_string(pid) + "\\task\\";
    WIN32_FIND_DATAA entry;
    const HANDLE search = ::FindFirstFileA((tasks + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) Fail("a measured process has gone");
    double ns = 0;
    do {
        if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
        ns += std::atof(ReadFileText(tasks + entry.cFileName + "\\schedstat").c_str());
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    return ns / 1e9;
}

double PeakMegabytes(int pid) {
    const std::string status = ReadFileText("Z:\\proc\\" + std::to_string(pid) + "\\status");
    const size_t at = status.find("VmHWM:");
    return at == std::string::npos ? 0 : std::atof(status.c_str() + at + 6) / 1024;
}

Background::Background(std::wstring commandLine, const char* linuxName)
    : m_path(TemporaryFile(L"vlb")),
      m_child(std::move(commandLine), {.output = testsupport::Output::File, .file = m_path,
                                       .suspended = linuxName != nullptr, .tied = false}) {
    if (!m_child.Started()) Fail("cannot start a program");
    if (linuxName) {
        m_linux = LinuxProcessOf(linuxName);
        m_child.Resume();
    }
}

Background::~Background() {
    if (m_child.Running()) m_child.Kill(1);
    ::DeleteFileW(m_path.c_str());
}

DWORD Background::Wait(DWORD ms) {
    const double until = Now() + ms / 1e3;
    for (;;) {
        if (m_linux != 0) m_peak = std::max(m_peak, PeakMegabytes(m_linux));
        if (m_child.Wait(m_linux != 0 ? 2 : 50)) break;
        if (Now() > until) Fail("a program did not end");
    }
    m_ended = Now();
    return m_child.ExitCode();
}

void Background::SamplePeak() {
    if (m_linux != 0 && Running()) m_peak = std::max(m_peak, PeakMegabytes(m_linux));
}

}  // namespace bench
