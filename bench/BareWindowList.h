#pragma once
// The enumeration floor: the visible, titled top-level windows, found with the least a Win32
// program does for them. bench_quillet_floor.exe shows them in its report list, bench_calls_floor.exe windows
// prints them.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace bench {

// Title and handle, in z-order.
using Rows = std::vector<std::pair<std::wstring, HWND>>;

inline BOOL CALLBACK AddRow(HWND window, LPARAM rows) {
    if (!::IsWindow(window) || !::IsWindowVisible(window)) return TRUE;
    wchar_t title[256];
    const int length = ::GetWindowTextW(window, title, 256);
    if (length > 0) reinterpret_cast<Rows*>(rows)->emplace_back(std::wstring(title, length), window);
    return TRUE;
}

inline Rows ListWindows() {
    Rows rows;
    ::EnumWindows(AddRow, reinterpret_cast<LPARAM>(&rows));
    return rows;
}

}  // namespace bench
