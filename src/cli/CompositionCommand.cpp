// velmora composition: the OS version, composition, colorization and composition timing.
#include "cli/Command.h"
#include "cli/Meanings.h"
#include "cli/Target.h"
#include "dwm/DwmCalls.h"

namespace cli {
namespace {

Value Or(HRESULT result, Value value) { return result >= 0 ? std::move(value) : CallResult(result); }

Value Timing(const DWM_TIMING_INFO& t) {
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    const double periodMs = frequency.QuadPart > 0 ? 1000.0 * static_cast<double>(t.qpcRefreshPeriod) /
                                                         static_cast<double>(frequency.QuadPart)
                                                   : 0.0;
    return Group{{{"refresh-rate", Rate{t.rateRefresh.uiNumerator, t.rateRefresh.uiDenominator}},
                  {"refresh-period-ms", Real{periodMs}},
                  {"frames-displayed", Integer{static_cast<std::int64_t>(t.cFramesDisplayed)}},
                  {"frames-dropped", Integer{static_cast<std::int64_t>(t.cFramesDropped)}},
                  {"frames-missed", Integer{static_cast<std::int64_t>(t.cFramesMissed)}}},
                 false};
}

int RunComposition(bool json) {
    const OSVERSIONINFOW os = ReportedOsVersion();
    BOOL enabled = FALSE;
    const HRESULT composition = IsCompositionEnabled(&enabled);
    DWORD colorization = 0;
    BOOL opaqueBlend = FALSE;
    const HRESULT colour = GetColorizationColor(&colorization, &opaqueBlend);
    DWM_TIMING_INFO timing{};
    const HRESULT timed = GetCompositionTimingInfo(&timing);
    // No DWM below Vista, and none where dwmapi.dll is missing: the first call tells which.
    const bool noDwm = std::holds_alternative<Failure>(CallResult(composition)) &&
                       std::get<Failure>(CallResult(composition)).foreseen == Foreseen::NoDwm;
    const Facts facts{{"os", Version{os.dwMajorVersion, os.dwMinorVersion, os.dwBuildNumber}},
                      {"dwm", YesNo{!noDwm}},
                      {"composition", Or(composition, OnOff{enabled != FALSE})},
                      {"colorization", Or(colour, Colorization{colorization, opaqueBlend != FALSE})},
                      {"timing", Or(timed, Timing(timing))}};
    return Finish(facts, json);
}

}  // namespace

void DefineComposition(CommandDefinition& command) {
    auto json = command.Make<bool>();
    command.Json(*json);
    command.OnParsed({}, [json] { return RunComposition(*json); });
}

}  // namespace cli
