// velmora capture: a window as the DWM shows it, saved as a PNG (or written to stdout).
#include "cli/Arguments.h"
#include "cli/Matte.h"
#include "cli/Output.h"
#include "cli/PngFile.h"
#include "cli/StopSignal.h"
#include "cli/Target.h"
#include "cli/WindowFields.h"

namespace cli {
namespace {

struct CaptureOptions {
    WindowArguments arguments;
    std::optional<std::string> areaName, methodName, marginTyped;
    WindowSelector window;
    std::optional<std::string> output;  // a PNG file, "-" for stdout; else named after what was taken
    CaptureArea area = CaptureArea::Frame;
    CaptureMethod method = CaptureMethod::Auto;
    bool matte = false;
    int margin = 0;  // around a matte's area, physical pixels
    bool json = false;
};

Message Settle(CaptureOptions& capture) {
    if (auto message = SettleWindow(capture.arguments, capture.window)) return message;
    if (auto message = NothingLeft(capture.arguments, "capture")) return message;
    if (auto message = ParseChoice("--area", capture.areaName, kCaptureAreaNames, capture.area)) return message;
    if (auto message = ParseChoice("--method", capture.methodName, kCaptureMethodNames, capture.method)) return message;
    if (capture.output && capture.output->empty()) return "--output: expected a file name or -";
    if (capture.marginTyped && !capture.matte) return "--margin widens a matte capture: give --matte too";
    if (capture.matte && capture.method == CaptureMethod::Print) return "--matte takes the screen: not with --method print";
    if (capture.marginTyped) {
        const auto margin = ParseNumber<int>(*capture.marginTyped);
        if (!margin || *margin < 0 || *margin > 1000) return "--margin: expected pixels from 0 to 1000, got " + Quoted(*capture.marginTyped);
        capture.margin = *margin;
    }
    return std::nullopt;
}

// With --matte: over white and over black, the picture with true transparency.
CaptureResult Take(const CaptureOptions& command, HWND window) {
    if (!command.matte) return CaptureWindow(window, command.area, command.method);
    const StopSignal ctrlC;
    return CaptureMatte(window, command.area, command.margin, ctrlC.Event());
}


Value CoveredBy(const std::vector<HWND>& windows) {
    Table table{{"handle", "title"}, {}};
    ProcessNames names;
    for (HWND window : windows) {
        WindowProbe probe(window, names);
        table.rows.push_back(ReadFields(probe, {"handle", "title"}));
    }
    return table;
}

int RunCapture(const CaptureOptions& command) {
    auto target = OpenTarget(command.window, {"handle", "title"});
    if (!target) return kExitNoWindow;
    const HWND window = target->window;
    CaptureResult capture = Take(command, window);
    if (capture.status == CaptureStatus::Closed) return FinishClosed({}, command.json, window);
    if (capture.status != CaptureStatus::Ok) {
        WriteError(capture.reason);
        return capture.status == CaptureStatus::Interrupted ? kExitInterrupted : kExitFailed;
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
    const std::string file = command.output.value_or(HexHandle(window) + "-" + NameOf(kCaptureAreaNames, command.area) +
                                                     (command.matte ? "-matte.png" : ".png"));
    if (!WriteFileAtomically(ToWide(file), *png, error)) {
        WriteError(error);
        return kExitFailed;
    }
    Facts facts = std::move(target->facts);
    const RECT& r = capture.rect;
    facts.insert(facts.end(), {{"area", Word{NameOf(kCaptureAreaNames, command.area)}},
                               {"rect", Rect{r}},
                               {"width", Integer{r.right - r.left}},
                               {"height", Integer{r.bottom - r.top}},
                               {"dpi", Integer{capture.dpi}},
                               {"method", Word{NameOf(kCaptureMethodNames, capture.method)}},
                               {"fell-back", YesNo{capture.fellBack}},
                               {"matte", YesNo{command.matte}},
                               {"margin", Integer{command.margin}},
                               {"file", Word{file}},  // the user's own path, as the errors show it
                               {"bytes", Integer{static_cast<std::int64_t>(png->size())}},
                               {"covered-by", CoveredBy(capture.coveredBy)}});
    return Finish(facts, command.json);
}

}  // namespace

void DefineCapture(CommandDefinition& command) {
    auto options = command.Make<CaptureOptions>();
    DeclareWindow(command, options->arguments);
    command.Json(options->json);
    command.Option("-o,--output", options->output, "FILE.png",
                   "the PNG file, - for standard output (default: HANDLE-AREA.png here)");
    command.Option("--area", options->areaName, "AREA", "frame (the window as seen), window (its rectangle) or client");
    command.Option("--method", options->methodName, "METHOD",
                   "screen (what the DWM composed), print (the window renders itself) or auto");
    command.Flag("--matte", options->matte, "true transparency: the screen over a white and a black backdrop of "
                 "velmora's own, below the window");
    command.Option("--margin", options->marginTyped, "PX", "a matte's area widened by PX physical pixels on every side, "
                   "for the shadow (default 0)");
    command.Footer(std::string(kWindowHelp) + "\nA matte is refused when the window is minimized, cloaked, of zero "
                   "size, or any other window covers the area.");
    command.OnParsed([options] { return Settle(*options); }, [options] { return RunCapture(*options); });
}

}  // namespace cli
