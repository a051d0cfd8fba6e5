#pragma once
// The commands of velmora.exe: each returns the process's exit status.
#include <string>
#include <vector>

#include "cli/CommandLine.h"

namespace cli {

int RunWindows(const WindowsCommand& command);
int RunGet(const GetCommand& command);
int RunComposition(const CompositionCommand& command);
int RunWatch(const WatchCommand& command);
int RunSet(const SetCommand& command);
int RunFrame(const FrameCommand& command);
int RunBlur(const BlurCommand& command);

// Parses and runs a whole command line (UTF-8 arguments, without the program name).
int RunVelmora(const std::vector<std::string>& args);

// "velmora 1.0.1.102 (Velmora)" from the executable's own version resource.
std::string VersionText();

}  // namespace cli
