#pragma once
// velmora.exe as a whole: the list of its commands, and a command line run against it.
#include <span>
#include <string>
#include <vector>

#include "cli/Command.h"

namespace cli {

// Every command, in the order help lists them: the only place that names them all.
std::span<const CommandRow> Commands();

// Parses and runs a whole command line (UTF-8 arguments, without the program name).
int RunVelmora(const std::vector<std::string>& args);

// "velmora 1.0.1.102 (Velmora)" from the executable's own version resource.
std::string VersionText();

}  // namespace cli
