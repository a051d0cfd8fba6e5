// velmora blur: blur-behind on or off, over the whole window or a circle or square centred in the
// client area (the DWM takes the region in client coordinates).
#include "cli/Arguments.h"
#include "cli/Meanings.h"
#include "cli/Target.h"
#include "dwm/BlurRegion.h"
#include "dwm/DwmCalls.h"

namespace cli {
namespace {

struct BlurOptions {
    WindowArguments arguments;
    std::optional<std::string> circle, rect;
    WindowSelector window;
    bool enable = false;
    BlurShape shape = BlurShape::None;
    int size = 0;
    bool transitionOnMaximized = false;
    bool json = false;
};

Message ParseSize(const char* option, const std::string& typed, int& size) {
    const auto value = ParseNumber<int>(typed);
    if (!value || *value < 0 || *value > 100000) {
        return std::string(option) + ": expected a size in pixels from 0 to 100000, got " + Quoted(typed);
    }
    size = *value;
    return std::nullopt;
}

Message Settle(BlurOptions& blur) {
    if (auto message = SettleWindow(blur.arguments, blur.window)) return message;
    if (blur.circle && blur.rect) return "--circle and --rect cannot be combined: give one region";
    if (blur.circle || blur.rect) {
        blur.shape = blur.circle ? BlurShape::Circle : BlurShape::Rect;
        if (auto message = ParseSize(blur.circle ? "--circle" : "--rect", blur.circle ? *blur.circle : *blur.rect, blur.size)) {
            return message;
        }
    }
    const std::vector<std::string>& rest = blur.arguments.rest;
    if (rest.size() != 1 || (rest[0] != "on" && rest[0] != "off")) {
        std::string got;
        for (const std::string& word : rest) got += (got.empty() ? "" : " ") + word;
        return "expected on or off" + (rest.empty() ? std::string() : ", got " + Quoted(got));
    }
    blur.enable = rest[0] == "on";
    return std::nullopt;
}

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

int RunBlur(const BlurOptions& command) {
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
    facts.push_back({"region", Word{NameOf(kBlurShapeNames, command.shape)}});
    if (command.shape != BlurShape::None) facts.push_back({"region-box", Rect{box}});
    facts.push_back({"flags", Word{FlagNames(blurBehind.dwFlags)}});
    facts.push_back({"transition-on-maximized", OnOff{command.transitionOnMaximized}});
    facts.push_back({"result", CallResult(result)});
    return Finish(facts, command.json);
}

}  // namespace

void DefineBlur(CommandDefinition& command) {
    auto options = command.Make<BlurOptions>();
    DeclareWindow(command, options->arguments, "state", "on|off", "blur-behind on or off");
    command.Json(options->json);
    command.Option("--circle", options->circle, "SIZE", "a circle of this diameter");
    command.Option("--rect", options->rect, "SIZE", "a square of this side");
    command.Flag("--transition-on-maximized", options->transitionOnMaximized,
                 "the window takes the maximized colour when maximized");
    command.Footer(kWindowHelp);
    command.OnParsed([options] { return Settle(*options); }, [options] { return RunBlur(*options); });
}

}  // namespace cli
