// velmora get: a window's DWM attributes, each asked of the DWM, with what their values mean.
#include "cli/CommandLine.h"
#include "cli/Meanings.h"
#include "cli/Output.h"
#include "cli/Target.h"

namespace cli {
namespace {

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

}  // namespace

int RunGet(const GetCommand& command) {
    auto target = OpenTarget(command.window, {"handle", "title", "class", "process", "pid", "rect", "dpi"});
    if (!target) return kExitNoWindow;
    const HWND window = target->window;
    Facts facts = std::move(target->facts);
    facts.push_back({"client-rect", ClientOnScreen(window)});
    facts.push_back({"monitor", Monitor(window)});
    Group attributes{{}, false};
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

}  // namespace cli
