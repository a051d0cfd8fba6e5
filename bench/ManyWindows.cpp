// Another process's windows for the enumeration benchmark: N visible, titled top-level windows,
// kept until the driver ends the process.   bench_many_windows.exe N
#include <windows.h>

#include <cstdlib>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const int count = std::wcstol(commandLine, nullptr, 10);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"QuilletBenchFarm";
    ::RegisterClassW(&windowClass);
    for (int i = 0; i < count; ++i) {
        wchar_t title[64];
        std::swprintf(title, 64, L"Bench farm window %d of %d", i + 1, count);
        // Tiny and in a corner, so that they cover nothing the measured programs paint.
        ::CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, title, WS_POPUP | WS_VISIBLE, 1270, 1014,
                          2, 2, nullptr, nullptr, instance, nullptr);
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}
