// velmora watch: one line per DWM notification as it arrives, until Ctrl+C, N events or S seconds.
#include <atomic>
#include <deque>

#include "cli/CommandLine.h"
#include "cli/Facts.h"
#include "cli/Meanings.h"
#include "cli/Output.h"
#include "dwm/DwmCalls.h"

namespace cli {
namespace {

constexpr wchar_t kWindowClass[] = L"VelmoraWatch";

struct WatchEvent {
    std::string time;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    HRESULT queryResult = S_OK;  // composition changed: the query of the new state
    BOOL composition = FALSE;
};

// Set by the console's Ctrl+C thread, waited on by the loop: the one state that two threads share.
std::atomic<HANDLE> g_stopEvent{nullptr};

BOOL WINAPI OnConsoleControl(DWORD) {
    if (const HANDLE stop = g_stopEvent.load()) ::SetEvent(stop);
    return TRUE;
}

// The notifications the DWM sends every top-level window. WM_DWMNCRENDERINGCHANGED goes only to the
// window whose rendering changed, never to a watcher.
bool IsDwmNotification(UINT message) {
    return message == WM_DWMCOMPOSITIONCHANGED || message == WM_DWMCOLORIZATIONCOLORCHANGED ||
           message == WM_DWMWINDOWMAXIMIZEDCHANGE;
}

LRESULT CALLBACK WatchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsDwmNotification(message)) {
        auto* events = reinterpret_cast<std::deque<WatchEvent>*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (events != nullptr) {
            try {
                WatchEvent event{Timestamp(), message, wParam, lParam, S_OK, FALSE};
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

Facts EventFacts(const WatchEvent& e) {
    switch (e.message) {
        case WM_DWMCOMPOSITIONCHANGED:
            return {{"time", Word{e.time}},
                    {"event", Word{"composition-changed"}},
                    {"composition", e.queryResult >= 0 ? Value{OnOff{e.composition != FALSE}} : CallResult(e.queryResult)}};
        case WM_DWMCOLORIZATIONCOLORCHANGED:
            return {{"time", Word{e.time}},
                    {"event", Word{"colorization-changed"}},
                    {"colorization", Colorization{static_cast<DWORD>(e.wParam), e.lParam != 0}}};
        default:
            return {{"time", Word{e.time}}, {"event", Word{"maximized-changed"}}, {"maximized", YesNo{e.wParam != 0}}};
    }
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
        return kExitFailed;
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
            const Facts facts = EventFacts(events.front());
            events.pop_front();
            // A reader that has gone away ends the watch.
            if (!WriteOut(command.json ? LineJson(facts) : LineText(facts))) return FinishOutput(kExitOk);
        }
    }
    return FinishOutput(kExitOk);
}

}  // namespace cli
