// velmora get: a window's DWM attributes, each asked of the DWM, with what their values mean.
#include <algorithm>

#include "cli/Arguments.h"
#include "cli/Meanings.h"
#include "cli/Output.h"
#include "cli/Target.h"

namespace cli {
namespace {

struct GetOptions {
    WindowArguments arguments;
    WindowSelector window;
    std::vector<const dwm::Attribute*> attributes;  // every one in the table when none was named
    bool named = false;
    bool json = false;
};

std::string AttributeNames() {
    std::string text;
    for (const dwm::Attribute& attribute : dwm::Attributes()) text += (text.empty() ? "" : ", ") + std::string(attribute.name);
    return text;
}

Message ParseNames(const std::vector<std::string>& names, GetOptions& command) {
    command.named = !names.empty();
    for (const std::string& name : names) {
        const dwm::Attribute* attribute = dwm::FindAttribute(name);
        if (attribute == nullptr) return "unknown attribute " + Quoted(name) + " (attributes: " + AttributeNames() + ")";
        if (std::find(command.attributes.begin(), command.attributes.end(), attribute) != command.attributes.end()) {
            return "attribute " + Quoted(name) + " given twice";
        }
        command.attributes.push_back(attribute);
    }
    if (command.attributes.empty()) {
        for (const dwm::Attribute& attribute : dwm::Attributes()) command.attributes.push_back(&attribute);
    }
    return std::nullopt;
}

std::string AttributeHelp() {
    std::string text = "Attributes (the DWM reports only those marked get; the others read as set-only):";
    for (const dwm::Attribute& attribute : dwm::Attributes()) {
        text += "\n  " + std::string(attribute.name) + "  (" + attribute.help + "; " + dwm::FirstRelease(attribute).name +
                (dwm::CanGet(attribute) ? "; get" : "") + ")";
    }
    return text;
}

Value Monitor(HWND window) {
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    const HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor == nullptr || !::GetMonitorInfoW(monitor, &info)) return Unknown{};
    return Group{{{"name", Word{ToUtf8(info.szDevice)}},
                  {"rect", Rect{info.rcMonitor}},
                  {"work", Rect{info.rcWork}},
                  {"primary", YesNo{(info.dwFlags & MONITORINFOF_PRIMARY) != 0}}}};
}

Value ClientOnScreen(HWND window) {
    RECT client{};
    if (!::GetClientRect(window, &client)) return Unknown{};
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return Rect{client};
}

int RunGet(const GetOptions& command) {
    auto target = OpenTarget(command.window, {"handle", "title", "class", "process", "pid", "rect", "dpi"});
    if (!target) return kExitNoWindow;
    const HWND window = target->window;
    Facts facts = std::move(target->facts);
    facts.push_back({"client-rect", ClientOnScreen(window)});
    facts.push_back({"monitor", Monitor(window)});
    Group attributes{{}, false, true};
    for (const dwm::Attribute* attribute : command.attributes) {
        const dwm::AttributeReading reading = dwm::ReadAttribute(window, *attribute);
        attributes.facts.push_back(
            {attribute->name, ReadingValue(*attribute, reading, command.named ? Asked::ByName : Asked::AsPart)});
    }
    facts.push_back({"attributes", std::move(attributes)});
    // Whatever was read after the window closed is not the window's.
    if (HasClosed(window)) return FinishClosed({}, command.json, window);
    return Finish(facts, command.json);
}

}  // namespace

void DefineGet(CommandDefinition& command) {
    auto options = command.Make<GetOptions>();
    DeclareWindow(command, options->arguments, "attributes", "NAME", "attribute names (default: all)");
    command.Json(options->json);
    command.Footer(std::string(kWindowHelp) + "\n" + AttributeHelp());
    command.OnParsed(
        [options]() -> Message {
            if (auto message = SettleWindow(options->arguments, options->window)) return message;
            return ParseNames(options->arguments.rest, *options);
        },
        [options] { return RunGet(*options); });
}

}  // namespace cli
