// velmora frame: extends the frame into the client area, then reads the frame bounds back.
#include "cli/CommandLine.h"
#include "cli/Meanings.h"
#include "cli/Target.h"
#include "dwm/DwmCalls.h"

namespace cli {

int RunFrame(const FrameCommand& command) {
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

}  // namespace cli
