#include "dwm/DwmCalls.h"

#include "dwm/DwmLibrary.h"
#include "dwm/DwmTesting.h"

// The basic record, not OSVERSIONINFOEXW: the size field tells GetVersionExW which one it fills.
static_assert(sizeof(OSVERSIONINFOW) == 276);

namespace {

OsVersionCache g_versionCache;  // zero-initialised: no query has succeeded yet
dwm::testing::VersionQuery g_versionQuery = nullptr;

BOOL QueryVersion(OSVERSIONINFOW* info) {
    *info = {};
    info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (g_versionQuery != nullptr) return g_versionQuery(info);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // deprecated: the layer wants the reported version, shims included
#endif
    return ::GetVersionExW(info);
}

// The one path of every wrapper: the gate, then exactly one DWM call.
template <typename Fn, typename... Args>
HRESULT Gated(const dwm::EntryPoint<Fn>& entry, Args... args) {
    if (!IsDwmSupported()) return kDwmNotSupported;
    return dwm::Call(entry, args...);
}

// Policy values and caller's BOOLs alike: the address of a 4-byte local, size 4.
HRESULT SetAttribute(HWND window, DWORD attribute, int value) {
    return Gated(dwm::kSetWindowAttribute, window, attribute, &value, DWORD{sizeof value});
}

HRESULT GetAttribute(HWND window, DWORD attribute, void* value, DWORD size) {
    return Gated(dwm::kGetWindowAttribute, window, attribute, value, size);
}

HRESULT ExtendFrame(HWND window, int left, int right, int top, int bottom) {
    const MARGINS margins{left, right, top, bottom};
    return Gated(dwm::kExtendFrameIntoClientArea, window, &margins);
}

}  // namespace

bool IsDwmSupported() {
    if (g_versionCache.filled == 0 && QueryVersion(&g_versionCache.versionInfo) != FALSE) {
        g_versionCache.filled = 1;
    }
    return g_versionCache.filled != 0 && g_versionCache.versionInfo.dwMajorVersion >= 6;
}

OSVERSIONINFOW ReportedOsVersion() {
    IsDwmSupported();
    return g_versionCache.filled != 0 ? g_versionCache.versionInfo : OSVERSIONINFOW{};
}

HRESULT IsCompositionEnabled(BOOL* enabled) {
    // Callers show this value even after a refusal, so it must not be left unset.
    if (!IsDwmSupported()) {
        if (enabled != nullptr) *enabled = FALSE;
        return kDwmNotSupported;
    }
    return dwm::Call(dwm::kIsCompositionEnabled, enabled);
}

HRESULT CompositionEnable() { return Gated(dwm::kEnableComposition, UINT{DWM_EC_ENABLECOMPOSITION}); }
HRESULT CompositionDisable() { return Gated(dwm::kEnableComposition, UINT{DWM_EC_DISABLECOMPOSITION}); }

HRESULT GetColorizationColor(DWORD* colorization, BOOL* opaqueBlend) {
    return Gated(dwm::kGetColorizationColor, colorization, opaqueBlend);
}

HRESULT IsNCRenderingEnabled(HWND window, BOOL* enabled) {
    return GetAttribute(window, DWMWA_NCRENDERING_ENABLED, enabled, sizeof *enabled);
}
HRESULT GetCaptionButtonBounds(HWND window, RECT* bounds) {
    return GetAttribute(window, DWMWA_CAPTION_BUTTON_BOUNDS, bounds, sizeof *bounds);
}
HRESULT GetExtendedFrameBounds(HWND window, RECT* bounds) {
    return GetAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, bounds, sizeof *bounds);
}

