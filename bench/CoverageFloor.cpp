// The floor of `velmora explain` and `velmora windows --fields shown`: the same coverage with the
// fewest calls, in a console program with nothing around them, static as velmora.exe is. It links
// velmora's own rectangle arithmetic (src/cli/Coverage.cpp), so that the figures compare what
// velmora does around it.
//   bench_coverage_floor.exe explain HWND   the share of one window shown, covered and on monitors,
//                                           and the three windows that cover most
//   bench_coverage_floor.exe shown          the visible, titled windows with the share of each shown
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "BareWindowList.h"
#include "cli/Coverage.h"

namespace {

using GetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
constexpr DWORD kFrameBounds = 9, kCloaked = 14;

GetAttributeFn g_getAttribute = nullptr;

void BindDwm() {
    wchar_t path[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    std::wcscpy(path + length, L"\\dwmapi.dll");
    if (const HMODULE dwm = ::LoadLibraryW(path)) {
        g_getAttribute = reinterpret_cast<GetAttributeFn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(dwm, "DwmGetWindowAttribute")));
    }
}

HRESULT Attribute(HWND window, DWORD id, void* value, DWORD size) {
    return g_getAttribute != nullptr ? g_getAttribute(window, id, value, size) : E_NOTIMPL;
}

RECT Frame(HWND window) {
    RECT frame{};
    if (FAILED(Attribute(window, kFrameBounds, &frame, sizeof frame))) ::GetWindowRect(window, &frame);
    return frame;
}

bool Covers(HWND window) {
    DWORD cloaked = 0;
    return ::IsWindowVisible(window) && !::IsIconic(window) &&
           (FAILED(Attribute(window, kCloaked, &cloaked, sizeof cloaked)) || cloaked == 0);
}

BOOL CALLBACK AddWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, RECT* rect, LPARAM list) {
    reinterpret_cast<std::vector<RECT>*>(list)->push_back(*rect);
    return TRUE;
}

// Every top-level window once, topmost first: whether it covers, and its frame.
struct Stack {
    std::vector<HWND> windows;
    std::vector<char> covers;
    std::vector<RECT> layerFrames;
    std::vector<RECT> monitors;

    Stack() {
        ::EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&windows));
        ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    }
    std::vector<HWND> above;  // the covers of the last window asked about, topmost first

    // Layers are read down to the deepest window asked about, each once.
    cli::Coverage Of(HWND window) {
        std::vector<RECT> aboveFrames;
        above.clear();
        for (std::size_t i = 0; i < windows.size() && windows[i] != window; ++i) {
            if (i == covers.size()) {
                covers.push_back(Covers(windows[i]));
                layerFrames.push_back(covers.back() ? Frame(windows[i]) : RECT{});
            }
            if (covers[i]) {
                above.push_back(windows[i]);
                aboveFrames.push_back(layerFrames[i]);
            }
        }
        return cli::ComputeCoverage(Frame(window), monitors, aboveFrames);
    }
};

std::string Line(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    BindDwm();
    std::string out;
    if (argc >= 3 && std::wcscmp(argv[1], L"explain") == 0) {
        const HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(argv[2], nullptr, 0)));
        if (!::IsWindow(window)) return 3;
        Stack stack;
        const cli::Coverage c = stack.Of(window);
        out = Line("shown %.1f\ncovered %.1f\non-monitors %.1f\n", cli::PercentOf(c.shown, c.frame),
                   cli::PercentOf(c.covered, c.frame), cli::PercentOf(c.onMonitors, c.frame));
        for (const cli::CoverShare& share : c.top) {
            out += Line("0x%08llx %.1f\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(stack.above[share.index])),
                        cli::PercentOf(share.area, c.frame));
        }
    } else if (argc >= 2 && std::wcscmp(argv[1], L"shown") == 0) {
        Stack stack;
        for (const auto& [title, window] : bench::ListWindows()) {
            const cli::Coverage c = stack.Of(window);
            out += Line("0x%08llx\t%.1f\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)),
                        cli::PercentOf(Covers(window) ? c.shown : 0, c.frame));
        }
    } else {
        std::fputs("usage: bench_coverage_floor explain HWND | shown\n", stderr);
        return 2;
    }
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    return 0;
}
