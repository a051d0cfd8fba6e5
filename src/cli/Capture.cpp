#include "cli/Capture.h"

#include <dwmapi.h>

#include <cstdio>
#include <utility>

#include "cli/Facts.h"
#include "cli/NameTable.h"
#include "cli/Output.h"
#include "cli/WindowFields.h"
#include "framework/Handles.h"

namespace cli {
namespace {

// Newer SDK headers name it only for Windows 8.1 and later; older systems ignore the bit.
constexpr UINT kRenderFullContent = 2;
constexpr std::uint32_t kOpaque = 0xFF000000u;

// A 32-bpp top-down DIB section selected into a memory DC: the one bitmap a capture draws into.
// Members in this order so that the selection is undone before the DC and the bitmap go.
class Canvas {
public:
    Canvas(int width, int height)
        : m_width(width), m_dc(::CreateCompatibleDC(nullptr)), m_bitmap(CreateDib(width, height, &m_bits)),
          m_selection(m_bitmap ? m_dc.get() : nullptr, m_bitmap.get()) {}
    explicit operator bool() const { return static_cast<bool>(m_selection); }
    HDC dc() const { return m_dc.get(); }

    // True when every pixel of the rectangle has one colour; alpha is not a colour here.
    bool IsSolid(const RECT& r) const {
        const std::uint32_t first = Row(r.top)[r.left] & ~kOpaque;
        for (LONG y = r.top; y < r.bottom; ++y) {
            const std::uint32_t* row = Row(y);
            for (LONG x = r.left; x < r.right; ++x) {
                if ((row[x] & ~kOpaque) != first) return false;
            }
        }
        return true;
    }

    // GDI leaves alpha undefined (mostly 0); the picture is opaque.
    Picture CopyOut(const RECT& r) const {
        Picture picture{static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top), {}};
        picture.pixels.reserve(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
        for (LONG y = r.top; y < r.bottom; ++y) {
            const std::uint32_t* row = Row(y);
            for (LONG x = r.left; x < r.right; ++x) picture.pixels.push_back(row[x] | kOpaque);
        }
        return picture;
    }

private:
    static HBITMAP CreateDib(int width, int height, void** bits) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // negative: top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
    }
    const std::uint32_t* Row(LONG y) const {
        return static_cast<const std::uint32_t*>(m_bits) + static_cast<size_t>(y) * static_cast<size_t>(m_width);
    }

    int m_width;
    void* m_bits = nullptr;
    fw::UniqueMemoryDc m_dc;
    fw::UniqueBitmap m_bitmap;
    fw::SelectedObject m_selection;
};

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

const char* AreaName(CaptureArea area) { return NameOf(kCaptureAreaNames, area); }

bool IsCloaked(HWND window) { return WindowProbe(window).CloakedBits() != 0; }

// What the window covers on screen: without the invisible resize borders where the DWM knows them.
bool FrameBounds(WindowProbe& probe, RECT* rect) {
    const dwm::AttributeReading& frame = probe.Attribute(*dwm::FindAttribute("extended-frame-bounds"));
    if (frame.result < 0) return ::GetWindowRect(probe.Window(), rect) != FALSE;
    *rect = frame.value.rect;
    return true;
}

bool AreaRect(HWND window, CaptureArea area, RECT* rect) {
    switch (area) {
        case CaptureArea::Frame: {
            WindowProbe probe(window);
            return FrameBounds(probe, rect);
        }
        case CaptureArea::Window: return ::GetWindowRect(window, rect) != FALSE;
        case CaptureArea::Client:
            // Two points: a mirrored window's rectangle comes back with left and right in order.
            // Zero is also the offset of a client area at the screen's origin.
            return ::GetClientRect(window, rect) &&
                   (::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(rect), 2) != 0 || ::IsWindow(window));
    }
    return false;
}

BOOL CALLBACK SubtractMonitor(HMONITOR, HDC, RECT* monitor, LPARAM rest) {
    const fw::UniqueRegion part(::CreateRectRgnIndirect(monitor));
    const HRGN region = reinterpret_cast<HRGN>(rest);
    return part && ::CombineRgn(region, region, part.get(), RGN_DIFF) != ERROR;
}

// Every pixel of it on a monitor: the virtual screen's rectangle also holds the gaps between
// monitors of different sizes, which the screen shows black.
bool OnScreen(const RECT& rect) {
    const fw::UniqueRegion rest(::CreateRectRgnIndirect(&rect));
    RECT left{};
    return rest && ::EnumDisplayMonitors(nullptr, nullptr, &SubtractMonitor, reinterpret_cast<LPARAM>(rest.get())) &&
           ::GetRgnBox(rest.get(), &left) == NULLREGION;
}

std::vector<HWND> CoveringWindows(HWND window, const RECT& rect) {
    const HWND root = ::GetAncestor(window, GA_ROOT);
    std::vector<HWND> covering;
    for (const HWND above : TopLevelWindows()) {
        if (above == root) break;
        RECT bounds{}, overlap{};
        WindowProbe probe(above);
        if (probe.Visible() && probe.CloakedBits() == 0 && FrameBounds(probe, &bounds) &&
            ::IntersectRect(&overlap, &bounds, &rect)) {
            covering.push_back(above);
        }
    }
    return covering;
}

void Refuse(CaptureResult& result, CaptureStatus status, std::string reason) {
    result.status = status;
    result.reason = std::move(reason);
    result.picture = {};
}

