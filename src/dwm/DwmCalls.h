#pragma once
// The version-gated DWM calls: one wrapper per DWM operation the tool performs.
// Each returns the DWM's HRESULT unchanged, or -1 without any DWM call when the
// operating system reports a major version below 6.
#include <windows.h>
#include <dwmapi.h>

#include "framework/Handles.h"

// The layer's own refusal value.
constexpr HRESULT kDwmNotSupported = -1;

// Process-wide record of the operating-system version, filled by the first successful query.
struct OsVersionCache {
    OSVERSIONINFOW versionInfo;
    int filled;
};

// TRUE when the operating system reports major version 6 or above; queries the version until one query succeeds.
bool IsDwmSupported();
// The version the gate goes by; all zero while no query has succeeded.
OSVERSIONINFOW ReportedOsVersion();

HRESULT IsCompositionEnabled(BOOL* enabled);
HRESULT CompositionEnable();
HRESULT CompositionDisable();
HRESULT GetColorizationColor(DWORD* colorization, BOOL* opaqueBlend);

HRESULT IsNCRenderingEnabled(HWND window, BOOL* enabled);
HRESULT GetCaptionButtonBounds(HWND window, RECT* bounds);
HRESULT GetExtendedFrameBounds(HWND window, RECT* bounds);

HRESULT DisableNCRendering(HWND window);
HRESULT EnableNCRendering(HWND window);
HRESULT UseWindowStyleNCRendering(HWND window);
HRESULT TransitionsForceDisabled(HWND window, BOOL value);
HRESULT AllowNcPaint(HWND window, BOOL value);
HRESULT NonclientRtlLayout(HWND window, BOOL value);
HRESULT ForceIconicRepresentation(HWND window, BOOL value);
HRESULT Filp3DWindowPolicyExcludeDefalt(HWND window);
HRESULT Filp3DWindowPolicyExcludeBelow(HWND window);
HRESULT Filp3DWindowPolicyExcludeAvove(HWND window);

HRESULT UpdateThumbnailProperties(HTHUMBNAIL thumbnail, const DWM_THUMBNAIL_PROPERTIES* properties);
HRESULT RegisterThumbnail(HWND destination, HWND source, PHTHUMBNAIL thumbnail);
HRESULT UnregisterThumbnail(HTHUMBNAIL thumbnail);

HRESULT ExtendFrameIntoClientAreaMargins(HWND window, int top, int bottom, int left, int right);
HRESULT ExtendFrameIntoALLClientArea(HWND window);
HRESULT ExtendFrameIntoClientAreaReset(HWND window);
HRESULT EnableBlurBehindWindow(HWND window, const DWM_BLURBEHIND* blurBehind);

// Any window attribute by number, for the console tool's attribute table; Quillet.exe keeps the
// fixed wrappers above.
HRESULT GetWindowAttributeValue(HWND window, DWORD attribute, void* value, DWORD size);
HRESULT SetWindowAttributeValue(HWND window, DWORD attribute, const void* value, DWORD size);
// `timing->cbSize` is set here.
HRESULT GetCompositionTimingInfo(DWM_TIMING_INFO* timing);
HRESULT ExtendFrameIntoClientArea(HWND window, const MARGINS& margins);
// Returns once the DWM has presented what was drawn before the call.
HRESULT FlushComposition();

// The window's extended frame bounds where the DWM gives them, else its window rectangle.
void GetWindowBounds(HWND window, RECT* bounds);

namespace dwm {
struct ThumbnailTraits {
    using Handle = HTHUMBNAIL;
    static constexpr HTHUMBNAIL Invalid() { return nullptr; }
    // Unregistration failures have no remedy: the handle is gone either way.
    static void Close(HTHUMBNAIL thumbnail) { ::UnregisterThumbnail(thumbnail); }
};
// A thumbnail registration, unregistered through the gated wrapper when its owner lets go.
using UniqueThumbnail = fw::UniqueHandle<ThumbnailTraits>;
}  // namespace dwm
