#pragma once
// Where velmora's text goes: UTF-16 through WriteConsoleW when a stream is a console, UTF-8 bytes
// when it is a file or a pipe. All text here is UTF-8. A write to stdout that fails or falls short
// is remembered: the command then ends with one line on stderr and exit status 1.
#include <windows.h>

#include <string>
#include <string_view>

namespace cli {

std::string ToUtf8(std::wstring_view text);
std::wstring ToWide(std::string_view text);

// False once any write to stdout has failed; nothing more is written after that.
bool WriteOut(std::string_view text);
// Bytes exactly as given (a PNG), never converted.
bool WriteOutBytes(const void* data, size_t size);
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
