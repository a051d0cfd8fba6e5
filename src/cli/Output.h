#pragma once
// Where velmora's text goes: UTF-16 through WriteConsoleW when a stream is a console, UTF-8 bytes
// when it is a file or a pipe. All text here is UTF-8 (WTF-8, below). A write to stdout that fails
// is remembered: the command then ends with one line on stderr and exit status 1.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace cli {

// Window titles may hold lone UTF-16 surrogates, which UTF-8 cannot carry: inside velmora text is
// WTF-8, UTF-8 that also encodes a lone surrogate as the three bytes of its code point, so that
// nothing is lost on the way. JSON writes such a surrogate as its \u escape, TerminalSafe escapes
// it, and bytes for a file or a pipe carry U+FFFD instead.
std::string ToUtf8(std::wstring_view text);
std::wstring ToWide(std::string_view text);
// The code point that starts at `at` (a lone surrogate is one), `at` moved past it; a byte that
// starts no valid sequence is U+FFFD, and only that byte is consumed.
char32_t NextCodePoint(std::string_view text, std::size_t& at);
constexpr bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
// Valid UTF-8: each lone surrogate replaced by U+FFFD.
std::string ToStrictUtf8(std::string_view text);

// Takes some of the bytes, says how many, and answers 0 or the error: WriteFile's contract.
using ByteWriter = std::function<DWORD(std::string_view bytes, DWORD& written)>;
// All of the bytes in order through `write`, however few each call takes: 0 or the first error. A
// call that takes nothing is an error too, not a loop without end.
DWORD WriteAll(std::string_view bytes, const ByteWriter& write);
// WriteAll through WriteFile: a file, a pipe, a redirected stream.
DWORD WriteAll(HANDLE file, std::string_view bytes);

// False once any write to stdout has failed; nothing more is written after that.
bool WriteOut(std::string_view text);
// Bytes exactly as given (a PNG), never converted.
bool WriteOutBytes(std::string_view bytes);
// "velmora: " + message, one line on stderr.
void WriteError(std::string_view message);
// Plain lines on stderr (the matches of an ambiguous selection, a note).
void WriteErrorText(std::string_view text);
// The exit status once stdout has been written: 1, after saying why on stderr, when a write failed.
int FinishOutput(int status);

// What a failed call means in a few words: FormatMessage's text, or a name for the DWM's own.
std::string SystemMessage(DWORD error);

// "2026-12-07T18:01:02.345", local time.
std::string Timestamp();

}  // namespace cli
