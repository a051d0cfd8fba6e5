// velmora blur: blur-behind on or off, over the whole window or a circle or square centred in the
// client area (the DWM takes the region in client coordinates).
#include "cli/CommandLine.h"
#include "cli/Meanings.h"
#include "cli/Target.h"
#include "dwm/DwmCalls.h"

namespace cli {
namespace {

constexpr const char* kShapes[] = {"whole-window", "circle", "square"};

std::string FlagNames(DWORD flags) {
    std::string names;
    const auto add = [&](DWORD flag, const char* name) {
        if ((flags & flag) != 0) names += (names.empty() ? "" : "+") + std::string(name);
    };
    add(DWM_BB_ENABLE, "enable");
    add(DWM_BB_BLURREGION, "blur-region");
    add(DWM_BB_TRANSITIONONMAXIMIZED, "transition-on-maximized");
    return names;
}

}  // namespace

int RunBlur(const BlurCommand& command) {
    auto target = OpenTarget(command.window, {"handle", "title"});
    if (!target) return kExitNoWindow;
    const HWND window = target->window;
    Facts facts = std::move(target->facts);
    RECT client{};
    if (!::GetClientRect(window, &client)) return FinishClosed({}, command.json, window);
    const RECT box = CentredBox(client.right, client.bottom, command.size);
    DWM_BLURBEHIND blurBehind{};
    blurBehind.dwFlags = DWM_BB_ENABLE;
    if (command.shape != BlurShape::None) blurBehind.dwFlags |= DWM_BB_BLURREGION;
    if (command.transitionOnMaximized) blurBehind.dwFlags |= DWM_BB_TRANSITIONONMAXIMIZED;
    blurBehind.fEnable = command.enable;
    blurBehind.fTransitionOnMaximized = command.transitionOnMaximized;
    HRESULT result;
    {
        // The DWM keeps its own copy of the region.
        const fw::UniqueRegion region = MakeShapeRegion(command.shape, box);
        blurBehind.hRgnBlur = region.get();
        result = EnableBlurBehindWindow(window, &blurBehind);
    }
    // Closed before the DWM could take it: nothing was done.
    if (result < 0 && HasClosed(window)) return FinishClosed({}, command.json, window);
    facts.push_back({"enable", OnOff{command.enable}});
    facts.push_back({"region", Word{kShapes[static_cast<int>(command.shape)]}});
    if (command.shape != BlurShape::None) facts.push_back({"region-box", Rect{box}});
    facts.push_back({"flags", Word{FlagNames(blurBehind.dwFlags)}});
    facts.push_back({"transition-on-maximized", OnOff{command.transitionOnMaximized}});
    facts.push_back({"result", CallResult(result)});
    return Finish(facts, command.json);
}

}  // namespace cli
