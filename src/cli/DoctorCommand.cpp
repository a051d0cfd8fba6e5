// velmora doctor: whether window tests can work on this machine and in this session.
#include "cli/Doctor.h"
#include "cli/Output.h"
#include "cli/Target.h"

namespace cli {

void DefineDoctor(CommandDefinition& command) {
    auto json = command.Make<bool>();
    command.Json(*json);
    command.Footer("Each check: ok, warn (window tests run, some looks differ), fail (window tests will fail) or unknown.\n"
                   "Exit 1 when a check fails, naming it; 0 otherwise.");
    command.OnParsed({}, [json] {
        const Diagnosis diagnosis = Diagnose();
        WriteOut(*json ? DocumentJson(diagnosis.facts) : DocumentText(diagnosis.facts));
        if (diagnosis.failing.empty()) return FinishOutput(kExitOk);
        WriteError("window tests will fail here: " + diagnosis.failing);
        return FinishOutput(kExitFailed);
    });
}

}  // namespace cli
