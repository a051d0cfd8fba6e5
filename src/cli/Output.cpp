#include "cli/Output.h"

#include <cstdio>

namespace cli {
namespace {

// The first error a write to stdout met, or 0: the one state every write shares.
DWORD g_outError = 0;

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& bytes, char32_t c) {
    if (c < 0x80) {
        bytes += static_cast<char>(c);
        return;
    }
    constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    const int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    bytes += static_cast<char>(kLead[extra] | c >> 6 * extra);
    for (int i = extra - 1; i >= 0; --i) bytes += static_cast<char>(0x80 | (c >> 6 * i & 0x3F));
}

bool IsConsole(HANDLE stream) {
    DWORD mode = 0;
    return ::GetConsoleMode(stream, &mode) != FALSE;
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
    // A file or pipe gets valid UTF-8; only text that is not escaped (a path the user gave) can
    // still hold a lone surrogate here.
    if (text.find('\xED') != std::string_view::npos) return WriteAll(stream, ToStrictUtf8(text));
    return WriteAll(stream, text);
}

bool Remember(DWORD error) {
    if (g_outError == 0) g_outError = error;
    return g_outError == 0;
}

}  // namespace

std::string ToUtf8(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        // A high surrogate and a low one after it are one character; any other is alone.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        AppendUtf8(bytes, c);
    }
    return bytes;
}

std::wstring ToWide(std::string_view text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char32_t c = NextCodePoint(text, at);
        if (c < 0x10000) {
            wide += static_cast<wchar_t>(c);
        } else {
            wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return wide;
}

char32_t NextCodePoint(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) return lead;
    const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (extra == 0 || lead > 0xF4 || at + extra > text.size()) return kReplacement;
    char32_t c = lead & (0x3F >> extra);
    for (std::size_t i = 0; i < extra; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if ((byte & 0xC0) != 0x80) return kReplacement;
        c = c << 6 | (byte & 0x3F);
    }
    // The shortest form only: a longer one could hide a character from a check on bytes.
    constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kShortest[extra] || c > 0x10FFFF) return kReplacement;
    at += extra;
    return c;
}

std::string ToStrictUtf8(std::string_view text) {
    std::string strict;
    strict.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        if (IsSurrogate(NextCodePoint(text, at))) AppendUtf8(strict, kReplacement);
        else strict.append(text.substr(start, at - start));
    }
    return strict;
}

DWORD WriteAll(std::string_view bytes, const ByteWriter& write) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const std::string_view chunk = bytes.substr(0, std::size_t{1} << 30);
        if (const DWORD error = write(chunk, written)) return error;
        if (written == 0) return ERROR_WRITE_FAULT;
        bytes.remove_prefix(written);
    }
    return 0;
}

DWORD WriteAll(HANDLE file, std::string_view bytes) {
    if (file == nullptr || file == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    return WriteAll(bytes, [file](std::string_view chunk, DWORD& written) -> DWORD {
        return ::WriteFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr) ? 0 : ::GetLastError();
    });
}

bool WriteOut(std::string_view text) {
    if (g_outError != 0) return false;
    return Remember(WriteText(::GetStdHandle(STD_OUTPUT_HANDLE), text));
}

bool WriteOutBytes(std::string_view bytes) {
    if (g_outError != 0) return false;
    // The handle itself: no C runtime text mode to turn 0x0A into 0x0D 0x0A.
    return Remember(WriteAll(::GetStdHandle(STD_OUTPUT_HANDLE), bytes));
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
