#include "cli/Matte.h"

#include <algorithm>
#include <optional>

#include "cli/Facts.h"
#include "cli/Output.h"
#include "cli/TerminalText.h"
#include "cli/WindowFields.h"
#include "dwm/DwmCalls.h"
#include "framework/Handles.h"

namespace cli {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

// Paints its whole client area in the colour kept in its user data; never takes activation.
LRESULT CALLBACK MatteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            if (const HDC dc = ::BeginPaint(window, &paint)) {
                RECT all{};
                ::GetClientRect(window, &all);
                const fw::UniqueBrush brush(::CreateSolidBrush(static_cast<COLORREF>(::GetWindowLongPtrW(window, GWLP_USERDATA))));
                ::FillRect(dc, &all, brush.get());
                ::EndPaint(window, &paint);
            }
            return 0;
        }
        case WM_ERASEBKGND: return 1;  // WM_PAINT covers everything
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        default: return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

bool RegisterMatteClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &MatteProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kMatteClass;
    return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

constexpr int kAttempts = 3;
constexpr const char* kInterrupted = "interrupted by Ctrl+C";

bool Stopped(HANDLE stop) { return stop != nullptr && ::WaitForSingleObject(stop, 0) == WAIT_OBJECT_0; }

// This thread's messages, for as long as there are any; idle, the window system sends what was
// drawn to the screen.
void Pump() {
    for (MSG message; ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&message);
}

// No visible window of its band (topmost or not) above it.
bool IsTopOfBand(HWND window) {
    const LONG topmost = ::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST;
    for (HWND above = ::GetWindow(window, GW_HWNDPREV); above != nullptr; above = ::GetWindow(above, GW_HWNDPREV)) {
        if (::IsWindowVisible(above) && (::GetWindowLongW(above, GWL_EXSTYLE) & WS_EX_TOPMOST) == topmost) return false;
    }
    return true;
}

