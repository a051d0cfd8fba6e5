// velmora windows: the top-level windows in z-order, a row (or a JSON object) each.
#include <algorithm>

#include "cli/Arguments.h"
#include "cli/Target.h"
#include "cli/Visibility.h"
#include "cli/WindowFields.h"

namespace cli {
namespace {

struct WindowsOptions {
    WindowArguments arguments;
    std::vector<std::string> fieldNames;
    WindowSelector filter;  // its options narrow the list
    std::vector<const WindowField*> fields;
    bool json = false;
};

std::string FieldNames() {
    std::string text;
    for (const WindowField& field : WindowFields()) text += (text.empty() ? "" : ", ") + std::string(field.name);
    return text;
}

Message ParseFields(const std::vector<std::string>& names, std::vector<const WindowField*>& fields) {
    fields.clear();
    if (names.empty()) {
        fields = DefaultWindowFields();
        return std::nullopt;
    }
    for (const std::string& name : names) {
        const WindowField* field = FindWindowField(name);
        if (field == nullptr) return "--fields: unknown field " + Quoted(name) + " (fields: " + FieldNames() + ")";
        if (std::find(fields.begin(), fields.end(), field) != fields.end()) {
            return "--fields: " + Quoted(name) + " given twice";
        }
        fields.push_back(field);
    }
    return std::nullopt;
}

int RunWindows(const WindowsOptions& command) {
    Table table{{}, {}, true};
    for (const WindowField* field : command.fields) table.columns.push_back(field->name);
    ProcessNames names;
    // The screen as the whole listing sees it: each window above read once, not once a row.
    const std::vector<HWND> windows = TopLevelWindows();
    const auto scene = std::make_shared<Scene>(windows);
    for (HWND window : windows) {
        WindowProbe probe(window, names);
        probe.ShareScene(scene);
        if ((!command.filter.all && !probe.IsListed()) || !probe.Matches(command.filter)) continue;
        Facts row = ReadFields(probe, command.fields);
        // A window that closed while it was read answers with empty facts: it is no longer there to list.
        if (!HasClosed(window)) table.rows.push_back(std::move(row));
    }
    return Finish({{"windows", std::move(table)}}, command.json);
}

}  // namespace

void DefineWindows(CommandDefinition& command) {
    auto options = command.Make<WindowsOptions>();
    command.Json(options->json);
    DeclareSelection(command, options->arguments);
    command.List("--fields", options->fieldNames, "LIST", "the columns (JSON keys) and their order", ',');
    command.Footer("The selection options narrow the list; --all lists hidden and untitled windows too.\nFields: " +
                   FieldNames() + ".");
    command.OnParsed(
        [options]() -> Message {
            if (auto message = SettleSelection(options->arguments, options->filter)) return message;
            return ParseFields(options->fieldNames, options->fields);
        },
        [options] { return RunWindows(*options); });
}

}  // namespace cli
