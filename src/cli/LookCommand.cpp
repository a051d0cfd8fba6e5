// velmora look: what the DWM drew around a window, measured from the screen: the corners, the
// border, the caption band, the shadow; and whether each expectation given holds.
#include "cli/Arguments.h"
#include "cli/Look.h"
#include "cli/Output.h"
#include "cli/StopSignal.h"
#include "cli/Target.h"

namespace cli {
namespace {

struct Expectation {
    const Telling* telling;
    DWORD value;
    std::string text;  // as typed
};

struct LookOptions {
    WindowArguments arguments;
    WindowSelector window;
    std::vector<std::string> expectTyped;
    std::optional<std::string> toleranceTyped;
    std::vector<Expectation> expectations;
    int tolerance = kDefaultTolerance;
    bool json = false;
};

std::string TellingNames() {
    std::string text;
    for (const Telling& telling : Tellings()) text += (text.empty() ? "" : ", ") + std::string(telling.name);
    return text;
}

Message Settle(LookOptions& look) {
    if (auto message = SettleWindow(look.arguments, look.window)) return message;
    if (auto message = NothingLeft(look.arguments, "look")) return message;
    if (look.toleranceTyped) {
        const auto tolerance = ParseNumber<int>(*look.toleranceTyped);
        if (!tolerance || *tolerance > 255) {
            return "--tolerance: expected a difference per channel from 0 to 255, got " + Quoted(*look.toleranceTyped);
        }
        look.tolerance = *tolerance;
    }
    for (const std::string& typed : look.expectTyped) {
        const size_t equals = typed.find('=');
        if (equals == std::string::npos) return "--expect: expected NAME=VALUE, got " + Quoted(typed);
        const Telling* telling = FindTelling(typed.substr(0, equals));
        if (telling == nullptr) {
            return "--expect: the pixels cannot tell " + Quoted(typed.substr(0, equals)) + " (they tell " + TellingNames() + ")";
        }
        std::string error;
        const auto value = ParseTold(*telling, typed.substr(equals + 1), error);
        if (!value) return "--expect: " + error;
        look.expectations.push_back({telling, *value, typed.substr(equals + 1)});
    }
    return std::nullopt;
}

int RunLook(const LookOptions& command) {
    auto target = OpenTarget(command.window, {"handle", "title"});
    if (!target) return kExitNoWindow;
    const HWND window = target->window;
    const StopSignal ctrlC;
    const Looked looked = LookAtWindow(window, command.tolerance, ctrlC.Event());
    switch (looked.capture.status) {
        case CaptureStatus::Ok: break;
        case CaptureStatus::Closed: return FinishClosed({}, command.json, window);
        default:
            WriteError(looked.capture.reason);
            return looked.capture.status == CaptureStatus::Interrupted ? kExitInterrupted : kExitFailed;
    }
    Facts facts = std::move(target->facts);
    for (Fact& fact : LookFacts(looked)) facts.push_back(std::move(fact));
    Table expect{{"name", "expected", "seen", "holds"}, {}};
    std::vector<std::string> failed;
    for (const Expectation& e : command.expectations) {
        const Seen seen = e.telling->see(e.value, looked.look, command.tolerance);
        expect.rows.push_back({{"name", Word{e.telling->name}}, {"expected", Word{e.text}}, {"seen", Word{seen.text}},
                               {"holds", YesNo{seen.holds}}});
        if (!seen.holds) failed.push_back(std::string(e.telling->name) + ": seen " + seen.text + ", expected " + e.text);
    }
    if (!command.expectations.empty()) facts.push_back({"expect", expect});
    const int status = Finish(facts, command.json);
    for (const std::string& line : failed) WriteError(line);
    return failed.empty() ? status : kExitFailed;
}

}  // namespace

void DefineLook(CommandDefinition& command) {
    auto options = command.Make<LookOptions>();
    DeclareWindow(command, options->arguments);
    command.Json(options->json);
    command.List("--expect", options->expectTyped, "NAME=VALUE",
                 "what must be seen, in set's words, or shadow=on|off (several: all); exit 1 when one does not hold");
    command.Option("--tolerance", options->toleranceTyped, "N", "colours match within N per channel (default 8)");
    command.Footer(std::string(kWindowHelp) + "\nMeasured in physical pixels from the window over white and over black, "
                   "with a margin of 32 pixels\nat 96 DPI for the shadow; the window must be on the screen and uncovered.\n"
                   "--expect names: " + TellingNames() + ".");
    command.OnParsed([options] { return Settle(*options); }, [options] { return RunLook(*options); });
}

}  // namespace cli
