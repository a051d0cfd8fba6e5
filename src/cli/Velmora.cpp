#include "cli/CommandLine.h"
#include "cli/Output.h"

#include <type_traits>

namespace cli {
namespace {

constexpr const char* kUsageHint = "Run 'velmora --help' for usage.\n";

template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

}  // namespace

int RunVelmora(const std::vector<std::string>& args) {
    const ParsedCommand parsed = ParseCommandLine(args);
    return std::visit(Overloaded{
                          [](const UsageError& error) {
                              WriteError(error.message);
                              WriteErrorText(kUsageHint);
                              return int{kExitUsage};
                          },
                          [](const HelpRequest& help) {
                              WriteOut(help.text);
                              return FinishOutput(kExitOk);
                          },
                          [](const VersionRequest&) {
                              WriteOut(VersionText() + "\n");
                              return FinishOutput(kExitOk);
                          },
                          [](const WindowsCommand& command) { return RunWindows(command); },
                          [](const GetCommand& command) { return RunGet(command); },
                          [](const CompositionCommand& command) { return RunComposition(command); },
                          [](const WatchCommand& command) { return RunWatch(command); },
                          [](const SetCommand& command) { return RunSet(command); },
                          [](const FrameCommand& command) { return RunFrame(command); },
                          [](const BlurCommand& command) { return RunBlur(command); },
                          [](const CaptureCommand& command) { return RunCapture(command); },
                          [](const WaitCommand& command) { return RunWait(command); },
                      },
                      parsed);
}

}  // namespace cli
