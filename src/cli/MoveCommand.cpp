// velmora move: places a window by its visible frame (or its window rectangle), then reads back
// where it went.
#include <array>
#include <utility>

#include "cli/Arguments.h"
#include "cli/Monitors.h"
#include "cli/Output.h"
#include "cli/Placement.h"
#include "cli/Target.h"

namespace cli {
namespace {

constexpr std::pair<const char*, PlaceBy> kPlaceByNames[] = {{"frame", PlaceBy::Frame}, {"window", PlaceBy::Window}};

struct MoveOptions {
    WindowArguments arguments;
    std::optional<std::string> byName, monitorTyped;
    WindowSelector window;
    PlacementRequest request;
    std::optional<unsigned> monitor;  // numbered from 1, as `monitors` lists them
    bool json = false;
};

Message Settle(MoveOptions& move) {
    // With the selection options every positional is a number of the placement, the first too,
    // however much it looks like a handle.
    if (HasSelectionOption(move.arguments) && !move.arguments.window.empty()) {
        move.arguments.rest.insert(move.arguments.rest.begin(), std::exchange(move.arguments.window, std::string()));
    }
    if (auto message = SettleWindow(move.arguments, move.window)) return message;
    const std::vector<std::string>& rest = move.arguments.rest;
    const char* expected = " (X Y, or X Y WIDTH HEIGHT, in pixels; write -- before negative numbers)";
    if (rest.size() != 2 && rest.size() != 4) return "expected a position and maybe a size" + std::string(expected);
    std::array<LONG, 4> values{};
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const auto value = ParseNumber<LONG>(rest[i]);
        const bool size = i >= 2;
        if (!value || *value < (size ? 1 : -1000000) || *value > 1000000) {
            return std::string("bad ") + (size ? "size " : "position ") + Quoted(rest[i]) + expected;
        }
        values[i] = *value;
    }
    move.request.x = values[0];
    move.request.y = values[1];
    if (rest.size() == 4) move.request.size = SIZE{values[2], values[3]};
    if (move.monitorTyped) {
        move.monitor = ParseNumber<unsigned>(*move.monitorTyped);
        if (!move.monitor || *move.monitor == 0) return "--monitor: expected a monitor's number from 1, got " + Quoted(*move.monitorTyped);
    }
    return ParseChoice("--by", move.byName, kPlaceByNames, move.request.by);
}

int RunMove(const MoveOptions& command) {
    PlacementRequest request = command.request;
    if (command.monitor) {
        const std::vector<MonitorInfo> monitors = ReadMonitors();
        if (*command.monitor > monitors.size()) {
            WriteError("--monitor " + std::to_string(*command.monitor) + ": there " +
                       (monitors.size() == 1 ? "is 1 monitor" : "are " + std::to_string(monitors.size()) + " monitors") +
                       " ('velmora monitors' lists them)");
            return kExitFailed;
        }
        const RECT& work = monitors[*command.monitor - 1].work;
        request.x += work.left;
        request.y += work.top;
    }
    auto target = OpenTarget(command.window, {"handle", "title"});
    if (!target) return kExitNoWindow;
    Facts facts = std::move(target->facts);
    if (command.monitor) facts.push_back({"monitor", Integer{*command.monitor}});
    PlacementResult placed = PlaceWindow(target->window, request);
    facts.insert(facts.end(), placed.facts.begin(), placed.facts.end());
    if (placed.closed) return FinishClosed(placed.facts.empty() ? Facts{} : facts, command.json, target->window);
    WriteOut(command.json ? DocumentJson(facts) : DocumentText(facts));
    if (!placed.refused.empty()) WriteError(placed.refused);
    return FinishOutput(!placed.refused.empty() || HasFailure(facts) ? kExitFailed : kExitOk);
}

}  // namespace

void DefineMove(CommandDefinition& command) {
    auto options = command.Make<MoveOptions>();
    DeclareWindow(command, options->arguments, "position", "X Y [WIDTH HEIGHT]",
                  "where its visible frame (or rectangle) goes, and its size (default: the size it has)");
    command.Json(options->json);
    command.Option("--by", options->byName, "frame|window",
                   "place the visible frame, without the invisible resize borders (default), or the window rectangle");
    command.Option("--monitor", options->monitorTyped, "N", "X and Y from the top left of monitor N's work area");
    command.Footer(std::string(kWindowHelp) +
                   "\nPhysical pixels of the virtual screen. A minimized or maximized window is restored first, and says\n"
                   "so. Where the window went is read back: exit 1 when it differs from what was asked (the window refused\n"
                   "or clamped it), with the difference.");
    command.OnParsed([options] { return Settle(*options); }, [options] { return RunMove(*options); });
}

}  // namespace cli
