// Another process's windows for the window event tests, whose trackers skip their own process's WinEvents:
// "Target before" and "Decoy" at once, and one more, "Target", for each WM_APP sent to one of them, which
// answers its handle; WM_APP + 1 makes wParam windows "Brief" one every lParam ms, each shown, renamed and
// destroyed at once. The tests drive them as any other program may, and end the process.
#include <windows.h>

namespace {

constexpr wchar_t kClass[] = L"VelmoraEvent";

HWND Make(const wchar_t* title) {
    return ::CreateWindowExW(0, kClass, title, WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr, nullptr, nullptr, nullptr);
}

LRESULT CALLBACK HelperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) return reinterpret_cast<LRESULT>(Make(L"Target"));
    if (message == WM_APP + 1) {
        for (WPARAM i = 0; i < wParam; ++i, ::Sleep(static_cast<DWORD>(lParam))) {
            const HWND brief = Make(L"Brief");
            ::ShowWindow(brief, SW_SHOWNOACTIVATE), ::SetWindowTextW(brief, L"Brief renamed"), ::DestroyWindow(brief);
        }
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main() {
    const WNDCLASSW windowClass{0, &HelperProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kClass};
    ::RegisterClassW(&windowClass);
    Make(L"Target before"), Make(L"Decoy");
    for (MSG message; ::GetMessageW(&message, nullptr, 0, 0) > 0;) ::DispatchMessageW(&message);
}
