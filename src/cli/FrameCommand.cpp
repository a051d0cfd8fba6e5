// velmora frame: extends the frame into the client area, then reads the frame bounds back.
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Reports.h"
#include "dwm/DwmCalls.h"

namespace cli {
namespace {

std::string MarginsText(const MARGINS& m) {
    return "left " + std::to_string(m.cxLeftWidth) + ", right " + std::to_string(m.cxRightWidth) + ", top " +
           std::to_string(m.cyTopHeight) + ", bottom " + std::to_string(m.cyBottomHeight);
}

}  // namespace

int RunFrame(const FrameCommand& command) {
    const HWND window = SelectOrExplain(command.window);
    if (window == nullptr) return kExitNoWindow;
    if (HasClosed(window)) return kExitNoWindow;
    ProcessNames names;
    const dwm::Attribute& bounds = *dwm::FindAttribute("extended-frame-bounds");
    FrameReport report{GatherFacts(window, names), &command,
                       ExtendFrameIntoClientArea(window, command.margins), {}};
    report.frame = dwm::ReadAttribute(window, bounds);
    if (command.json) {
        WriteOut(FrameJson(report));
    } else {
        WriteOut(AlignedPairs({{"frame", MarginsText(command.margins) + ", " + ResultText(report.result)},
                               {bounds.name, ReadingText(bounds, report.frame)}}));
    }
    return report.result < 0 ? kExitDwmFailed : kExitOk;
}

}  // namespace cli
