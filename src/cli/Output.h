#pragma once
// Where velmora's text goes: UTF-16 through WriteConsoleW when a stream is a console, UTF-8 bytes
// when it is a file or a pipe. All text here is UTF-8.
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cli {

std::string ToUtf8(std::wstring_view text);
std::wstring ToWide(std::string_view text);

void WriteOut(std::string_view text);
// "velmora: " + message, one line on stderr.
void WriteError(std::string_view message);
// Plain lines on stderr (the matches of an ambiguous selection, a note).
void WriteErrorText(std::string_view text);

// Rows of cells as aligned text: each column as wide as its widest cell, two blanks between,
// the last column not padded.
std::string AlignedTable(const std::vector<std::vector<std::string>>& rows);
// "key   value" lines, values aligned.
std::string AlignedPairs(const std::vector<std::pair<std::string, std::string>>& pairs);

// The HRESULT as "0x8007000e" and what it means in a few words.
std::string HexResult(HRESULT result);
std::string ResultMeaning(HRESULT result);
// "0x0001a2b4".
std::string HexHandle(HWND window);

// "2026-12-07T18:01:02.345", local time.
std::string Timestamp();

}  // namespace cli
