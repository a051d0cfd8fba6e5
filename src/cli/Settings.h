#pragma once
// What the system and the session are set to, as explain and doctor report it: each read from the
// documented call or the user's stored setting, and unknown, with why, where the system has no
// such service (Wine has no virtual desktops, display affinity or effective power mode).
#include <windows.h>
#include <unknwn.h>

#include <optional>
#include <string>

#include "cli/Facts.h"
#include "framework/Handles.h"

namespace cli {

// A DLL of the system directory by its full path (a bare name would take one planted beside the
// executable); empty where there is none.
fw::UniqueModule LoadSystemLibrary(const wchar_t* name);
// An export of a module, typed; null where the module or the export is missing.
template <typename Fn>
Fn ExportOf(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    // Through void(*)(): the one function-pointer type GCC accepts as a neutral stop.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// On or off, or unknown and why.
struct Setting {
    std::optional<bool> on;
    std::string why;  // where unknown, what was missing
};
Value SettingValue(const Setting& setting);

// The personalisation setting "transparency effects" (HKCU ...\Themes\Personalize, EnableTransparency).
Setting TransparencyEffects();
// Energy saver (battery saver before Windows 11): the effective power mode, which powrprof.dll
// reports from Windows 10 1809 on.
Setting EnergySaver();
// High contrast: SystemParametersInfo where the system has the feature, else the user's stored
// setting (HKCU\Control Panel\Accessibility\HighContrast, Flags).
Setting HighContrast();
// Whether the DWM composes the desktop.
Setting Composition();

// WDA_NONE, WDA_MONITOR or WDA_EXCLUDEFROMCAPTURE as none, monitor, exclude-from-capture; unknown
// where the system keeps no display affinity (it answers for any handle, windows or not).
Value DisplayAffinity(HWND window);

// The window's DPI awareness (its thread's when it was made), and its process's: unaware, system,
// per-monitor, per-monitor-v2, unaware-gdi-scaled.
Value WindowDpiAwareness(HWND window);
Value ProcessDpiAwareness(DWORD pid);

// The shell's IVirtualDesktopManager (Windows 10), which the SDK declares only for programs that
// need Windows 10 to start.
struct VirtualDesktopManager : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE IsWindowOnCurrentVirtualDesktop(HWND window, BOOL* current) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWindowDesktopId(HWND window, GUID* desktop) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveWindowToDesktop(HWND window, REFGUID desktop) = 0;
};

// Virtual desktops through the shell's IVirtualDesktopManager, for the life of the object.
class VirtualDesktops {
public:
    VirtualDesktops();

    // The desktop's id as {xxxxxxxx-...}; unknown where there is no service or it cannot tell.
    Value DesktopId(HWND window);
    Value OnCurrentDesktop(HWND window);

private:
    fw::ComScope m_com;
    fw::ComRef<VirtualDesktopManager> m_manager;
    std::string m_why;  // why there is none
};

}  // namespace cli