// The backdrop: a popup of one colour, no taskbar button, directly below the target in z-order.
// It reaches one pixel beyond the area on every side: a ring outside what is captured, where the
// screen tells when the backdrop's colour has arrived.
class Backdrop {
public:
    // Hidden until Place.
    explicit Backdrop(HWND target)
        : m_target(target),
          m_window(RegisterMatteClass()
                       ? ::CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW |
                                               (::GetWindowLongW(target, GWL_EXSTYLE) & WS_EX_TOPMOST),
                                           kMatteClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                           ::GetModuleHandleW(nullptr), nullptr)
                       : nullptr) {}
    explicit operator bool() const { return static_cast<bool>(m_window); }
    HWND get() const { return m_window.get(); }

    // Shown without activation around `area`, right after the target in z-order; false when the
    // system keeps it anywhere else.
    bool Place(const RECT& area) {
        m_wasTop = IsTopOfBand(m_target);
        ::SetWindowLongPtrW(m_window.get(), GWLP_USERDATA, static_cast<LONG_PTR>(kWhite));
        if (!::SetWindowPos(m_window.get(), m_target, area.left - 1, area.top - 1, area.right - area.left + 2,
                            area.bottom - area.top + 2, SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_SHOWWINDOW)) {
            return false;
        }
        if (!KeepBelow()) return false;
        m_ring = FreeRingPixel(area);
        return true;
    }

    // Painted, and waited for until the ring shows it on the screen (which a DWM presents at its
    // next frame); false when it never did, or the backdrop cannot stay below.
    bool Fill(COLORREF colour, HANDLE stop) {
        ::SetWindowLongPtrW(m_window.get(), GWLP_USERDATA, static_cast<LONG_PTR>(colour));
        ::RedrawWindow(m_window.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ::GdiFlush();
        for (const ULONGLONG deadline = ::GetTickCount64() + kArrivalMs;;) {
            Pump();
            // Without a DWM that presents (none, or one that cannot say), the ring tells alone.
            FlushComposition();
            if (!m_ring || ScreenPixel(*m_ring) == colour) return KeepBelow();
            if (::GetTickCount64() > deadline || Stopped(stop)) return false;
            ::Sleep(1);
        }
    }

    // Below the target again where the window system raised it.
    bool KeepBelow() {
        Pump();
        return IsBelowTarget() || Raise();
    }

    // A window system may show a window over all others whatever the order asked (Wine's X11 driver
    // stacks windows only to the top). A target that was the top of its band is asked to the top
    // again: its place among the other windows stays as it was.
    bool Raise() {
        if (!m_wasTop) return false;
        ::SetWindowPos(m_target, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        Pump();
        return IsBelowTarget();
    }

    // Hidden windows in between show nothing.
    bool IsBelowTarget() const {
        HWND next = ::GetWindow(m_target, GW_HWNDNEXT);
        while (next != nullptr && next != m_window.get() && !::IsWindowVisible(next)) next = ::GetWindow(next, GW_HWNDNEXT);
        return next != nullptr && next == m_window.get();
    }

private:
    static constexpr ULONGLONG kArrivalMs = 2000;

    // A corner of the ring on the screen that no window above the target covers.
    std::optional<POINT> FreeRingPixel(const RECT& area) const {
        for (const POINT p : {POINT{area.left - 1, area.top - 1}, POINT{area.right, area.top - 1},
                              POINT{area.left - 1, area.bottom}, POINT{area.right, area.bottom}}) {
            const RECT pixel{p.x, p.y, p.x + 1, p.y + 1};
            if (IsOnScreen(pixel) && WindowsCovering(m_target, pixel).empty()) return p;
        }
        return std::nullopt;
    }

    static COLORREF ScreenPixel(POINT p) {
        Picture pixel;
        const char* failed = "";
        if (!TakeScreen(RECT{p.x, p.y, p.x + 1, p.y + 1}, pixel, &failed)) return CLR_INVALID;
        const std::uint32_t bgra = pixel.pixels.front();
        return RGB(bgra >> 16 & 0xFF, bgra >> 8 & 0xFF, bgra & 0xFF);
    }

    HWND m_target;
    fw::UniqueWindow m_window;
    bool m_wasTop = false;
    std::optional<POINT> m_ring;
};

void Refuse(CaptureResult& result, CaptureStatus status, std::string reason) {
    result.status = status;
    result.reason = std::move(reason);
    result.picture = {};
}

std::string Named(HWND window) { return "the window " + HexHandle(window); }

// "0x00012345 'Title', 0x… '…'": untrusted titles made safe for the terminal.
std::string CoverNames(const std::vector<HWND>& covers) {
    ProcessNames names;
    std::string text;
    for (HWND cover : covers) {
        WindowProbe probe(cover, names);
        text += (text.empty() ? "" : ", ") + HexHandle(cover) + " " + TerminalSafe(ToUtf8(probe.Title()), true);
    }
    return text;
}

void RefuseCovered(CaptureResult& result, HWND window, std::vector<HWND> covers) {
    Refuse(result, CaptureStatus::Covered,
           Named(window) + " is covered by " + CoverNames(covers) + ": the backdrop would not show through it");
    result.coveredBy = std::move(covers);
}

// What is checked before anything is put on the screen.
bool Refused(HWND window, CaptureArea area, int margin, CaptureResult& result) {
    if (!::IsWindow(window)) return Refuse(result, CaptureStatus::Closed, Named(window) + " has closed"), true;
    if (::IsIconic(window)) return Refuse(result, CaptureStatus::Minimized, Named(window) + " is minimized"), true;
    if (IsCloakedWindow(window)) {
        return Refuse(result, CaptureStatus::CloakedForScreen, Named(window) + " is cloaked: the screen does not show it"), true;
    }
    if (!CaptureAreaRect(window, area, &result.rect) || ::IsRectEmpty(&result.rect)) {
        if (!::IsWindow(window)) return Refuse(result, CaptureStatus::Closed, Named(window) + " has closed"), true;
        return Refuse(result, CaptureStatus::EmptyArea, Named(window) + " has zero size"), true;
    }
    ::InflateRect(&result.rect, margin, margin);
    if (!IsOnScreen(result.rect)) {
        return Refuse(result, CaptureStatus::OffScreen, "part of the area of " + Named(window) + " is off the screen"), true;
    }
    if (auto covers = WindowsCovering(window, result.rect); !covers.empty()) {
        return RefuseCovered(result, window, std::move(covers)), true;
    }
    return false;
}

// The screen over white, then over black; false, the result refused, when a step fails.
bool TakeOverBoth(HWND window, Backdrop& backdrop, HANDLE stop, CaptureResult& result, Picture& overWhite, Picture& overBlack) {
    const char* failedCall = "";
    for (const auto& [colour, picture] : {std::pair{kWhite, &overWhite}, std::pair{kBlack, &overBlack}}) {
        if (Stopped(stop)) return Refuse(result, CaptureStatus::Interrupted, kInterrupted), false;
        if (!::IsWindow(window)) return Refuse(result, CaptureStatus::Closed, Named(window) + " has closed"), false;
        if (!backdrop.Fill(colour, stop)) {
            if (Stopped(stop)) return Refuse(result, CaptureStatus::Interrupted, kInterrupted), false;
            return Refuse(result, CaptureStatus::Failed, "the backdrop below " + Named(window) + " did not show on the screen"),
                   false;
        }
        if (!TakeScreen(result.rect, *picture, &failedCall)) {
            const DWORD error = ::GetLastError();
            if (!::IsWindow(window)) return Refuse(result, CaptureStatus::Closed, Named(window) + " has closed"), false;
            return Refuse(result, CaptureStatus::Failed,
                          "cannot capture " + Named(window) + ": " + failedCall + ": " + SystemMessage(error)), false;
        }
    }
    return true;
}

// Every pixel the backdrop's colour: the window showed nothing, or the backdrop was over it.
bool Uniform(const Picture& picture, COLORREF colour) {
    const std::uint32_t pixel = 0xFF000000u | GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
    return std::all_of(picture.pixels.begin(), picture.pixels.end(), [&](std::uint32_t p) { return p == pixel; });
}

}  // namespace

