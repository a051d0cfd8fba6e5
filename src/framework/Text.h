#pragma once
// UTF-16 text helpers in place of CString.
#include <windows.h>

#include <string>

namespace fw {

// printf-style formatting; wide strings are always passed with %ls.
std::wstring Format(const wchar_t* format, ...);
std::wstring FormatV(const wchar_t* format, va_list args);

// Every occurrence of `from` replaced by `to`; an empty `from` changes nothing.
std::wstring ReplaceAll(std::wstring text, std::wstring_view from, std::wstring_view to);

// A string-table entry of this executable; empty when there is none.
std::wstring LoadResString(UINT id);

// The text of a window or dialog item.
std::wstring GetWindowString(HWND window);

}  // namespace fw
