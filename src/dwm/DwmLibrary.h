#pragma once
// Late binding of dwmapi.dll: the library is loaded from the system directory at the first
// call that needs it, and each entry point is looked up at its own first call. Nothing here
// checks the operating-system version; the wrappers of DwmCalls.h do. A call that must bypass
// that check, such as the thumbnail window's update on resize (only reached while a registration
// made through the wrappers exists), uses Call directly:
//   dwm::Call(dwm::kUpdateThumbnailProperties, thumbnail, &properties);
#include <windows.h>
#include <dwmapi.h>

namespace dwm {

// One cache slot per entry point the program calls.
enum class Slot { IsCompositionEnabled, EnableComposition, GetColorizationColor, GetWindowAttribute,
                  SetWindowAttribute, ExtendFrameIntoClientArea, EnableBlurBehindWindow,
                  RegisterThumbnail, UnregisterThumbnail, UpdateThumbnailProperties, GetCompositionTimingInfo,
                  Flush, Count };

// An entry point of dwmapi.dll with its type: found by name, or by ordinal when name is null.
template <typename Fn>
struct EntryPoint {
    Slot slot;
    const char* name;
    WORD ordinal;
};

// decltype only reads the SDK's declarations; nothing links against dwmapi.lib.
inline constexpr EntryPoint<decltype(&::DwmIsCompositionEnabled)> kIsCompositionEnabled{
    Slot::IsCompositionEnabled, "DwmIsCompositionEnabled", 0};
// Bound by its export number, 102, rather than by its name.
inline constexpr EntryPoint<decltype(&::DwmEnableComposition)> kEnableComposition{
    Slot::EnableComposition, nullptr, 102};
inline constexpr EntryPoint<decltype(&::DwmGetColorizationColor)> kGetColorizationColor{
    Slot::GetColorizationColor, "DwmGetColorizationColor", 0};
inline constexpr EntryPoint<decltype(&::DwmGetWindowAttribute)> kGetWindowAttribute{
    Slot::GetWindowAttribute, "DwmGetWindowAttribute", 0};
inline constexpr EntryPoint<decltype(&::DwmSetWindowAttribute)> kSetWindowAttribute{
    Slot::SetWindowAttribute, "DwmSetWindowAttribute", 0};
inline constexpr EntryPoint<decltype(&::DwmExtendFrameIntoClientArea)> kExtendFrameIntoClientArea{
    Slot::ExtendFrameIntoClientArea, "DwmExtendFrameIntoClientArea", 0};
inline constexpr EntryPoint<decltype(&::DwmEnableBlurBehindWindow)> kEnableBlurBehindWindow{
    Slot::EnableBlurBehindWindow, "DwmEnableBlurBehindWindow", 0};
inline constexpr EntryPoint<decltype(&::DwmRegisterThumbnail)> kRegisterThumbnail{
    Slot::RegisterThumbnail, "DwmRegisterThumbnail", 0};
inline constexpr EntryPoint<decltype(&::DwmUnregisterThumbnail)> kUnregisterThumbnail{
    Slot::UnregisterThumbnail, "DwmUnregisterThumbnail", 0};
inline constexpr EntryPoint<decltype(&::DwmUpdateThumbnailProperties)> kUpdateThumbnailProperties{
    Slot::UpdateThumbnailProperties, "DwmUpdateThumbnailProperties", 0};
inline constexpr EntryPoint<decltype(&::DwmGetCompositionTimingInfo)> kGetCompositionTimingInfo{
    Slot::GetCompositionTimingInfo, "DwmGetCompositionTimingInfo", 0};
inline constexpr EntryPoint<decltype(&::DwmFlush)> kFlush{Slot::Flush, "DwmFlush", 0};

// The entry point of slot, loading dwmapi.dll and looking the entry up when not yet done.
// On failure returns null and sets *failure to the HRESULT of the failed load or look-up;
// a failure is not remembered, so a later call tries again.
FARPROC Resolve(Slot slot, const char* name, WORD ordinal, HRESULT* failure);

// Makes one call to the entry point, or returns the binding failure without calling anything.
template <typename Fn, typename... Args>
HRESULT Call(const EntryPoint<Fn>& entry, Args... args) {
    HRESULT failure = S_OK;
    const FARPROC proc = Resolve(entry.slot, entry.name, entry.ordinal, &failure);
    if (proc == nullptr) return failure;
    // Through void(*)(): the one function-pointer type GCC accepts as a neutral stop.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc))(args...);
}

}  // namespace dwm
