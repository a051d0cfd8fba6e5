// velmora composition: the OS version, composition, colorization and composition timing.
#include <cstdio>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Reports.h"
#include "dwm/DwmCalls.h"

namespace cli {
namespace {

std::string Text(const CompositionReport& r) {
    const DWM_TIMING_INFO& t = r.timing;
    std::vector<std::pair<std::string, std::string>> pairs{
        {"os", std::to_string(r.os.dwMajorVersion) + "." + std::to_string(r.os.dwMinorVersion) + "." +
                   std::to_string(r.os.dwBuildNumber) + (r.os.dwMajorVersion >= 6 ? "" : " (no DWM)")},
        {"composition", r.compositionResult >= 0 ? (r.enabled ? "on" : "off") : FailureText(r.compositionResult)},
        {"colorization", r.colorizationResult >= 0
                             ? ColorizationText(r.colorization) + " (" + HexResult(static_cast<HRESULT>(r.colorization)) +
                                   ")" + (r.opaqueBlend ? ", opaque blend" : ", blended")
                             : FailureText(r.colorizationResult)}};
    if (r.timingResult < 0) {
        pairs.emplace_back("timing", FailureText(r.timingResult));
        return AlignedPairs(pairs);
    }
    char rate[64];
    const double hz = t.rateRefresh.uiDenominator != 0
                          ? static_cast<double>(t.rateRefresh.uiNumerator) / static_cast<double>(t.rateRefresh.uiDenominator)
                          : 0.0;
    std::snprintf(rate, sizeof rate, "%.3f Hz (%u/%u)", hz, t.rateRefresh.uiNumerator, t.rateRefresh.uiDenominator);
    char period[32];
    std::snprintf(period, sizeof period, "%.3f ms",
                  r.qpcFrequency > 0 ? 1000.0 * static_cast<double>(t.qpcRefreshPeriod) / static_cast<double>(r.qpcFrequency) : 0.0);
    pairs.insert(pairs.end(), {{"refresh-rate", rate},
                               {"refresh-period", period},
                               {"frames-displayed", std::to_string(t.cFramesDisplayed)},
                               {"frames-dropped", std::to_string(t.cFramesDropped)},
                               {"frames-missed", std::to_string(t.cFramesMissed)}});
    return AlignedPairs(pairs);
}

}  // namespace

int RunComposition(const CompositionCommand& command) {
    CompositionReport report;
    report.os = ReportedOsVersion();
    report.compositionResult = IsCompositionEnabled(&report.enabled);
    report.colorizationResult = GetColorizationColor(&report.colorization, &report.opaqueBlend);
    report.timingResult = GetCompositionTimingInfo(&report.timing);
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    report.qpcFrequency = frequency.QuadPart;
    WriteOut(command.json ? CompositionJson(report) : Text(report));
    const bool failed = IsFailure(report.compositionResult) || IsFailure(report.colorizationResult) ||
                        IsFailure(report.timingResult);
    return failed ? kExitDwmFailed : kExitOk;
}

}  // namespace cli
