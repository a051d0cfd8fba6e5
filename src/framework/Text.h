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

// The low 32 bits, for "0x%08x". Lossless for window handles: 64-bit Windows keeps them within
// 32 bits so that 32-bit and 64-bit processes can share them. HRESULTs print as the DWM gives them.
inline unsigned Low32(HWND window) { return static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window)); }
inline unsigned Low32(HRESULT hr) { return static_cast<unsigned>(hr); }

// A string-table entry of this executable; empty when there is none.
std::wstring LoadResString(UINT id);

// The text of a window or dialog item.
std::wstring GetWindowString(HWND window);

}  // namespace fw
