// velmora windows: the top-level windows in z-order, a line (or a JSON object) each.
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Reports.h"

namespace cli {
namespace {

std::string YesNo(bool value) { return value ? "yes" : "no"; }

// A value the DWM could not give: "no DWM" below Vista, else '?'.
std::string Unknown(const dwm::AttributeReading& reading) { return IsFailure(reading.result) ? "?" : "no DWM"; }

std::string Cell(const WindowFacts& w, Field field) {
    switch (field) {
        case Field::Handle: return HexHandle(w.handle);
        case Field::Pid: return std::to_string(w.pid);
        case Field::Process: return w.process.empty() ? "?" : w.process;
        case Field::Class: return w.className;
        case Field::Visible: return YesNo(w.visible);
        case Field::Minimized: return YesNo(w.minimized);
        case Field::Cloaked: return w.cloaked.result >= 0 ? dwm::DescribeCloaked(w.cloaked.value.scalar) : Unknown(w.cloaked);
        case Field::Rect: return dwm::RectangleText(w.rect);
        case Field::Frame: return w.frame.result >= 0 ? dwm::RectangleText(w.frame.value.rect) : Unknown(w.frame);
        case Field::Dpi: return std::to_string(w.dpi);
        case Field::Title: return w.title;
    }
    return std::string();
}

}  // namespace

int RunWindows(const WindowsCommand& command) {
    FieldSet fields = 0;
    for (const Field field : command.fields) fields |= FieldBit(field);
    ProcessNames names;
    std::vector<WindowFacts> windows;
    for (HWND window : TopLevelWindows()) {
        if (auto facts = GatherFacts(window, names, fields, !command.all)) windows.push_back(std::move(*facts));
    }
    if (command.json) {
        WriteOut(WindowsJson(windows, command.fields));
        return kExitOk;
    }
    std::vector<std::vector<std::string>> rows(1);
    for (const Field field : command.fields) rows[0].push_back(FieldName(field));
    for (const WindowFacts& window : windows) {
        rows.emplace_back();
        for (const Field field : command.fields) rows.back().push_back(Cell(window, field));
    }
    WriteOut(AlignedTable(rows));
    // A DWM that cannot tell cloaking or bounds leaves a '?': the listing itself has not failed.
    return kExitOk;
}

}  // namespace cli
