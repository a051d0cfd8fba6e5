// velmora capture: a window as the DWM shows it, saved as a PNG (or written to stdout).
#include "cli/CommandLine.h"
#include "cli/Output.h"
#include "cli/PngFile.h"
#include "cli/Target.h"

namespace cli {
namespace {

constexpr const char* kAreas[] = {"frame", "window", "client"};
constexpr const char* kMethods[] = {"auto", "screen", "print"};

const char* AreaName(CaptureArea area) { return kAreas[static_cast<int>(area)]; }

Value CoveredBy(const std::vector<HWND>& windows) {
    Table table{{"handle", "title"}, {}};
    ProcessNames names;
    for (HWND window : windows) {
        WindowProbe probe(window, names);
        table.rows.push_back(ReadFields(probe, {"handle", "title"}));
    }
    return table;
}

}  // namespace

int RunCapture(const CaptureCommand& command) {
    auto target = OpenTarget(command.window, {"handle", "title"});
    if (!target) return kExitNoWindow;
    const HWND window = target->window;
    CaptureResult capture = CaptureWindow(window, command.area, command.method);
    if (capture.status == CaptureStatus::Closed) return FinishClosed({}, command.json, window);
    if (capture.status != CaptureStatus::Ok) {
        WriteError(capture.reason);
        return kExitFailed;
    }
    std::string error;
    const auto png = EncodePng(capture.picture, error);
    if (!png) {
        WriteError(error);
        return kExitFailed;
    }
    // The picture itself is the output: nothing else may share the stream.
    if (command.output == "-") {
        return WriteOutBytes({reinterpret_cast<const char*>(png->data()), png->size()}) ? kExitOk : FinishOutput(kExitOk);
    }
    const std::string file = command.output.value_or(HexHandle(window) + "-" + AreaName(command.area) + ".png");
    if (!WriteFileAtomically(ToWide(file), *png, error)) {
        WriteError(error);
        return kExitFailed;
    }
    Facts facts = std::move(target->facts);
    const RECT& r = capture.rect;
    facts.insert(facts.end(), {{"area", Word{AreaName(command.area)}},
                               {"rect", Rect{r}},
                               {"width", Integer{r.right - r.left}},
                               {"height", Integer{r.bottom - r.top}},
                               {"dpi", Integer{capture.dpi}},
                               {"method", Word{kMethods[static_cast<int>(capture.method)]}},
                               {"fell-back", YesNo{capture.fellBack}},
                               {"file", Word{file}},  // the user's own path, as the errors show it
                               {"bytes", Integer{static_cast<std::int64_t>(png->size())}},
                               {"covered-by", CoveredBy(capture.coveredBy)}});
    return Finish(facts, command.json);
}

}  // namespace cli