HRESULT DisableNCRendering(HWND window) { return SetAttribute(window, DWMWA_NCRENDERING_POLICY, DWMNCRP_DISABLED); }
HRESULT EnableNCRendering(HWND window) { return SetAttribute(window, DWMWA_NCRENDERING_POLICY, DWMNCRP_ENABLED); }
HRESULT UseWindowStyleNCRendering(HWND window) {
    return SetAttribute(window, DWMWA_NCRENDERING_POLICY, DWMNCRP_USEWINDOWSTYLE);
}
HRESULT TransitionsForceDisabled(HWND window, BOOL value) {
    return SetAttribute(window, DWMWA_TRANSITIONS_FORCEDISABLED, value);
}
HRESULT AllowNcPaint(HWND window, BOOL value) { return SetAttribute(window, DWMWA_ALLOW_NCPAINT, value); }
HRESULT NonclientRtlLayout(HWND window, BOOL value) {
    return SetAttribute(window, DWMWA_NONCLIENT_RTL_LAYOUT, value);
}
HRESULT ForceIconicRepresentation(HWND window, BOOL value) {
    return SetAttribute(window, DWMWA_FORCE_ICONIC_REPRESENTATION, value);
}
HRESULT Filp3DWindowPolicyExcludeDefalt(HWND window) {
    return SetAttribute(window, DWMWA_FLIP3D_POLICY, DWMFLIP3D_DEFAULT);
}
HRESULT Filp3DWindowPolicyExcludeBelow(HWND window) {
    return SetAttribute(window, DWMWA_FLIP3D_POLICY, DWMFLIP3D_EXCLUDEBELOW);
}
HRESULT Filp3DWindowPolicyExcludeAvove(HWND window) {
    return SetAttribute(window, DWMWA_FLIP3D_POLICY, DWMFLIP3D_EXCLUDEABOVE);
}

HRESULT UpdateThumbnailProperties(HTHUMBNAIL thumbnail, const DWM_THUMBNAIL_PROPERTIES* properties) {
    return Gated(dwm::kUpdateThumbnailProperties, thumbnail, properties);
}
HRESULT RegisterThumbnail(HWND destination, HWND source, PHTHUMBNAIL thumbnail) {
    return Gated(dwm::kRegisterThumbnail, destination, source, thumbnail);
}
HRESULT UnregisterThumbnail(HTHUMBNAIL thumbnail) { return Gated(dwm::kUnregisterThumbnail, thumbnail); }

// The sizes arrive top, bottom, left, right; MARGINS holds them left, right, top, bottom.
HRESULT ExtendFrameIntoClientAreaMargins(HWND window, int top, int bottom, int left, int right) {
    return ExtendFrame(window, left, right, top, bottom);
}
// Deliberately only the left width is -1; right, top and bottom stay 0.
HRESULT ExtendFrameIntoALLClientArea(HWND window) { return ExtendFrame(window, -1, 0, 0, 0); }
HRESULT ExtendFrameIntoClientAreaReset(HWND window) { return ExtendFrame(window, 0, 0, 0, 0); }

HRESULT EnableBlurBehindWindow(HWND window, const DWM_BLURBEHIND* blurBehind) {
    return Gated(dwm::kEnableBlurBehindWindow, window, blurBehind);
}

HRESULT GetWindowAttributeValue(HWND window, DWORD attribute, void* value, DWORD size) {
    return GetAttribute(window, attribute, value, size);
}
HRESULT SetWindowAttributeValue(HWND window, DWORD attribute, const void* value, DWORD size) {
    return Gated(dwm::kSetWindowAttribute, window, attribute, value, size);
}
HRESULT GetCompositionTimingInfo(DWM_TIMING_INFO* timing) {
    timing->cbSize = sizeof *timing;
    // A null window asks for the whole desktop's timing, the only one since Windows 8.1.
    return Gated(dwm::kGetCompositionTimingInfo, HWND{nullptr}, timing);
}
HRESULT ExtendFrameIntoClientArea(HWND window, const MARGINS& margins) {
    return Gated(dwm::kExtendFrameIntoClientArea, window, &margins);
}
HRESULT FlushComposition() { return Gated(dwm::kFlush); }

void GetWindowBounds(HWND window, RECT* bounds) {
    // Its own query on every call, independent of the gate's cache; a failed query leaves
    // the major version 0, which means the plain window rectangle.
    OSVERSIONINFOW info;
    QueryVersion(&info);
    if (info.dwMajorVersion >= 6 &&
        dwm::Call(dwm::kGetWindowAttribute, window, DWMWA_EXTENDED_FRAME_BOUNDS, bounds, DWORD{sizeof *bounds}) >= 0) {
        return;
    }
    ::GetWindowRect(window, bounds);
}

namespace dwm::testing {

void SetVersionQuery(VersionQuery query) {
    g_versionQuery = query;
    g_versionCache = {};
}

const OsVersionCache& GetOsVersionCache() { return g_versionCache; }

}  // namespace dwm::testing
