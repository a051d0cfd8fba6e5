// velmora explain: whether a window is seen, and every reason it is not, each a fact read.
#include "cli/Arguments.h"
#include "cli/Target.h"
#include "cli/Visibility.h"
#include "cli/WindowFields.h"

namespace cli {
namespace {

struct ExplainOptions {
    WindowArguments arguments;
    WindowSelector window;
    bool backdrop = false;
    bool json = false;
};

int RunExplain(const ExplainOptions& command) {
    const auto target = OpenTarget(command.window, {});
    if (!target) return kExitNoWindow;
    Scene scene;
    ProcessNames names;
    const Facts facts = ExplainWindow(target->window, scene, names, command.backdrop);
    if (HasClosed(target->window)) return FinishClosed({}, command.json, target->window);
    return Finish(facts, command.json);
}

}  // namespace

void DefineExplain(CommandDefinition& command) {
    auto options = command.Make<ExplainOptions>();
    DeclareWindow(command, options->arguments);
    command.Json(options->json);
    command.Flag("--backdrop", options->backdrop, "what would keep a backdrop from showing, even where it asks none");
    command.Footer(std::string(kWindowHelp) +
                   "\nVerdict: seen (all of its visible frame on a monitor, under no window), partly seen, or not seen\n"
                   "(hidden, minimized, cloaked, no size, fully transparent, off every monitor or wholly covered). The\n"
                   "windows above it cover it where they are visible, not cloaked and not minimized, by their visible\n"
                   "frames. What the system cannot tell reads unknown. Exit 0 whatever the verdict.");
    command.OnParsed(
        [options]() -> Message {
            if (auto message = SettleWindow(options->arguments, options->window)) return message;
            return NothingLeft(options->arguments, "explain");
        },
        [options] { return RunExplain(*options); });
}

}  // namespace cli
