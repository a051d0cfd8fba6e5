// velmora set: sets DWM attributes in the order given, then reads back what the DWM made of each;
// with --verify, what the pixels show of the attributes the DWM does not report.
#include "cli/Arguments.h"
#include "cli/Meanings.h"
#include "cli/Output.h"
#include "cli/StopSignal.h"
#include "cli/Target.h"
#include "cli/Verify.h"

namespace cli {
namespace {

struct Assignment {
    const dwm::Attribute* attribute;
    DWORD value;
};

struct SetOptions {
    WindowArguments arguments;
    WindowSelector window;
    std::vector<Assignment> assignments;
    bool verify = false, nudge = false;
    bool json = false;
};

std::string SettableNames() {
    std::string text;
    for (const dwm::Attribute& attribute : dwm::Attributes()) {
        if (dwm::CanSet(attribute)) text += (text.empty() ? "" : ", ") + std::string(attribute.name);
    }
    return text;
}

Message ParseAssignments(const std::vector<std::string>& typed, std::vector<Assignment>& assignments) {
    if (typed.empty()) return "nothing to set (NAME=VALUE, e.g. corner=round)";
    for (const std::string& assignment : typed) {
        const size_t equals = assignment.find('=');
        if (equals == std::string::npos) return "expected NAME=VALUE, got " + Quoted(assignment);
        const std::string name = assignment.substr(0, equals);
        const std::string text = assignment.substr(equals + 1);
        const dwm::Attribute* attribute = dwm::FindAttribute(name);
        if (attribute == nullptr || !dwm::CanSet(*attribute)) {
            return std::string(attribute == nullptr ? "unknown attribute " : "the DWM does not take ") + Quoted(name) +
                   " (settable: " + SettableNames() + ")";
        }
        const auto value = dwm::ParseValue(*attribute, text);
        if (!value) {
            return "bad value " + Quoted(text) + " for " + name + " (allowed: " + dwm::AllowedValues(*attribute) + ")";
        }
        assignments.push_back({attribute, *value});
    }
    return std::nullopt;
}

std::string SettableHelp() {
    std::string text = "Attributes and values (set-only unless marked get):";
    for (const dwm::Attribute& attribute : dwm::Attributes()) {
        if (!dwm::CanSet(attribute)) continue;
        text += "\n  " + std::string(attribute.name) + " = " + dwm::AllowedValues(attribute) + "  (" + attribute.help +
                "; " + attribute.since->name + (dwm::CanGet(attribute) ? "; get" : "") + ")";
    }
    return text;
}

// The read-backs of the values the pixels can tell, replaced by what a look saw. Nothing when it
// could not look: `why` then says so.
std::optional<CaptureStatus> Verify(const SetOptions& command, HWND window, Table& lines, const std::vector<size_t>& rows,
                                    const std::vector<ToVerify>& values, std::string& why) {
    const StopSignal ctrlC;
    const Verification verification = VerifyPainted(window, values, command.nudge, ctrlC.Event());
    if (verification.status != CaptureStatus::Ok) {
        why = "--verify: cannot look at the window: " + verification.reason;
        return verification.status;
    }
    for (size_t i = 0; i < rows.size(); ++i) lines.rows[rows[i]].back().value = verification.painted[i];
    if (verification.undisturbed) return std::nullopt;
    why = "--nudge: the window's position, size, z-order or focus could not be put back as they were";
    return CaptureStatus::Failed;
}

int RunSet(const SetOptions& command) {
    auto target = OpenTarget(command.window, {"handle", "title"});
    if (!target) return kExitNoWindow;
    const HWND window = target->window;
    Facts facts = std::move(target->facts);
    Table lines{{"attribute", "requested", "result", "now"}, {}};
    // What was applied before the window closed, if anything was.
    const auto done = [&] {
        if (lines.rows.empty()) facts.clear();
        else facts.push_back({"set", lines});
    };
    std::vector<size_t> verifiedRows;
    std::vector<ToVerify> verified;
    // In the order given; a refusal does not stop the rest, a closed window does.
    for (const Assignment& assignment : command.assignments) {
        const dwm::Attribute& attribute = *assignment.attribute;
        const HRESULT result = dwm::WriteAttribute(window, attribute, assignment.value);
        if (result < 0 && HasClosed(window)) return done(), FinishClosed(facts, command.json, window);
        const dwm::AttributeReading now = dwm::ReadAttribute(window, attribute);
        const bool closed = now.result < 0 && HasClosed(window);
        const Value requested = AttributeValue(attribute, {assignment.value, {}});
        lines.rows.push_back({{"attribute", Word{attribute.name}},
                              {"requested", requested},
                              {"result", WriteResult(attribute, result)},
                              {"now", closed ? Value{Unknown{}} : ReadingValue(attribute, now, Asked::AsPart, true)}});
        if (closed) return done(), FinishClosed(facts, command.json, window);
        // What the system picks (default) is no value the pixels can be held to.
        const Telling* telling = FindTelling(attribute.name);
        const std::string asked = ValueText(requested);
        if (command.verify && result >= 0 && telling != nullptr && asked != "default") {
            verifiedRows.push_back(lines.rows.size() - 1);
            verified.push_back({telling, assignment.value, asked});
        }
    }
    std::string why;
    const auto failed = verified.empty() ? std::nullopt : Verify(command, window, lines, verifiedRows, verified, why);
    done();
    if (failed == CaptureStatus::Closed) return FinishClosed(facts, command.json, window);
    const int status = Finish(facts, command.json);
    if (!failed) return status;
    WriteError(why);
    return failed == CaptureStatus::Interrupted ? kExitInterrupted : kExitFailed;
}

}  // namespace

void DefineSet(CommandDefinition& command) {
    auto options = command.Make<SetOptions>();
    DeclareWindow(command, options->arguments, "assignments", "NAME=VALUE", "assignments, applied in order");
    command.Json(options->json);
    command.Flag("--verify", options->verify, "look at what the DWM drew of corner, border-color, caption-color, "
                 "text-color and dark-mode: painted or not (exit 1)");
    command.Flag("--nudge", options->nudge, "with --verify, a value not painted gets the repaints that make the DWM draw "
                 "the frame again, one after another: frame change, activation, one-pixel resize");
    command.Footer(std::string(kWindowHelp) + "\n" + SettableHelp());
    command.OnParsed(
        [options]() -> Message {
            if (auto message = SettleWindow(options->arguments, options->window)) return message;
            if (options->nudge && !options->verify) return "--nudge repaints for --verify: give both";
            return ParseAssignments(options->arguments.rest, options->assignments);
        },
        [options] { return RunSet(*options); });
}

}  // namespace cli