void Closed(CaptureResult& result, HWND window) {
    Refuse(result, CaptureStatus::Closed, "the window " + HexHandle(window) + " closed during the capture");
}

// A failed call means Closed when the window has gone, else the system's reason.
void Fail(CaptureResult& result, HWND window, const char* call) {
    const DWORD error = ::GetLastError();
    if (!::IsWindow(window)) return Closed(result, window);
    Refuse(result, CaptureStatus::Failed,
           "cannot capture the window " + HexHandle(window) + ": " + call + ": " + SystemMessage(error));
}

// The copy may have raced with the window closing: then its pixels are not the window's.
void Keep(CaptureResult& result, HWND window, const Canvas& canvas, const RECT& cut) {
    if (!::IsWindow(window)) return Closed(result, window);
    result.picture = canvas.CopyOut(cut);
}

void CaptureScreen(HWND window, CaptureResult& result) {
    result.method = CaptureMethod::Screen;
    if (IsCloaked(window)) {
        return Refuse(result, CaptureStatus::CloakedForScreen,
                      "the window " + HexHandle(window) + " is cloaked: the screen does not show it");
    }
    result.coveredBy = CoveringWindows(window, result.rect);
    const fw::WindowDc screen(nullptr);
    if (screen.get() == nullptr) return Fail(result, window, "GetDC");
    const Canvas canvas(Width(result.rect), Height(result.rect));
    if (!canvas) return Fail(result, window, "CreateDIBSection");
    // CAPTUREBLT: layered windows are part of what the screen shows.
    if (!::BitBlt(canvas.dc(), 0, 0, Width(result.rect), Height(result.rect), screen.get(), result.rect.left,
                  result.rect.top, SRCCOPY | CAPTUREBLT)) {
        return Fail(result, window, "BitBlt");
    }
    ::GdiFlush();
    Keep(result, window, canvas, RECT{0, 0, Width(result.rect), Height(result.rect)});
}

void CapturePrint(HWND window, CaptureArea area, CaptureResult& result) {
    result.method = CaptureMethod::Print;
    // The client area is printed by itself: a bitmap of its size, and the one placement Wine gets
    // right (it draws a whole window's client area at the window's origin, and no frame).
    const bool clientOnly = area == CaptureArea::Client;
    RECT printed = result.rect, cut{};
    if (!clientOnly && !::GetWindowRect(window, &printed)) return Fail(result, window, "GetWindowRect");
    if (!::IntersectRect(&cut, &result.rect, &printed)) {
        return Refuse(result, CaptureStatus::EmptyArea, "the window " + HexHandle(window) + " has no area to print");
    }
    result.rect = cut;
    const Canvas canvas(Width(printed), Height(printed));
    if (!canvas) return Fail(result, window, "CreateDIBSection");
    if (!::PrintWindow(window, canvas.dc(), kRenderFullContent | (clientOnly ? PW_CLIENTONLY : 0))) {
        return Fail(result, window, "PrintWindow");
    }
    ::GdiFlush();
    ::OffsetRect(&cut, -printed.left, -printed.top);
    // A window that does not render for others (or a system that does not ask it to) leaves the
    // bitmap as it was: one colour.
    if (canvas.IsSolid(cut) && ::IsWindow(window)) {
        return Refuse(result, CaptureStatus::PrintedNothing, "the window rendered nothing through PrintWindow");
    }
    Keep(result, window, canvas, cut);
}

// The screen is faithful (menus, video, other APIs' drawing) when nothing hides the window there.
void CaptureAuto(HWND window, CaptureArea area, CaptureResult& result) {
    result.coveredBy = CoveringWindows(window, result.rect);
    if (result.coveredBy.empty() && OnScreen(result.rect) && !IsCloaked(window)) return CaptureScreen(window, result);
    const RECT taken = result.rect;
    const std::vector<HWND> covering = std::move(result.coveredBy);
    CapturePrint(window, area, result);
    result.coveredBy = covering;
    if (result.status != CaptureStatus::PrintedNothing) return;
    result.status = CaptureStatus::Ok;
    result.reason.clear();
    result.rect = taken;
    result.fellBack = true;
    CaptureScreen(window, result);
}

}  // namespace

CaptureResult CaptureWindow(HWND window, CaptureArea area, CaptureMethod method) {
    CaptureResult result;
    result.method = method == CaptureMethod::Print ? CaptureMethod::Print : CaptureMethod::Screen;
    if (!::IsWindow(window)) {
        Refuse(result, CaptureStatus::Closed, "the window " + HexHandle(window) + " has closed");
    } else if (WindowProbe(window).Minimized()) {
        Refuse(result, CaptureStatus::Minimized, "the window " + HexHandle(window) + " is minimized");
    } else if (!AreaRect(window, area, &result.rect)) {
        Fail(result, window, area == CaptureArea::Client ? "GetClientRect" : "GetWindowRect");
    } else if (::IsRectEmpty(&result.rect)) {
        Refuse(result, CaptureStatus::EmptyArea,
               "the window " + HexHandle(window) + " has an empty " + AreaName(area) + " area");
    } else {
        result.dpi = WindowDpi(window);
        switch (method) {
            case CaptureMethod::Auto: CaptureAuto(window, area, result); break;
            case CaptureMethod::Screen: CaptureScreen(window, result); break;
            case CaptureMethod::Print: CapturePrint(window, area, result); break;
        }
    }
    return result;
}

}  // namespace cli
