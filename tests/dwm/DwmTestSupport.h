#pragma once
// Shared pieces of the DWM layer's tests: a real window, a reported operating-system version,
// and formatting of what the fake's journal and the assertions show.
#include <windows.h>

#include "dwm/DwmTesting.h"

#include <cstdio>
#include <string>

namespace dwmtest {

// A visible top-level window with a known rectangle.
class TestWindow {
public:
    TestWindow()
        : m_window(::CreateWindowExW(0, L"STATIC", L"Velmora DWM test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 120,
                                     400, 300, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr)) {}
    ~TestWindow() {
        if (m_window != nullptr) ::DestroyWindow(m_window);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND get() const { return m_window; }
    RECT Rect() const {
        RECT rect{};
        ::GetWindowRect(m_window, &rect);
        return rect;
    }

private:
    HWND m_window;
};

// While alive, every version query of the layer reports major.minor, after failing the first
// failFirst queries; counts the queries and keeps the size each one was given.
class ReportedVersion {
public:
    explicit ReportedVersion(DWORD major, DWORD minor = 0, int failFirst = 0) {
        s_major = major;
        s_minor = minor;
        s_failuresLeft = failFirst;
        s_queries = 0;
        s_lastSize = 0;
        dwm::testing::SetVersionQuery(&Query);
    }
    ~ReportedVersion() { dwm::testing::SetVersionQuery(nullptr); }
    ReportedVersion(const ReportedVersion&) = delete;
    ReportedVersion& operator=(const ReportedVersion&) = delete;

    static int Queries() { return s_queries; }
    static DWORD LastSize() { return s_lastSize; }

private:
    static BOOL WINAPI Query(LPOSVERSIONINFOW info) {
        ++s_queries;
        s_lastSize = info->dwOSVersionInfoSize;
        if (s_failuresLeft > 0) {
            --s_failuresLeft;
            return FALSE;
        }
        info->dwMajorVersion = s_major;
        info->dwMinorVersion = s_minor;
        info->dwBuildNumber = 7601;
        info->dwPlatformId = VER_PLATFORM_WIN32_NT;
        return TRUE;
    }

    static inline DWORD s_major = 0;
    static inline DWORD s_minor = 0;
    static inline int s_failuresLeft = 0;
    static inline int s_queries = 0;
    static inline DWORD s_lastSize = 0;
};

// "0x%08x", as the journal prints window and thumbnail handles.
inline std::wstring Hex(const void* handle) {
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08x", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(handle)));
    return text;
}

// Readable in assertion messages, where gtest would print a RECT as bytes.
inline std::string Text(const RECT& rect) {
    char text[64];
    std::snprintf(text, sizeof text, "(%ld,%ld,%ld,%ld)", rect.left, rect.top, rect.right, rect.bottom);
    return text;
}

inline RECT Inset(RECT rect, int left, int top, int right, int bottom) {
    return RECT{rect.left + left, rect.top + top, rect.right - right, rect.bottom - bottom};
}

}  // namespace dwmtest
