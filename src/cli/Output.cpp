#include "cli/Output.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "dwm/DwmCalls.h"

namespace cli {
namespace {

bool IsConsole(HANDLE stream) {
    DWORD mode = 0;
    return ::GetConsoleMode(stream, &mode) != FALSE;
}

void Write(DWORD which, std::string_view text) {
    const HANDLE stream = ::GetStdHandle(which);
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD written = 0;
    if (IsConsole(stream)) {
        const std::wstring wide = ToWide(text);
        ::WriteConsoleW(stream, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        ::WriteFile(stream, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

// Columns count characters, not bytes.
size_t Width(std::string_view text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string Pad(const std::string& text, size_t width) { return text + std::string(width - Width(text), ' '); }

struct KnownResult {
    HRESULT result;
    const char* meaning;
};

constexpr KnownResult kKnownResults[] = {
    {kDwmNotSupported, "no DWM"},
    {E_INVALIDARG, "not supported by this Windows (E_INVALIDARG)"},
    {E_HANDLE, "not a window (E_HANDLE)"},
    {E_ACCESSDENIED, "refused (E_ACCESSDENIED)"},
    {E_NOTIMPL, "not implemented (E_NOTIMPL)"},
    {E_FAIL, "failed (E_FAIL)"},
    {E_POINTER, "bad pointer (E_POINTER)"},
    {E_OUTOFMEMORY, "out of memory (E_OUTOFMEMORY)"},
    {static_cast<HRESULT>(0x80263001), "composition is off (DWM_E_COMPOSITIONDISABLED)"},
    {HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND), "dwmapi.dll not found"},
    {HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND), "not in this dwmapi.dll"},
};

}  // namespace

std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) return std::string();
    // A lone surrogate becomes U+FFFD, so the result is always valid UTF-8.
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    return bytes;
}

std::wstring ToWide(std::string_view text) {
    if (text.empty()) return std::wstring();
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

void WriteOut(std::string_view text) { Write(STD_OUTPUT_HANDLE, text); }
void WriteError(std::string_view message) { Write(STD_ERROR_HANDLE, "velmora: " + std::string(message) + "\n"); }
void WriteErrorText(std::string_view text) { Write(STD_ERROR_HANDLE, text); }

std::string AlignedTable(const std::vector<std::vector<std::string>>& rows) {
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size());
        for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], Width(row[i]));
    }
    std::string text;
    for (const auto& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) text += i + 1 < row.size() ? Pad(row[i], widths[i]) + "  " : row[i];
        text += "\n";
    }
    return text;
}

std::string AlignedPairs(const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::vector<std::vector<std::string>> rows;
    for (const auto& [key, value] : pairs) rows.push_back({key, value});
    return AlignedTable(rows);
}

std::string HexResult(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(static_cast<DWORD>(result)));
    return text;
}

std::string ResultMeaning(HRESULT result) {
    if (result >= 0) return "OK";
    for (const KnownResult& known : kKnownResults) {
        if (known.result == result) return known.meaning;
    }
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring message(buffer != nullptr ? buffer : L"", length);
    ::LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.')) {
        message.pop_back();
    }
    return message.empty() ? "failed" : ToUtf8(message);
}

std::string HexHandle(HWND window) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    return text;
}

std::string Timestamp() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

}  // namespace cli
