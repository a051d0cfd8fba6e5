#include "cli/Monitors.h"

#include <algorithm>
#include <tuple>

#include "cli/Output.h"
#include "cli/Settings.h"

namespace cli {
namespace {

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, RECT*, LPARAM list) {
    // No exception may leave an enumeration callback.
    try {
        reinterpret_cast<std::vector<HMONITOR>*>(list)->push_back(monitor);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

// shcore.dll is Windows 8.1 and later: looked up, not linked.
std::optional<UINT> EffectiveDpi(HMONITOR monitor) {
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    const fw::UniqueModule shcore = LoadSystemLibrary(L"shcore.dll");
    const auto getDpi = ExportOf<GetDpiForMonitorFn>(shcore.get(), "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (getDpi == nullptr || FAILED(getDpi(monitor, kEffectiveDpi, &x, &y)) || x == 0) return std::nullopt;
    return x;
}

void ReadSettings(MonitorInfo& m) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (!::EnumDisplaySettingsW(m.device.c_str(), ENUM_CURRENT_SETTINGS, &mode)) return;
    if ((mode.dmFields & DM_DISPLAYFREQUENCY) != 0 && mode.dmDisplayFrequency > 1) m.refreshHz = mode.dmDisplayFrequency;
    if ((mode.dmFields & DM_BITSPERPEL) != 0 && mode.dmBitsPerPel != 0) m.bitsPerPixel = mode.dmBitsPerPel;
}

Value Optional(const std::optional<DWORD>& value) {
    if (!value) return Unknown{};
    return Integer{*value};
}

}  // namespace

std::vector<MonitorInfo> ReadMonitors() {
    std::vector<HMONITOR> handles;
    ::EnumDisplayMonitors(nullptr, nullptr, &CollectMonitor, reinterpret_cast<LPARAM>(&handles));
    std::vector<MonitorInfo> monitors;
    for (const HMONITOR handle : handles) {
        MONITORINFOEXW info{};
        info.cbSize = sizeof info;
        if (!::GetMonitorInfoW(handle, &info)) continue;  // disconnected meanwhile
        MonitorInfo m;
        m.handle = handle;
        m.device = info.szDevice;
        m.rect = info.rcMonitor;
        m.work = info.rcWork;
        m.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
        m.dpi = EffectiveDpi(handle);
        ReadSettings(m);
        monitors.push_back(std::move(m));
    }
    OrderMonitors(monitors);
    return monitors;
}

void OrderMonitors(std::vector<MonitorInfo>& monitors) {
    std::stable_sort(monitors.begin(), monitors.end(), [](const MonitorInfo& a, const MonitorInfo& b) {
        return std::tie(a.rect.left, a.rect.top, a.device) < std::tie(b.rect.left, b.rect.top, b.device);
    });
}

double ScalePercent(UINT dpi) { return dpi * 100.0 / 96.0; }

Facts MonitorFacts(const std::vector<MonitorInfo>& monitors) {
    Table table{{"number", "name", "rect", "work", "dpi", "scale", "primary", "refresh-hz", "bits"}, {}};
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const MonitorInfo& m = monitors[i];
        table.rows.push_back({{"number", Integer{static_cast<std::int64_t>(i + 1)}},
                              {"name", Word{ToUtf8(m.device)}},
                              {"rect", Rect{m.rect}},
                              {"work", Rect{m.work}},
                              {"dpi", m.dpi ? Value{Integer{*m.dpi}} : Value{Unknown{}}},
                              {"scale", m.dpi ? Value{Percent{ScalePercent(*m.dpi)}} : Value{Unknown{}}},
                              {"primary", YesNo{m.primary}},
                              {"refresh-hz", Optional(m.refreshHz)},
                              {"bits", Optional(m.bitsPerPixel)}});
    }
    return {{"monitors", std::move(table)}};
}

}  // namespace cli
