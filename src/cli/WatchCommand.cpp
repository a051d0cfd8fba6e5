// velmora watch: one line per DWM notification as it arrives, until Ctrl+C, N events or S seconds.
#include <atomic>
#include <deque>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Reports.h"
#include "dwm/DwmCalls.h"

namespace cli {
namespace {

constexpr wchar_t kWindowClass[] = L"VelmoraWatch";

// Set by the console's Ctrl+C thread, waited on by the loop: the one state that two threads share.
std::atomic<HANDLE> g_stopEvent{nullptr};

BOOL WINAPI OnConsoleControl(DWORD) {
    if (const HANDLE stop = g_stopEvent.load()) ::SetEvent(stop);
    return TRUE;
}

bool IsDwmNotification(UINT message) {
    return message == WM_DWMCOMPOSITIONCHANGED || message == WM_DWMCOLORIZATIONCOLORCHANGED ||
           message == WM_DWMNCRENDERINGCHANGED || message == WM_DWMWINDOWMAXIMIZEDCHANGE;
}

LRESULT CALLBACK WatchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsDwmNotification(message)) {
        auto* events = reinterpret_cast<std::deque<WatchEvent>*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (events != nullptr) {
            try {
                WatchEvent event{Timestamp(), message, wParam, lParam, window, S_OK, FALSE};
                if (message == WM_DWMCOMPOSITIONCHANGED) event.queryResult = IsCompositionEnabled(&event.composition);
                events->push_back(std::move(event));
            } catch (...) {
                // Dropping one notification beats an exception through the system's dispatch.
            }
        }
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

std::string Text(const WatchEvent& e) {
    std::string details;
    switch (e.message) {
        case WM_DWMCOMPOSITIONCHANGED:
            details = e.queryResult >= 0 ? (e.composition ? "on" : "off") : FailureText(e.queryResult);
            break;
        case WM_DWMCOLORIZATIONCOLORCHANGED:
            details = ColorizationText(static_cast<DWORD>(e.wParam)) + " (" +
                      HexResult(static_cast<HRESULT>(static_cast<DWORD>(e.wParam))) + ")" +
                      (e.lParam ? ", opaque blend" : ", blended");
            break;
        case WM_DWMNCRENDERINGCHANGED:
            details = HexHandle(e.window) + (e.wParam ? " on" : " off");
            break;
        case WM_DWMWINDOWMAXIMIZEDCHANGE:
            details = e.wParam ? "maximized" : "not maximized";
            break;
    }
    return e.time + "  " + EventName(e.message) + "  " + details + "\n";
}

// A hidden top-level window: message-only windows get no broadcasts.
class WatchWindow {
public:
    explicit WatchWindow(std::deque<WatchEvent>* events) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &WatchWindowProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        ::RegisterClassExW(&windowClass);
        m_window = ::CreateWindowExW(0, kWindowClass, L"velmora watch", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                     windowClass.hInstance, nullptr);
        if (m_window != nullptr) ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(events));
    }
    ~WatchWindow() {
        if (m_window != nullptr) ::DestroyWindow(m_window);
        ::UnregisterClassW(kWindowClass, ::GetModuleHandleW(nullptr));
    }
    WatchWindow(const WatchWindow&) = delete;
    WatchWindow& operator=(const WatchWindow&) = delete;
    explicit operator bool() const { return m_window != nullptr; }

private:
    HWND m_window = nullptr;
};

class CtrlCHandler {
public:
    CtrlCHandler() : m_stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        g_stopEvent = m_stop;
        ::SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
    }
    ~CtrlCHandler() {
        ::SetConsoleCtrlHandler(&OnConsoleControl, FALSE);
        g_stopEvent = nullptr;
        if (m_stop != nullptr) ::CloseHandle(m_stop);
    }
    CtrlCHandler(const CtrlCHandler&) = delete;
    CtrlCHandler& operator=(const CtrlCHandler&) = delete;
    HANDLE Event() const { return m_stop; }

private:
    HANDLE m_stop;
};

}  // namespace

int RunWatch(const WatchCommand& command) {
    std::deque<WatchEvent> events;
    CtrlCHandler ctrlC;
    WatchWindow window(&events);
    if (!window || ctrlC.Event() == nullptr) {
        WriteError("cannot create the window that receives DWM notifications");
        return kExitDwmFailed;
    }
    if (!command.json) WriteErrorText("watching DWM notifications; Ctrl+C stops\n");
    const ULONGLONG start = ::GetTickCount64();
    const ULONGLONG limit = command.seconds ? static_cast<ULONGLONG>(*command.seconds * 1000.0) : 0;
    unsigned seen = 0;
    const HANDLE stop = ctrlC.Event();
    while (!command.count || seen < *command.count) {
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        if (command.seconds && elapsed >= limit) break;
        const DWORD wait = command.seconds ? static_cast<DWORD>(limit - elapsed) : INFINITE;
        if (::MsgWaitForMultipleObjects(1, &stop, FALSE, wait, QS_ALLINPUT) == WAIT_OBJECT_0) break;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        for (; !events.empty() && (!command.count || seen < *command.count); ++seen) {
            WriteOut(command.json ? EventJson(events.front()) : Text(events.front()));
            events.pop_front();
        }
    }
    return kExitOk;
}

}  // namespace cli
