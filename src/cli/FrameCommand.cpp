// velmora frame: extends the frame into the client area, then reads the frame bounds back.
#include "cli/Arguments.h"
#include "cli/Meanings.h"
#include "cli/Target.h"
#include "dwm/DwmCalls.h"

namespace cli {
namespace {

struct FrameOptions {
    WindowArguments arguments;
    WindowSelector window;
    MARGINS margins{};
    bool json = false;
};

Message ParseMargins(const std::vector<std::string>& typed, MARGINS& margins) {
    const std::string expected = " (LEFT,RIGHT,TOP,BOTTOM, all or reset; write -- before negative numbers)";
    if (typed.size() != 1) return "expected one margins argument" + expected;
    const std::string& text = typed[0];
    if (text == "all" || text == "reset") {
        const int side = text == "all" ? -1 : 0;
        margins = MARGINS{side, side, side, side};
        return std::nullopt;
    }
    int values[4] = {};
    std::string_view rest = text;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? rest.find(',') : rest.size();
        const auto value = comma == std::string_view::npos ? std::nullopt : ParseNumber<int>(rest.substr(0, comma));
        if (!value) return "bad margins " + Quoted(text) + expected;
        values[i] = *value;
        rest.remove_prefix(std::min(rest.size(), comma + 1));
    }
    margins = MARGINS{values[0], values[1], values[2], values[3]};
    return std::nullopt;
}

int RunFrame(const FrameOptions& command) {
    auto target = OpenTarget(command.window, {"handle", "title"});
    if (!target) return kExitNoWindow;
    const HWND window = target->window;
    Facts facts = std::move(target->facts);
    const HRESULT result = ExtendFrameIntoClientArea(window, command.margins);
    // Closed before the DWM could take it: nothing was done.
    if (result < 0 && HasClosed(window)) return FinishClosed({}, command.json, window);
    facts.push_back({"margins", Margins{command.margins}});
    facts.push_back({"result", CallResult(result)});
    const dwm::Attribute& bounds = *dwm::FindAttribute("extended-frame-bounds");
    const dwm::AttributeReading frame = dwm::ReadAttribute(window, bounds);
    if (frame.result < 0 && HasClosed(window)) return FinishClosed(facts, command.json, window);
    facts.push_back({bounds.name, ReadingValue(bounds, frame, Asked::AsPart)});
    return Finish(facts, command.json);
}

}  // namespace

void DefineFrame(CommandDefinition& command) {
    auto options = command.Make<FrameOptions>();
    DeclareWindow(command, options->arguments, "margins", "LEFT,RIGHT,TOP,BOTTOM",
                  "margins in pixels, all (-1 on every side) or reset (0)");
    command.Json(options->json);
    command.Footer(kWindowHelp);
    command.OnParsed(
        [options]() -> Message {
            if (auto message = SettleWindow(options->arguments, options->window)) return message;
            return ParseMargins(options->arguments.rest, options->margins);
        },
        [options] { return RunFrame(*options); });
}

}  // namespace cli
