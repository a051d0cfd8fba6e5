#pragma once
// All 24 wrappers, each with the dwmapi export it must reach, callable from one loop.
#include <windows.h>
#include <dwmapi.h>

#include "dwm/DwmCalls.h"

#include <vector>

namespace dwmtest {

// Out-arguments pre-set to values no DWM would write, so a test can see what was touched.
struct OutArgs {
    BOOL compositionEnabled = 7;
    BOOL ncRenderingEnabled = 7;
    DWORD colorization = 0xDEADBEEF;
    BOOL opaqueBlend = 7;
    RECT rect{-1, -2, -3, -4};
    HTHUMBNAIL thumbnail = reinterpret_cast<HTHUMBNAIL>(static_cast<UINT_PTR>(0x5EED));
};

struct Wrapper {
    const char* name;
    const wchar_t* entry;
    HRESULT (*call)(HWND window, OutArgs& out);
};

// The records the table passes to UpdateThumbnailProperties and EnableBlurBehindWindow.
inline const DWM_THUMBNAIL_PROPERTIES kProperties{DWM_TNP_OPACITY, {}, {}, 128, FALSE, FALSE};
inline const DWM_BLURBEHIND kBlur{DWM_BB_ENABLE, TRUE, nullptr, FALSE};

inline const std::vector<Wrapper>& AllWrappers() {
    static const std::vector<Wrapper> wrappers{
        {"IsCompositionEnabled", L"DwmIsCompositionEnabled",
         [](HWND, OutArgs& out) { return IsCompositionEnabled(&out.compositionEnabled); }},
        {"CompositionEnable", L"DwmEnableComposition", [](HWND, OutArgs&) { return CompositionEnable(); }},
        {"CompositionDisable", L"DwmEnableComposition", [](HWND, OutArgs&) { return CompositionDisable(); }},
        {"GetColorizationColor", L"DwmGetColorizationColor",
         [](HWND, OutArgs& out) { return GetColorizationColor(&out.colorization, &out.opaqueBlend); }},
        {"IsNCRenderingEnabled", L"DwmGetWindowAttribute",
         [](HWND w, OutArgs& out) { return IsNCRenderingEnabled(w, &out.ncRenderingEnabled); }},
        {"GetCaptionButtonBounds", L"DwmGetWindowAttribute",
         [](HWND w, OutArgs& out) { return GetCaptionButtonBounds(w, &out.rect); }},
        {"GetExtendedFrameBounds", L"DwmGetWindowAttribute",
         [](HWND w, OutArgs& out) { return GetExtendedFrameBounds(w, &out.rect); }},
        {"DisableNCRendering", L"DwmSetWindowAttribute", [](HWND w, OutArgs&) { return DisableNCRendering(w); }},
        {"EnableNCRendering", L"DwmSetWindowAttribute", [](HWND w, OutArgs&) { return EnableNCRendering(w); }},
        {"UseWindowStyleNCRendering", L"DwmSetWindowAttribute",
         [](HWND w, OutArgs&) { return UseWindowStyleNCRendering(w); }},
        {"TransitionsForceDisabled", L"DwmSetWindowAttribute",
         [](HWND w, OutArgs&) { return TransitionsForceDisabled(w, TRUE); }},
        {"AllowNcPaint", L"DwmSetWindowAttribute", [](HWND w, OutArgs&) { return AllowNcPaint(w, TRUE); }},
        {"NonclientRtlLayout", L"DwmSetWindowAttribute", [](HWND w, OutArgs&) { return NonclientRtlLayout(w, TRUE); }},
        {"ForceIconicRepresentation", L"DwmSetWindowAttribute",
         [](HWND w, OutArgs&) { return ForceIconicRepresentation(w, TRUE); }},
        {"Filp3DWindowPolicyExcludeDefalt", L"DwmSetWindowAttribute",
         [](HWND w, OutArgs&) { return Filp3DWindowPolicyExcludeDefalt(w); }},
        {"Filp3DWindowPolicyExcludeBelow", L"DwmSetWindowAttribute",
         [](HWND w, OutArgs&) { return Filp3DWindowPolicyExcludeBelow(w); }},
        {"Filp3DWindowPolicyExcludeAvove", L"DwmSetWindowAttribute",
         [](HWND w, OutArgs&) { return Filp3DWindowPolicyExcludeAvove(w); }},
        {"UpdateThumbnailProperties", L"DwmUpdateThumbnailProperties",
         [](HWND, OutArgs& out) { return UpdateThumbnailProperties(out.thumbnail, &kProperties); }},
        {"RegisterThumbnail", L"DwmRegisterThumbnail",
         [](HWND w, OutArgs& out) { return RegisterThumbnail(w, w, &out.thumbnail); }},
        {"UnregisterThumbnail", L"DwmUnregisterThumbnail",
         [](HWND, OutArgs& out) { return UnregisterThumbnail(out.thumbnail); }},
        {"ExtendFrameIntoClientAreaMargins", L"DwmExtendFrameIntoClientArea",
         [](HWND w, OutArgs&) { return ExtendFrameIntoClientAreaMargins(w, 1, 2, 3, 4); }},
        {"ExtendFrameIntoALLClientArea", L"DwmExtendFrameIntoClientArea",
         [](HWND w, OutArgs&) { return ExtendFrameIntoALLClientArea(w); }},
        {"ExtendFrameIntoClientAreaReset", L"DwmExtendFrameIntoClientArea",
         [](HWND w, OutArgs&) { return ExtendFrameIntoClientAreaReset(w); }},
        {"EnableBlurBehindWindow", L"DwmEnableBlurBehindWindow",
         [](HWND w, OutArgs&) { return EnableBlurBehindWindow(w, &kBlur); }},
    };
    return wrappers;
}

}  // namespace dwmtest
