#include "cli/Output.h"

#include <cstdio>

namespace cli {
namespace {

// The first error a write to stdout met, or 0: the one state every write shares.
DWORD g_outError = 0;

bool IsConsole(HANDLE stream) {
    DWORD mode = 0;
    return ::GetConsoleMode(stream, &mode) != FALSE;
}

// Everything or an error code; a short write is an error too.
DWORD WriteAll(HANDLE stream, const void* data, size_t size) {
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > 1u << 30 ? 1u << 30 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(stream, bytes, chunk, &written, nullptr)) return ::GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        bytes += written;
        size -= written;
    }
    return 0;
}

DWORD WriteText(HANDLE stream, std::string_view text) {
    if (text.empty()) return 0;
    if (stream != nullptr && stream != INVALID_HANDLE_VALUE && IsConsole(stream)) {
        const std::wstring wide = ToWide(text);
        DWORD written = 0;
        if (!::WriteConsoleW(stream, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) {
            return ::GetLastError();
        }
        return written == wide.size() ? 0 : ERROR_WRITE_FAULT;
    }
    return WriteAll(stream, text.data(), text.size());
}

bool Remember(DWORD error) {
    if (g_outError == 0) g_outError = error;
    return g_outError == 0;
}

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

bool WriteOut(std::string_view text) {
    if (g_outError != 0) return false;
    return Remember(WriteText(::GetStdHandle(STD_OUTPUT_HANDLE), text));
}

bool WriteOutBytes(const void* data, size_t size) {
    if (g_outError != 0) return false;
    return Remember(WriteAll(::GetStdHandle(STD_OUTPUT_HANDLE), data, size));
}

void WriteError(std::string_view message) {
    WriteText(::GetStdHandle(STD_ERROR_HANDLE), "velmora: " + std::string(message) + "\n");
}
void WriteErrorText(std::string_view text) { WriteText(::GetStdHandle(STD_ERROR_HANDLE), text); }

int FinishOutput(int status) {
    if (g_outError == 0) return status;
    WriteError("cannot write the output: " + SystemMessage(g_outError));
    return 1;
}

std::string SystemMessage(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring message(buffer != nullptr ? buffer : L"", length);
    ::LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.')) {
        message.pop_back();
    }
    if (!message.empty()) return ToUtf8(message);
    char text[32];
    std::snprintf(text, sizeof text, "error 0x%08lx", static_cast<unsigned long>(error));
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
