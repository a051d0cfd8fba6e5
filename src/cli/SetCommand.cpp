// velmora set: sets DWM attributes in the order given, then reads back what the DWM made of each.
#include "cli/CommandLine.h"
#include "cli/Meanings.h"
#include "cli/Target.h"

namespace cli {

int RunSet(const SetCommand& command) {
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

}  // namespace cli
