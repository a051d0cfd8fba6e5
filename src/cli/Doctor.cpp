#include "cli/Doctor.h"

#include <algorithm>
#include <vector>

#include "cli/Monitors.h"
#include "cli/Output.h"
#include "cli/Settings.h"
#include "framework/Handles.h"

namespace cli {
namespace {

enum class Verdict { Ok, Warn, Fail, Unknown };

// The sample of the screen: small enough to be cheap, enough pixels to see a picture.
constexpr int kSampleWidth = 64, kSampleHeight = 36;

class Checks {
public:
    void Add(std::string check, Value finding, Verdict verdict) {
        static constexpr const char* kWords[] = {"ok", "warn", "fail", "unknown"};
        if (verdict == Verdict::Fail) m_failing += (m_failing.empty() ? "" : ", ") + check;
        m_table.rows.push_back({{"check", Word{std::move(check)}},
                                {"finding", std::move(finding)},
                                {"verdict", Word{kWords[static_cast<int>(verdict)]}}});
    }
    // A setting: on or off as ok or not, unknown where it cannot be read.
    void Add(std::string check, const Setting& setting, bool goodWhenOn, Verdict otherwise) {
        const Verdict verdict = !setting.on ? Verdict::Unknown : *setting.on == goodWhenOn ? Verdict::Ok : otherwise;
        Add(std::move(check), SettingValue(setting), verdict);
    }
    Diagnosis Done() {
        Facts facts{{"verdict", Word{m_failing.empty() ? "window tests can work here" : "window tests will fail here"}},
                    {"checks", std::move(m_table)}};
        return {std::move(facts), std::move(m_failing)};
    }

private:
    Table m_table{{"check", "finding", "verdict"}, {}};
    std::string m_failing;
};

void CheckSession(Checks& checks) {
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    const bool remote = ::GetSystemMetrics(SM_REMOTESESSION) != 0;
    checks.Add("session", Word{std::string(remote ? "remote" : "console") + ", session " + std::to_string(session)},
               remote ? Verdict::Warn : Verdict::Ok);
    // A locked or disconnected session has no input desktop: nothing is drawn, no input arrives.
    const fw::UniqueDesktop input{::OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS)};
    const DWORD error = input ? 0 : ::GetLastError();
    checks.Add("input-desktop", input ? Value{YesNo{true}} : Value{Word{"none (locked or disconnected): " + SystemMessage(error)}},
               input ? Verdict::Ok : Verdict::Fail);
}

void CheckMonitors(Checks& checks, const std::vector<MonitorInfo>& monitors) {
    if (monitors.empty()) checks.Add("monitors", Word{"none"}, Verdict::Fail);
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const RECT& r = monitors[i].rect;
        const LONG width = r.right - r.left, height = r.bottom - r.top;
        const bool small = TooSmallForTests(r);
        checks.Add("monitor " + std::to_string(i + 1),
                   Word{std::to_string(width) + " x " + std::to_string(height) + (small ? " (smaller than 1280 x 720)" : "")},
                   small ? Verdict::Fail : Verdict::Ok);
    }
}

// The primary monitor shrunk into a few pixels: a screen that is not drawn comes back black.
void CheckScreen(Checks& checks, const std::vector<MonitorInfo>& monitors) {
    const auto primary = std::find_if(monitors.begin(), monitors.end(), [](const MonitorInfo& m) { return m.primary; });
    if (primary == monitors.end()) return checks.Add("screen", Unknown{"no primary monitor"}, Verdict::Unknown);
    const RECT& r = primary->rect;
    const fw::WindowDc screen(nullptr);
    const fw::UniqueMemoryDc memory{::CreateCompatibleDC(screen.get())};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, kSampleWidth, -kSampleHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const fw::UniqueBitmap bitmap{::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0)};
    bool read = false;
    if (screen.get() != nullptr && memory && bitmap) {
        const fw::SelectedObject selected(memory.get(), bitmap.get());
        ::SetStretchBltMode(memory.get(), COLORONCOLOR);
        read = selected && ::StretchBlt(memory.get(), 0, 0, kSampleWidth, kSampleHeight, screen.get(), r.left, r.top,
                                        r.right - r.left, r.bottom - r.top, SRCCOPY | CAPTUREBLT) != FALSE;
        ::GdiFlush();
    }
    const DWORD error = read ? 0 : ::GetLastError();
    if (!read) return checks.Add("screen", Word{"cannot be read: " + SystemMessage(error)}, Verdict::Fail);
    const std::span<const std::uint32_t> pixels(static_cast<const std::uint32_t*>(bits), kSampleWidth * kSampleHeight);
    const bool black = AllBlack(pixels);
    checks.Add("screen", Word{black ? "reads back all black" : "readable"}, black ? Verdict::Fail : Verdict::Ok);
}

void CheckSystemDpi(Checks& checks) {
    using GetDpiForSystemFn = UINT(WINAPI*)();
    const auto forSystem = ExportOf<GetDpiForSystemFn>(::GetModuleHandleW(L"user32.dll"), "GetDpiForSystem");
    UINT dpi = forSystem != nullptr ? forSystem() : 0;
    if (dpi == 0) {
        const HDC screen = ::GetDC(nullptr);
        dpi = static_cast<UINT>(::GetDeviceCaps(screen, LOGPIXELSX));
        ::ReleaseDC(nullptr, screen);
    }
    checks.Add("system-dpi", Word{std::to_string(dpi) + " (" + ValueText(Percent{ScalePercent(dpi)}) + ")"},
               dpi == 96 ? Verdict::Ok : Verdict::Warn);
}

}  // namespace

bool TooSmallForTests(const RECT& monitor) {
    return monitor.right - monitor.left < kSmallestDesktopWidth || monitor.bottom - monitor.top < kSmallestDesktopHeight;
}

bool AllBlack(std::span<const std::uint32_t> pixels) {
    return std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t pixel) { return (pixel & 0x00FFFFFFu) == 0; });
}

Diagnosis Diagnose() {
    Checks checks;
    const std::vector<MonitorInfo> monitors = ReadMonitors();
    CheckSession(checks);
    CheckMonitors(checks, monitors);
    checks.Add("composition", Composition(), true, Verdict::Fail);
    CheckScreen(checks, monitors);
    // They change how windows look, not whether they work: backdrops, colours.
    checks.Add("transparency-effects", TransparencyEffects(), true, Verdict::Warn);
    checks.Add("energy-saver", EnergySaver(), false, Verdict::Warn);
    checks.Add("high-contrast", HighContrast(), false, Verdict::Fail);
    CheckSystemDpi(checks);
    return checks.Done();
}

}  // namespace cli
