// velmora monitors: each monitor of the virtual screen, left to right, then top to bottom.
#include "cli/Command.h"
#include "cli/Monitors.h"
#include "cli/Target.h"

namespace cli {

void DefineMonitors(CommandDefinition& command) {
    auto json = command.Make<bool>();
    command.Json(*json);
    command.Footer("Rectangles in physical pixels of the virtual screen; dpi and scale are the effective ones, refresh-hz\n"
                   "and bits from the display settings (? where they cannot be read). move --monitor N counts as here.");
    command.OnParsed({}, [json] { return Finish(MonitorFacts(ReadMonitors()), *json); });
}

}  // namespace cli
