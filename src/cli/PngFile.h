#pragma once
// PNG files of captured pictures, through the Windows Imaging Component, and a file that is
// replaced whole or not at all. Standard output takes the bytes through WriteOutBytes (Output.h).
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/Capture.h"

namespace cli {

// The picture as a PNG (32-bpp BGRA, the encoder's default compression); nothing, with `error`
// set to one line, when WIC fails. Initialises COM for the call.
std::optional<std::vector<std::uint8_t>> EncodePng(const Picture& picture, std::string& error);

// Writes a temporary file beside `path` ("PATH.tmp-PID-N") and moves it over `path` once the bytes
// are on disk: readers never see half a file, and on failure an existing file is left as it was
// and the temporary one removed. A writer killed before its move leaves its temporary file behind:
// the next write to the same path removes those whose process has ended (a process on another
// machine, writing to a share, would count as ended).
// `error`: "cannot write PATH: the system's reason".
bool WriteFileAtomically(const std::wstring& path, const std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace cli
