// Another process's windows for the window event tests, whose trackers skip their own process's WinEvents:
// "Target before" and "Decoy" at once, and one more, "Target", for each WM_APP sent to one of them, which
// answers its handle. The tests drive them as any other program may, and end the process.
#include <windows.h>

namespace {

constexpr wchar_t kClass[] = L"VelmoraEvent";

HWND Make(const wchar_t* title) {
    return ::CreateWindowExW(0, kClass, title, WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr, nullptr, nullptr, nullptr);
}

LRESULT CALLBACK HelperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) return reinterpret_cast<LRESULT>(Make(L"Target"));
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main() {
    const WNDCLASSW windowClass{0, &HelperProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, kClass};
    ::RegisterClassW(&windowClass);
    Make(L"Target before"), Make(L"Decoy");
    for (MSG message; ::GetMessageW(&message, nullptr, 0, 0) > 0;) ::DispatchMessageW(&message);
}
