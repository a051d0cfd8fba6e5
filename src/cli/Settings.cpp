#include "cli/Settings.h"

#include <atomic>
#include <cwchar>
#include <initializer_list>
#include <iterator>

#include "cli/Meanings.h"
#include "cli/Output.h"
#include "dwm/DwmCalls.h"
#include "framework/Handles.h"

namespace cli {
namespace {

constexpr wchar_t kPersonalize[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kHighContrast[] = L"Control Panel\\Accessibility\\HighContrast";
constexpr GUID kVirtualDesktopManagerClass{0xaa509086, 0x5ca9, 0x4c25, {0x8f, 0x95, 0x58, 0x9d, 0x3c, 0x07, 0xb4, 0x8a}};
constexpr GUID kVirtualDesktopManagerInterface{0xa5cd92ff, 0x29be, 0x454c, {0x8d, 0x04, 0xd8, 0x28, 0x79, 0xfb, 0x3f, 0x1b}};

template <typename Fn>
Fn User32(const char* name) {
    return ExportOf<Fn>(::GetModuleHandleW(L"user32.dll"), name);
}

std::optional<DWORD> UserDword(const wchar_t* key, const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::wstring> UserString(const wchar_t* key, const wchar_t* name) {
    wchar_t text[64] = {};
    DWORD size = sizeof text;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

std::string HexOf(HRESULT result) { return HexResult(result); }

// powrprof.dll's effective power mode (Windows 10 1809 on); the names are not in every SDK.
enum EffectivePowerMode { kBatterySaver = 0 };
using PowerModeCallback = void(WINAPI*)(int mode, void* context);
using RegisterPowerModeFn = HRESULT(WINAPI*)(ULONG version, PowerModeCallback callback, void* context, void** registration);
using UnregisterPowerModeFn = HRESULT(WINAPI*)(void* registration);

// The system calls back at once with the current mode, on a thread of its own; the state lives as
// long as the process, so that a late call finds it.
struct PowerModeReport {
    std::atomic<int> mode{-1};
    fw::UniqueKernelObject arrived{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

void WINAPI OnPowerMode(int mode, void* context) {
    auto* report = static_cast<PowerModeReport*>(context);
    report->mode = mode;
    ::SetEvent(report->arrived.get());
}

Setting ReadEnergySaver() {
    const fw::UniqueModule powrprof = LoadSystemLibrary(L"powrprof.dll");
    const auto registerMode = ExportOf<RegisterPowerModeFn>(powrprof.get(), "PowerRegisterForEffectivePowerModeNotifications");
    const auto unregisterMode = ExportOf<UnregisterPowerModeFn>(powrprof.get(), "PowerUnregisterFromEffectivePowerModeNotifications");
    if (registerMode == nullptr || unregisterMode == nullptr) {
        return {std::nullopt, "the system reports no effective power mode (powrprof.dll has no "
                              "PowerRegisterForEffectivePowerModeNotifications)"};
    }
    static PowerModeReport report;
    void* registration = nullptr;
    HRESULT result = E_FAIL;
    for (const ULONG version : {2ul, 1ul}) {  // EFFECTIVE_POWER_MODE_V2, then V1
        result = registerMode(version, &OnPowerMode, &report, &registration);
        if (SUCCEEDED(result)) break;
    }
    if (FAILED(result)) return {std::nullopt, "the effective power mode cannot be asked (" + HexOf(result) + ")"};
    const bool arrived = ::WaitForSingleObject(report.arrived.get(), 2000) == WAIT_OBJECT_0;
    unregisterMode(registration);
    if (!arrived) return {std::nullopt, "the system gave no effective power mode within 2 s"};
    return {report.mode == kBatterySaver, ""};
}

std::string AwarenessName(DPI_AWARENESS_CONTEXT context) {
    using EqualFn = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    const auto equal = User32<EqualFn>("AreDpiAwarenessContextsEqual");
    if (context == nullptr || equal == nullptr) return "";
    const std::pair<DPI_AWARENESS_CONTEXT, const char*> names[] = {
        {DPI_AWARENESS_CONTEXT_UNAWARE, "unaware"},
        {DPI_AWARENESS_CONTEXT_SYSTEM_AWARE, "system"},
        {DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE, "per-monitor"},
        {DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, "per-monitor-v2"},
        {DPI_AWARENESS_CONTEXT_UNAWARE_GDISCALED, "unaware-gdi-scaled"}};
    for (const auto& [known, name] : names) {
        if (equal(context, known)) return name;
    }
    return "unknown context";
}

// Windows 7 and later.
using GetAffinityFn = BOOL(WINAPI*)(HWND, DWORD*);

// Whether this system keeps a display affinity at all: a real one refuses a handle that is no
// window, where a stand-in answers "none" for anything. Asked once; it is the system's, not a window's.
const std::string& AffinityUnavailable() {
    static const std::string why = [] {
        const auto getAffinity = User32<GetAffinityFn>("GetWindowDisplayAffinity");
        if (getAffinity == nullptr) return std::string("no display affinity before Windows 7");
        for (const UINT_PTR candidate : {0x7ffffff0u, 0x7fffffe0u, 0x7fffffd0u}) {
            const HWND nowhere = reinterpret_cast<HWND>(candidate);
            if (::IsWindow(nowhere)) continue;
            DWORD affinity = 0;
            if (!getAffinity(nowhere, &affinity)) return std::string();
            return std::string("the system keeps no display affinity (it answers for a window that does not exist)");
        }
        return std::string();
    }();
    return why;
}

}  // namespace

fw::UniqueModule LoadSystemLibrary(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + std::wcslen(name) + 2 > MAX_PATH) return fw::UniqueModule{};
    return fw::UniqueModule{::LoadLibraryW((std::wstring(path, length) + L"\\" + name).c_str())};
}

Value SettingValue(const Setting& setting) {
    if (!setting.on) return Unknown{setting.why};
    return OnOff{*setting.on};
}

Setting TransparencyEffects() {
    const auto value = UserDword(kPersonalize, L"EnableTransparency");
    if (!value) return {std::nullopt, "no EnableTransparency in HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize"};
    return {*value != 0, ""};
}

Setting EnergySaver() {
    static const Setting setting = ReadEnergySaver();
    return setting;
}

Setting HighContrast() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    if (::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) && (contrast.dwFlags & HCF_AVAILABLE) != 0) {
        return {(contrast.dwFlags & HCF_HIGHCONTRASTON) != 0, ""};
    }
    // A system without the feature (Wine's answers "none available") may still hold the user's choice.
    const auto flags = UserString(kHighContrast, L"Flags");
    if (!flags || flags->empty() || flags->find_first_not_of(L"0123456789") != std::wstring::npos) {
        return {std::nullopt, "the system has no high-contrast feature and HKCU\\Control Panel\\Accessibility\\HighContrast "
                              "holds no Flags"};
    }
    return {(std::wcstoul(flags->c_str(), nullptr, 10) & HCF_HIGHCONTRASTON) != 0, ""};
}

Setting Composition() {
    BOOL enabled = FALSE;
    const HRESULT result = IsCompositionEnabled(&enabled);
    if (SUCCEEDED(result)) return {enabled != FALSE, ""};
    const Value meaning = CallResult(result);
    // Without a DWM nothing is composed.
    if (std::get<Failure>(meaning).foreseen == Foreseen::NoDwm) return {false, ""};
    return {std::nullopt, ValueText(meaning)};
}

Value DisplayAffinity(HWND window) {
    if (const std::string& why = AffinityUnavailable(); !why.empty()) return Unknown{why};
    DWORD affinity = 0;
    if (!User32<GetAffinityFn>("GetWindowDisplayAffinity")(window, &affinity)) return Unknown{SystemMessage(::GetLastError())};
    switch (affinity) {
        case WDA_NONE: return Word{"none"};
        case WDA_MONITOR: return Word{"monitor"};
        case WDA_EXCLUDEFROMCAPTURE: return Word{"exclude-from-capture"};
        default: return Unknown{"an affinity this program does not know: " + HexResult(static_cast<HRESULT>(affinity))};
    }
}

Value WindowDpiAwareness(HWND window) {
    using ContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
    const auto context = User32<ContextFn>("GetWindowDpiAwarenessContext");
    if (context == nullptr) return Unknown{"no GetWindowDpiAwarenessContext (Windows 10 1607 and later)"};
    const std::string name = AwarenessName(context(window));
    if (name.empty()) return Unknown{"GetWindowDpiAwarenessContext: " + SystemMessage(::GetLastError())};
    return Word{name};
}

Value ProcessDpiAwareness(DWORD pid) {
    using ContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(HANDLE);
    const auto context = User32<ContextFn>("GetDpiAwarenessContextForProcess");
    if (context == nullptr) return Unknown{"no GetDpiAwarenessContextForProcess (Windows 10 1803 and later)"};
    const fw::UniqueKernelObject process{::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)};
    if (!process) return Unknown{"the process cannot be asked: " + SystemMessage(::GetLastError())};
    const std::string name = AwarenessName(context(process.get()));
    if (name.empty()) return Unknown{"GetDpiAwarenessContextForProcess: " + SystemMessage(::GetLastError())};
    return Word{name};
}

VirtualDesktops::VirtualDesktops() {
    if (!m_com.usable()) {
        m_why = "COM: " + SystemMessage(static_cast<DWORD>(m_com.result()));
        return;
    }
    const HRESULT result = ::CoCreateInstance(kVirtualDesktopManagerClass, nullptr, CLSCTX_ALL, kVirtualDesktopManagerInterface,
                                              reinterpret_cast<void**>(m_manager.put()));
    if (FAILED(result)) {
        m_why = result == REGDB_E_CLASSNOTREG ? "the system has no virtual desktop service (class not registered)"
                                              : "the virtual desktop service cannot be asked (" + HexOf(result) + ")";
    }
}

Value VirtualDesktops::DesktopId(HWND window) {
    if (!m_manager) return Unknown{m_why};
    GUID id{};
    const HRESULT result = m_manager->GetWindowDesktopId(window, &id);
    if (FAILED(result)) return Unknown{"GetWindowDesktopId: " + HexOf(result)};
    wchar_t text[40] = {};
    ::StringFromGUID2(id, text, static_cast<int>(std::size(text)));
    return Word{ToUtf8(text)};
}

Value VirtualDesktops::OnCurrentDesktop(HWND window) {
    if (!m_manager) return Unknown{m_why};
    BOOL current = FALSE;
    const HRESULT result = m_manager->IsWindowOnCurrentVirtualDesktop(window, &current);
    if (FAILED(result)) return Unknown{"IsWindowOnCurrentVirtualDesktop: " + HexOf(result)};
    return YesNo{current != FALSE};
}

}  // namespace cli
