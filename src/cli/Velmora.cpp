#include "cli/Velmora.h"

#include "cli/Output.h"

namespace cli {

// Each in its own file.
void DefineWindows(CommandDefinition& command);
void DefineGet(CommandDefinition& command);
void DefineComposition(CommandDefinition& command);
void DefineWatch(CommandDefinition& command);
void DefineSet(CommandDefinition& command);
void DefineFrame(CommandDefinition& command);
void DefineBlur(CommandDefinition& command);
void DefineCapture(CommandDefinition& command);
void DefineLook(CommandDefinition& command);
void DefineWait(CommandDefinition& command);
void DefineMonitors(CommandDefinition& command);
void DefineExplain(CommandDefinition& command);
void DefineMove(CommandDefinition& command);
void DefineDoctor(CommandDefinition& command);

namespace {

constexpr CommandRow kCommands[] = {
    {"windows", "list the top-level windows in z-order", &DefineWindows},
    {"get", "every DWM attribute of a window as the DWM answers, or those named", &DefineGet},
    {"composition", "OS version, composition, colorization colour and composition timing", &DefineComposition},
    {"watch", "one line per DWM notification and, with --windows or a WINDOW, per window event, until Ctrl+C, --count "
              "or --seconds", &DefineWatch},
    {"set", "set DWM attributes, then read back what the DWM reports of them", &DefineSet},
    {"frame", "extend the frame into the client area", &DefineFrame},
    {"blur", "switch blur-behind on or off, with a region centred in the client area", &DefineBlur},
    {"capture", "save a picture of a window, as the DWM shows it, as a PNG", &DefineCapture},
    {"look", "what the DWM drew around a window, measured from the screen: corners, border, caption, shadow",
     &DefineLook},
    {"wait", "wait until a window exists, or holds every condition given, then print it", &DefineWait},
    {"monitors", "each monitor: rectangle, work area, DPI and scale, primary, refresh rate, colour depth", &DefineMonitors},
    {"explain", "whether a window is seen, partly seen or not seen, and every reason", &DefineExplain},
    {"move", "place a window by its visible frame (or its rectangle), and read back where it went", &DefineMove},
    {"doctor", "whether window tests can work on this machine and in this session", &DefineDoctor},
};

constexpr const char* kUsageHint = "Run 'velmora --help' for usage.\n";

}  // namespace

std::span<const CommandRow> Commands() { return kCommands; }

int RunVelmora(const std::vector<std::string>& args) {
    const ParsedCommandLine parsed = ParseCommandLine(kCommands, args);
    switch (parsed.kind) {
        case ParsedCommandLine::Kind::Usage:
            WriteError(parsed.text);
            WriteErrorText(kUsageHint);
            return kExitUsage;
        case ParsedCommandLine::Kind::Help:
            WriteOut(parsed.text);
            return FinishOutput(kExitOk);
        case ParsedCommandLine::Kind::Version:
            WriteOut(VersionText() + "\n");
            return FinishOutput(kExitOk);
        case ParsedCommandLine::Kind::Command:
            break;
    }
    return parsed.run();
}

}  // namespace cli