Picture Unmatte(const Picture& overWhite, const Picture& overBlack) {
    Picture out{overBlack.width, overBlack.height, {}};
    out.pixels.resize(overBlack.pixels.size());
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        const std::uint32_t white = overWhite.pixels[i], black = overBlack.pixels[i];
        int difference = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            difference = std::max(difference, static_cast<int>(white >> shift & 0xFF) - static_cast<int>(black >> shift & 0xFF));
        }
        const std::uint32_t alpha = static_cast<std::uint32_t>(255 - difference);
        // Most pixels are all window or all backdrop: no division.
        std::uint32_t pixel = alpha == 255 ? black | 0xFF000000u : alpha << 24;
        for (int shift = 0; alpha != 0 && alpha != 255 && shift < 24; shift += 8) {
            const std::uint32_t channel = ((black >> shift & 0xFF) * 255 + alpha / 2) / alpha;
            pixel |= std::min<std::uint32_t>(channel, 255) << shift;
        }
        out.pixels[i] = pixel;
    }
    return out;
}

CaptureResult CaptureMatte(HWND window, CaptureArea area, int margin, HANDLE stop) {
    CaptureResult result;
    result.method = CaptureMethod::Screen;
    if (Refused(window, area, margin, result)) return result;
    result.dpi = WindowDpi(window);
    const HWND root = ::GetAncestor(window, GA_ROOT);
    Backdrop backdrop(root);
    if (!backdrop || !backdrop.Place(result.rect)) {
        if (!::IsWindow(window)) return Refuse(result, CaptureStatus::Closed, Named(window) + " has closed"), result;
        Refuse(result, CaptureStatus::Failed, "cannot keep a backdrop directly below " + Named(window));
        return result;
    }
    Picture overWhite, overBlack;
    // A system may show the backdrop over the window for a moment whatever the order asked, and tell
    // it later: a take that is the backdrop alone is taken again. One such take may also be a window
    // of the backdrop's colour (kept after the last attempt); both, nothing of the window showed.
    for (int attempt = 1;; ++attempt) {
        if (!TakeOverBoth(window, backdrop, stop, result, overWhite, overBlack)) return result;
        const bool white = Uniform(overWhite, kWhite), black = Uniform(overBlack, kBlack);
        if (backdrop.KeepBelow() && !white && !black) break;
        if (attempt == kAttempts && white != black) break;
        if (attempt == kAttempts || !backdrop.Raise()) {
            return Refuse(result, CaptureStatus::Failed, "the backdrop came over " + Named(window) +
                                                             ": the system does not keep it below"), result;
        }
    }
    // Pixels taken while the window closed, was cloaked or something came over it are not the window's.
    const bool cloaked = IsCloakedWindow(window);
    if (Stopped(stop)) return Refuse(result, CaptureStatus::Interrupted, kInterrupted), result;
    if (!::IsWindow(window)) return Refuse(result, CaptureStatus::Closed, Named(window) + " closed during the capture"), result;
    if (cloaked) return Refuse(result, CaptureStatus::CloakedForScreen, Named(window) + " was cloaked during the capture"), result;
    auto covers = WindowsCovering(window, result.rect);
    covers.erase(std::remove(covers.begin(), covers.end(), backdrop.get()), covers.end());
    if (!covers.empty()) return RefuseCovered(result, window, std::move(covers)), result;
    RECT now{};
    if (!CaptureAreaRect(window, area, &now) || !::InflateRect(&now, margin, margin) || !::EqualRect(&now, &result.rect)) {
        if (!::IsWindow(window)) return Refuse(result, CaptureStatus::Closed, Named(window) + " closed during the capture"), result;
        return Refuse(result, CaptureStatus::Failed, Named(window) + " moved during the capture"), result;
    }
    result.picture = Unmatte(overWhite, overBlack);
    return result;
}

}  // namespace cli
