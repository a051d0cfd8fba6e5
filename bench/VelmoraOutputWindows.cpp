// The windows that tools/velmora-output.sh shows velmora.exe at work on, with the state the fake
// DWM (tests/dwm/fake_dwmapi) reports for them "in the system": an application window of Windows 11
// (dark mode, rounded corners, Mica), one that the shell keeps cloaked (on another virtual
// desktop), a palette that the script moves over the first, and one that draws its frame itself as
// the DWM would (cli/FramedWindow.h: Wine's DWM draws nothing) and draws it anew from what is set.
// Writes READY once they are up; ends when the file DONE appears.
//   bench_sample.exe READY DONE
#include <windows.h>

#include <cstdio>

#include "cli/FramedWindow.h"
#include "dwm/fake_dwmapi/FakeDwmControl.h"

namespace {

void SetSystemAttribute(HWND window, DWORD id, DWORD value) {
    ::SetPropW(window, fake_dwm::AttributeProperty(id).c_str(), reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(value)));
}

HWND MakeWindow(HINSTANCE instance, const wchar_t* title, int x, int y, int width, int height) {
    return ::CreateWindowExW(0, L"VelmoraSample", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width, height, nullptr,
                             nullptr, instance, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (__argc < 3) return 2;
    const wchar_t* done = __wargv[2];
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"VelmoraSample";
    ::RegisterClassW(&windowClass);

    const HWND cloaked = MakeWindow(instance, L"Notes (another desktop)", 700, 120, 400, 300);
    ::SetPropW(cloaked, fake_dwm::kCloakedProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(2)));  // shell
    const HWND sample = MakeWindow(instance, L"Sample window", 100, 100, 640, 400);
    // Mica; dark mode, corners and colours are set-only, which no DWM reports back.
    SetSystemAttribute(sample, 38, 2);
    MakeWindow(instance, L"Palette", 900, 560, 300, 200);
    testsupport::CreateFramedWindow(L"Self-framed window", 820, 560, testsupport::Redraws::WhenSet);

    if (FILE* ready = _wfopen(__wargv[1], L"w")) {
        std::fprintf(ready, "0x%08llx\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(sample)));
        std::fclose(ready);
    }
    ::SetTimer(nullptr, 0, 100, nullptr);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && ::GetFileAttributesW(done) != INVALID_FILE_ATTRIBUTES) break;
        ::DispatchMessageW(&message);
    }
    return 0;
}
