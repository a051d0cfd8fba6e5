// velmora.exe's window floors: the Win32 calls of its commands in a console program with nothing
// around them (no command line parser, no formatting beyond one line a window), static as
// velmora.exe is.
//   bench_calls_floor.exe windows             the enumeration floor: the visible, titled top-level
//                                             windows (the same calls as bench_quillet_floor.exe's list),
//                                             handle and title a line
//   bench_calls_floor.exe windows --facts     the same, plus what `velmora windows` tells of each
//                                             window, with the fewest calls: process id, image name
//                                             (once per process), class, minimized, rectangle, DPI,
//                                             cloaked state and extended frame bounds
//   bench_calls_floor.exe get HWND            the calls of `velmora get HWND`: the window's facts as
//                                             above, client rectangle, monitor, and the eleven
//                                             attributes the DWM reports
//   bench_calls_floor.exe start               nothing: what it costs to start a console program
//                                             that loads user32.dll, as every window tool does
// The output is written at once, as velmora.exe writes its own.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <string>

#include "BareWindowList.h"

namespace {

using GetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// DWMWA_CLOAKED, DWMWA_EXTENDED_FRAME_BOUNDS, and the eleven `velmora get` reads by default.
constexpr DWORD kCloaked = 14, kFrameBounds = 9;
constexpr DWORD kReadable[] = {1, 5, 9, 14, 20, 33, 34, 35, 36, 37, 38};

std::string Utf8(const std::wstring& text) {
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    return bytes;
}

std::string Printed(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

class Facts {
public:
    Facts() {
        wchar_t path[MAX_PATH];
        const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
        std::wcscpy(path + length, L"\\dwmapi.dll");
        const HMODULE dwm = ::LoadLibraryW(path);
        m_getAttribute = reinterpret_cast<GetAttributeFn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(dwm, "DwmGetWindowAttribute")));
        m_getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void (*)()>(
            ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    }

    // Process, class, minimized, rectangle, DPI, cloaked, frame: one tab-separated line's tail.
    std::string Of(HWND window) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        wchar_t className[257];
        const int classLength = ::GetClassNameW(window, className, 257);
        RECT rect{};
        ::GetWindowRect(window, &rect);
        DWORD cloaked = 0;
        RECT frame{};
        const HRESULT cloakedResult = Attribute(window, kCloaked, &cloaked, sizeof cloaked);
        const HRESULT frameResult = Attribute(window, kFrameBounds, &frame, sizeof frame);
        return Printed("\t%lu\t", pid) + ImageName(pid) + "\t" +
               Utf8(std::wstring(className, classLength > 0 ? classLength : 0)) +
               Printed("\t%d\t%ld,%ld,%ld,%ld\t%u\t%lx:%lu\t%lx:%ld,%ld,%ld,%ld", ::IsIconic(window) != FALSE,
                       rect.left, rect.top, rect.right, rect.bottom,
                       m_getDpiForWindow != nullptr ? m_getDpiForWindow(window) : 96u, cloakedResult, cloaked,
                       frameResult, frame.left, frame.top, frame.right, frame.bottom);
    }

    HRESULT Attribute(HWND window, DWORD id, void* value, DWORD size) const {
        return m_getAttribute != nullptr ? m_getAttribute(window, id, value, size) : E_NOTIMPL;
    }

private:
    const std::string& ImageName(DWORD pid) {
        const auto known = m_names.find(pid);
        if (known != m_names.end()) return known->second;
        std::string name;
        if (const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
            wchar_t path[MAX_PATH * 2];
            DWORD size = MAX_PATH * 2;
            if (::QueryFullProcessImageNameW(process, 0, path, &size)) {
                const std::wstring full(path, size);
                name = Utf8(full.substr(full.find_last_of(L"\\/") + 1));
            }
            ::CloseHandle(process);
        }
        return m_names.emplace(pid, name).first->second;
    }

    GetAttributeFn m_getAttribute = nullptr;
    GetDpiForWindowFn m_getDpiForWindow = nullptr;
    std::map<DWORD, std::string> m_names;
};

std::string Line(HWND window, const std::wstring& title) {
    return Printed("0x%08llx\t", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window))) + Utf8(title);
}

std::string Windows(bool withFacts) {
    Facts facts;
    std::string out;
    for (const auto& [title, window] : bench::ListWindows()) {
        out += Line(window, title) + (withFacts ? facts.Of(window) : std::string()) + "\n";
    }
    return out;
}

std::string Get(HWND window) {
    if (!::IsWindow(window)) return std::string();
    wchar_t title[1024];
    const int length = ::GetWindowTextW(window, title, 1024);
    Facts facts;
    std::string out = Line(window, std::wstring(title, length > 0 ? length : 0)) + facts.Of(window) +
                      Printed("\t%d\n", ::IsWindowVisible(window) != FALSE);
    RECT client{};
    ::GetClientRect(window, &client);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    MONITORINFOEXW monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    out += Printed("%ld,%ld,%ld,%ld\t", client.left, client.top, client.right, client.bottom) +
           Utf8(monitor.szDevice) + "\n";
    for (const DWORD id : kReadable) {
        RECT value{};  // the largest of the attributes' values
        const DWORD size = id == 5 || id == 9 ? sizeof(RECT) : sizeof(DWORD);
        out += Printed("%lu\t%lx\t%ld\n", id, facts.Attribute(window, id, &value, size), value.left);
    }
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::string out;
    if (argc >= 2 && std::wcscmp(argv[1], L"start") == 0) return 0;
    if (argc >= 2 && std::wcscmp(argv[1], L"windows") == 0) {
        out = Windows(argc >= 3 && std::wcscmp(argv[2], L"--facts") == 0);
    } else if (argc >= 3 && std::wcscmp(argv[1], L"get") == 0) {
        out = Get(reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(argv[2], nullptr, 0))));
        if (out.empty()) return 3;
    } else {
        std::fputs("usage: bench_calls_floor windows [--facts] | get HWND | start\n", stderr);
        return 2;
    }
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    return 0;
}
