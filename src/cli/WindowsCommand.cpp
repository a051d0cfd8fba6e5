// velmora windows: the top-level windows in z-order, a row (or a JSON object) each.
#include "cli/CommandLine.h"
#include "cli/Target.h"

namespace cli {

int RunWindows(const WindowsCommand& command) {
    Table table{{}, {}, true};
    for (const WindowField* field : command.fields) table.columns.push_back(field->name);
    ProcessNames names;
    for (HWND window : TopLevelWindows()) {
        WindowProbe probe(window, names);
        if ((!command.filter.all && !probe.IsListed()) || !probe.Matches(command.filter)) continue;
        Facts row = ReadFields(probe, command.fields);
        // A window that closed while it was read answers with empty facts: it is no longer there to list.
        if (!HasClosed(window)) table.rows.push_back(std::move(row));
    }
    return Finish({{"windows", std::move(table)}}, command.json);
}

}  // namespace cli
