#pragma once
// Helpers for tests that drive real windows on the test's own thread.
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// Dispatches this thread's messages for the given time.
void PumpMessages(DWORD milliseconds);
// Dispatches messages until the condition holds or the time is up; returns the condition.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMilliseconds);

// Answers every message box of this process with OK, from a thread of its own, and keeps
// what they said. Tests use it around code that may show the application's message box.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    struct Answered {
        std::wstring caption;
        std::wstring text;
        bool hasWarningIcon;
    };
    std::vector<Answered> Answers() const;

private:
    void Run();

    std::atomic<bool> m_stop{false};
    mutable std::mutex m_lock;
    std::vector<Answered> m_answers;
    std::thread m_thread;
};

// A plain visible top-level window to parent child dialogs in tests.
class HostWindow {
public:
    HostWindow();
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND get() const { return m_hWnd; }

private:
    HWND m_hWnd = nullptr;
};

// The text of a window, as another program would read it.
// Four solid quadrants over the window's client area, left to right and top to bottom, the same
// painted and printed: a picture whose every pixel a capture test can predict.
void FillQuadrants(HWND window, HDC dc, const COLORREF (&colours)[4]);

std::wstring TextOf(HWND window);

// The first visible top-level window of the process that `match` accepts, or null.
HWND FindVisibleTopLevel(DWORD processId, const std::function<bool(HWND)>& match);

// Every line of a list box, oldest first; works on another process's list box too.
std::vector<std::wstring> ListBoxLines(HWND list);

}  // namespace testsupport
