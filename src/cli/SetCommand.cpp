// velmora set: sets DWM attributes in the order given, then reads back what the DWM made of each.
#include "cli/Arguments.h"
#include "cli/Meanings.h"
#include "cli/Target.h"

namespace cli {
namespace {

struct Assignment {
    const dwm::Attribute* attribute;
    DWORD value;
};

struct SetOptions {
    WindowArguments arguments;
    WindowSelector window;
    std::vector<Assignment> assignments;
    bool json = false;
};

std::string SettableNames() {
    std::string text;
    for (const dwm::Attribute& attribute : dwm::Attributes()) {
        if (dwm::CanSet(attribute)) text += (text.empty() ? "" : ", ") + std::string(attribute.name);
    }
    return text;
}

Message ParseAssignments(const std::vector<std::string>& typed, std::vector<Assignment>& assignments) {
    if (typed.empty()) return "nothing to set (NAME=VALUE, e.g. corner=round)";
    for (const std::string& assignment : typed) {
        const size_t equals = assignment.find('=');
        if (equals == std::string::npos) return "expected NAME=VALUE, got " + Quoted(assignment);
        const std::string name = assignment.substr(0, equals);
        const std::string text = assignment.substr(equals + 1);
        const dwm::Attribute* attribute = dwm::FindAttribute(name);
        if (attribute == nullptr || !dwm::CanSet(*attribute)) {
            return std::string(attribute == nullptr ? "unknown attribute " : "the DWM does not take ") + Quoted(name) +
                   " (settable: " + SettableNames() + ")";
        }
        const auto value = dwm::ParseValue(*attribute, text);
        if (!value) {
            return "bad value " + Quoted(text) + " for " + name + " (allowed: " + dwm::AllowedValues(*attribute) + ")";
        }
        assignments.push_back({attribute, *value});
    }
    return std::nullopt;
}

std::string SettableHelp() {
    std::string text = "Attributes and values (set-only unless marked get):";
    for (const dwm::Attribute& attribute : dwm::Attributes()) {
        if (!dwm::CanSet(attribute)) continue;
        text += "\n  " + std::string(attribute.name) + " = " + dwm::AllowedValues(attribute) + "  (" + attribute.help +
                "; " + attribute.since->name + (dwm::CanGet(attribute) ? "; get" : "") + ")";
    }
    return text;
}

int RunSet(const SetOptions& command) {
    auto target = OpenTarget(command.window, {"handle", "title"});
    if (!target) return kExitNoWindow;
    const HWND window = target->window;
    Facts facts = std::move(target->facts);
    Table lines{{"attribute", "requested", "result", "now"}, {}};
    // What was applied before the window closed, if anything was.
    const auto done = [&] {
        if (lines.rows.empty()) facts.clear();
        else facts.push_back({"set", lines});
    };
    // In the order given; a refusal does not stop the rest, a closed window does.
    for (const Assignment& assignment : command.assignments) {
        const dwm::Attribute& attribute = *assignment.attribute;
        const HRESULT result = dwm::WriteAttribute(window, attribute, assignment.value);
        if (result < 0 && HasClosed(window)) return done(), FinishClosed(facts, command.json, window);
        const dwm::AttributeReading now = dwm::ReadAttribute(window, attribute);
        const bool closed = now.result < 0 && HasClosed(window);
        lines.rows.push_back({{"attribute", Word{attribute.name}},
                              {"requested", AttributeValue(attribute, {assignment.value, {}})},
                              {"result", WriteResult(attribute, result)},
                              {"now", closed ? Value{Unknown{}} : ReadingValue(attribute, now, Asked::AsPart, true)}});
        if (closed) return done(), FinishClosed(facts, command.json, window);
    }
    done();
    return Finish(facts, command.json);
}

}  // namespace

void DefineSet(CommandDefinition& command) {
    auto options = command.Make<SetOptions>();
    DeclareWindow(command, options->arguments, "assignments", "NAME=VALUE", "assignments, applied in order");
    command.Json(options->json);
    command.Footer(std::string(kWindowHelp) + "\n" + SettableHelp());
    command.OnParsed(
        [options]() -> Message {
            if (auto message = SettleWindow(options->arguments, options->window)) return message;
            return ParseAssignments(options->arguments.rest, options->assignments);
        },
        [options] { return RunSet(*options); });
}

}  // namespace cli
