// Another process's windows for the coverage figures: a target, "Bench stack target" (600 x 400 at
// 340, 300), under N windows of 240 x 160, "Bench stack window K of N", strewn over the screen and
// past its edges (the same places every run), kept until the driver ends the process.
//   bench_stacked_windows.exe N
#include <windows.h>

#include <cstdlib>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const int count = std::wcstol(commandLine, nullptr, 10);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = L"QuilletBenchStack";
    ::RegisterClassW(&windowClass);
    // Made first: every later window lies above it.
    ::CreateWindowExW(WS_EX_NOACTIVATE, windowClass.lpszClassName, L"Bench stack target", WS_POPUP | WS_VISIBLE, 340, 300,
                      600, 400, nullptr, nullptr, instance, nullptr);
    unsigned seed = 12345;
    const auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
    };
    for (int i = 0; i < count; ++i) {
        wchar_t title[64];
        std::swprintf(title, 64, L"Bench stack window %d of %d", i + 1, count);
        ::CreateWindowExW(WS_EX_NOACTIVATE, windowClass.lpszClassName, title, WS_POPUP | WS_VISIBLE, next(1400) - 120,
                          next(1150) - 120, 240, 160, nullptr, nullptr, instance, nullptr);
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}
