// velmora get: a window's DWM attributes, each asked of the DWM, with what their values mean.
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Reports.h"

namespace cli {
namespace {

MonitorFacts Monitor(HWND window) {
    MonitorFacts facts;
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    const HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor == nullptr || !::GetMonitorInfoW(monitor, &info)) return facts;
    facts.known = true;
    facts.name = ToUtf8(info.szDevice);
    facts.rect = info.rcMonitor;
    facts.work = info.rcWork;
    facts.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    return facts;
}

RECT ClientOnScreen(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

std::string Text(const GetReport& report) {
    const WindowFacts& w = report.window;
    std::vector<std::pair<std::string, std::string>> pairs{
        {"window", HexHandle(w.handle) + " \"" + w.title + "\""},
        {"class", w.className},
        {"process", (w.process.empty() ? "?" : w.process) + " (pid " + std::to_string(w.pid) + ")"},
        {"rect", dwm::RectangleText(w.rect)},
        {"client-rect", dwm::RectangleText(report.clientRect)},
        {"dpi", std::to_string(w.dpi)},
        {"monitor", report.monitor.known ? report.monitor.name + " " + dwm::RectangleText(report.monitor.rect) +
                                               (report.monitor.primary ? " primary" : "")
                                         : "?"},
    };
    for (const AttributeLine& line : report.attributes) {
        pairs.emplace_back(line.attribute->name, ReadingText(*line.attribute, line.reading));
    }
    return AlignedPairs(pairs);
}

}  // namespace

int RunGet(const GetCommand& command) {
    const HWND window = SelectOrExplain(command.window);
    if (window == nullptr) return kExitNoWindow;
    ProcessNames names;
    GetReport report{GatherFacts(window, names), ClientOnScreen(window), Monitor(window),
                     {}};
    bool failed = false;
    for (const dwm::Attribute* attribute : command.attributes) {
        report.attributes.push_back({attribute, dwm::ReadAttribute(window, *attribute)});
        failed = failed || IsFailure(report.attributes.back().reading.result);
    }
    WriteOut(command.json ? GetJson(report) : Text(report));
    return failed ? kExitDwmFailed : kExitOk;
}

}  // namespace cli
