#include "support/WindowTestSupport.h"

#include <chrono>

#include "framework/Handles.h"

namespace testsupport {

void PumpMessages(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMilliseconds) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMilliseconds;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (condition()) return true;
        if (::GetTickCount64() >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void FillQuadrants(HWND window, HDC dc, const COLORREF (&colours)[4]) {
    RECT c{};
    ::GetClientRect(window, &c);
    for (int q = 0; q < 4; ++q) {
        const RECT part{q % 2 * c.right / 2, q / 2 * c.bottom / 2, (q % 2 + 1) * c.right / 2, (q / 2 + 1) * c.bottom / 2};
        const CBrush brush(colours[q]);
        ::FillRect(dc, &part, brush.get());
    }
}

std::wstring TextOf(HWND window) {
    wchar_t buffer[1024] = {};
    ::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                          nullptr);
    return buffer;
}

std::vector<std::wstring> ListBoxLines(HWND list) {
    std::vector<std::wstring> lines;
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        const LRESULT copied = ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        lines.push_back(text);
    }
    return lines;
}

namespace {
// The static control that holds a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

bool IsMessageBox(HWND window) {
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    return std::wstring(className) == L"#32770" && ::GetDlgItem(window, kMessageBoxTextId) != nullptr;
}

struct TopLevelSearch {
    DWORD processId;
    const std::function<bool(HWND)>* match;
    HWND found;
};

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<TopLevelSearch*>(lParam);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != search.processId || !::IsWindowVisible(window) || !(*search.match)(window)) return TRUE;
    search.found = window;
    return FALSE;
}
}  // namespace

HWND FindVisibleTopLevel(DWORD processId, const std::function<bool(HWND)>& match) {
    TopLevelSearch search{processId, &match, nullptr};
    ::EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

MessageBoxAnswerer::MessageBoxAnswerer() : m_thread([this] { Run(); }) {}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    m_stop = true;
    m_thread.join();
}

std::vector<MessageBoxAnswerer::Answered> MessageBoxAnswerer::Answers() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_answers;
}

void MessageBoxAnswerer::Run() {
    HWND answered = nullptr;
    while (!m_stop) {
        HWND found = FindVisibleTopLevel(::GetCurrentProcessId(), IsMessageBox);
        if (found != nullptr && found != answered) {
            HWND icon = nullptr;
            for (HWND child = ::GetWindow(found, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
                if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) icon = child;
            }
            Answered answer{TextOf(found), TextOf(::GetDlgItem(found, kMessageBoxTextId)),
                            icon != nullptr};
            {
                std::lock_guard<std::mutex> lock(m_lock);
                m_answers.push_back(answer);
            }
            ::PostMessageW(found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            answered = found;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

namespace {
const wchar_t kHostClass[] = L"QuilletTestHost";

ATOM RegisterHostClass() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kHostClass;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    return ::RegisterClassW(&windowClass);
}
}  // namespace

HostWindow::HostWindow() {
    static const ATOM registered = RegisterHostClass();
    (void)registered;
    m_hWnd = ::CreateWindowExW(0, kHostClass, L"Test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700,
                               nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

HostWindow::~HostWindow() {
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
}

}  // namespace testsupport
