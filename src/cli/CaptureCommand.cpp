// velmora capture: a window as the DWM shows it, saved as a PNG (or written to stdout).
#include "cli/Arguments.h"
#include "cli/Output.h"
#include "cli/PngFile.h"
#include "cli/Target.h"
#include "cli/WindowFields.h"

namespace cli {
namespace {

struct CaptureOptions {
    WindowArguments arguments;
    std::optional<std::string> areaName, methodName;
    WindowSelector window;
    std::optional<std::string> output;  // a PNG file, "-" for stdout; else named after what was taken
    CaptureArea area = CaptureArea::Frame;
    CaptureMethod method = CaptureMethod::Auto;
    bool json = false;
};

Message Settle(CaptureOptions& capture) {
    if (auto message = SettleWindow(capture.arguments, capture.window)) return message;
    if (auto message = NothingLeft(capture.arguments, "capture")) return message;
    if (auto message = ParseChoice("--area", capture.areaName, kCaptureAreaNames, capture.area)) return message;
    if (auto message = ParseChoice("--method", capture.methodName, kCaptureMethodNames, capture.method)) return message;
    if (capture.output && capture.output->empty()) return "--output: expected a file name or -";
    return std::nullopt;
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
    const std::string file = command.output.value_or(HexHandle(window) + "-" + NameOf(kCaptureAreaNames, command.area) + ".png");
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
    command.Footer(kWindowHelp);
    command.OnParsed([options] { return Settle(*options); }, [options] { return RunCapture(*options); });
}

}  // namespace cli
