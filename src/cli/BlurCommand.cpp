// velmora blur: blur-behind on or off, with the centred region the inspector's "Exec" makes.
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Reports.h"
#include "dwm/DwmCalls.h"

namespace cli {

int RunBlur(const BlurCommand& command) {
    const HWND window = SelectOrExplain(command.window);
    if (window == nullptr) return kExitNoWindow;
    if (HasClosed(window)) return kExitNoWindow;
    ProcessNames names;
    BlurReport report{GatherFacts(window, names), &command, {}, {}, E_FAIL};
    DWM_BLURBEHIND& blurBehind = report.blurBehind;
    blurBehind.dwFlags = DWM_BB_ENABLE;
    if (command.shape != BlurShape::None) blurBehind.dwFlags |= DWM_BB_BLURREGION;
    if (command.transitionOnMaximized) blurBehind.dwFlags |= DWM_BB_TRANSITIONONMAXIMIZED;
    blurBehind.fEnable = command.enable;
    blurBehind.fTransitionOnMaximized = command.transitionOnMaximized;
    report.regionBox = BlurRegionBox(report.window.rect, command.size);
    {
        const fw::UniqueRegion region = MakeBlurRegion(window, command.shape, command.size);
        blurBehind.hRgnBlur = region.get();
        report.result = EnableBlurBehindWindow(window, &blurBehind);
        blurBehind.hRgnBlur = nullptr;
    }
    if (command.json) {
        WriteOut(BlurJson(report));
    } else {
        const char* shapes[] = {"whole window", "circle ", "square "};
        std::string region = shapes[static_cast<int>(command.shape)];
        if (command.shape != BlurShape::None) region += dwm::RectangleText(report.regionBox);
        WriteOut(std::string("blur: ") + (command.enable ? "on" : "off") + ", " + region +
                 (command.transitionOnMaximized ? ", transition on maximized" : "") + ", " +
                 ResultText(report.result) + "\n");
    }
    return report.result < 0 ? kExitDwmFailed : kExitOk;
}

}  // namespace cli
