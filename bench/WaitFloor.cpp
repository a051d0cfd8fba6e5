// velmora wait's floor: the same facts polled at the same interval with nothing around them, in a
// console program, static as velmora.exe is.
//   bench_wait_floor.exe visible HWND INTERVAL_MS TIMEOUT_S   until the window is visible and not cloaked
//   bench_wait_floor.exe gone HWND INTERVAL_MS TIMEOUT_S      until the handle has closed
//   bench_wait_floor.exe title TEXT INTERVAL_MS TIMEOUT_S     until a top-level window's title contains
//                                                             TEXT (any case)
// Prints the window's handle and title when it holds (exit 0); exit 4 on the timeout.
#include <windows.h>
#include <dwmapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {
std::wstring g_text;
HWND g_found = nullptr;

std::wstring Lower(std::wstring text) {
    if (!text.empty()) ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

BOOL CALLBACK MatchTitle(HWND window, LPARAM) {
    wchar_t title[256] = {};
    const int length = ::GetWindowTextW(window, title, 256);
    if (Lower(std::wstring(title, static_cast<size_t>(length))).find(g_text) == std::wstring::npos) return TRUE;
    g_found = window;
    return FALSE;
}

bool Visible(HWND window) {
    if (!::IsWindowVisible(window)) return false;
    DWORD cloaked = 0;
    return FAILED(::DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof(cloaked))) || cloaked == 0;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) return 2;
    const std::wstring mode = argv[1];
    const HWND window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(std::wcstoul(argv[2], nullptr, 0))));
    const DWORD interval = static_cast<DWORD>(_wtoi(argv[3]));
    const ULONGLONG limit = static_cast<ULONGLONG>(_wtoi(argv[4])) * 1000, start = ::GetTickCount64();
    g_text = Lower(argv[2]);
    for (;;) {
        HWND held = nullptr;
        if (mode == L"title") {
            g_found = nullptr;
            ::EnumWindows(MatchTitle, 0);
            held = g_found;
        } else if (mode == L"gone") {
            if (!::IsWindow(window)) return 0;
        } else {
            if (!::IsWindow(window)) return 3;
            if (Visible(window)) held = window;
        }
        if (held != nullptr) {
            wchar_t title[256] = {};
            ::GetWindowTextW(held, title, 256);
            std::printf("0x%08lx %ls\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(held)), title);
            return 0;
        }
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        if (elapsed >= limit) return 4;
        ::Sleep(static_cast<DWORD>(std::min<ULONGLONG>(interval, limit - elapsed)));
    }
}
