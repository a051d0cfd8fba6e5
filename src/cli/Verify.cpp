#include "cli/Verify.h"

#include <algorithm>
#include <iterator>

namespace cli {
namespace {

constexpr UINT kSendTimeoutMs = 2000;

bool IsActive(HWND window) { return ::GetForegroundWindow() == window; }

void SendToWindow(HWND window, UINT message, WPARAM wParam) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
}

// The frame is computed anew: the DWM redraws it.
void ChangeFrame(HWND window) {
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
}

// The non-client area drawn inactive then as it is (active or not): the caption's colours again.
void Reactivate(HWND window) {
    const bool active = IsActive(window);
    SendToWindow(window, WM_NCACTIVATE, !active);
    SendToWindow(window, WM_NCACTIVATE, active);
}

// One pixel wider and back, where it was.
void Resize(HWND window) {
    RECT r{};
    if (!::GetWindowRect(window, &r)) return;
    constexpr UINT kOnlySize = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    ::SetWindowPos(window, nullptr, 0, 0, r.right - r.left + 1, r.bottom - r.top, kOnlySize);
    ::SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, kOnlySize);
}

struct Nudge {
    const char* name;
    void (*apply)(HWND window);
};
// In the order of what they disturb: nothing the user sees, the caption's state for a moment, the size.
constexpr Nudge kNudges[] = {{"frame-change", &ChangeFrame}, {"activation", &Reactivate}, {"resize", &Resize}};

// What the look shows of each value not yet painted; `after` names the repaint that made it so.
void See(const Looked& looked, std::span<const ToVerify> values, const char* after, std::vector<Painted>& painted) {
    for (size_t i = 0; i < values.size(); ++i) {
        if (painted[i].holds) continue;
        const Seen seen = values[i].telling->see(values[i].value, looked.look, kDefaultTolerance);
        painted[i] = Painted{seen.holds, seen.text, values[i].asked, seen.holds && after != nullptr ? after : ""};
    }
}

// What the repaints must leave as it was: where the window is, the window above it, the focus.
struct Placement {
    RECT rect{};
    HWND above = nullptr;
    HWND foreground = nullptr;

    static Placement Of(HWND window) {
        Placement placement{{}, ::GetWindow(window, GW_HWNDPREV), ::GetForegroundWindow()};
        ::GetWindowRect(window, &placement.rect);
        return placement;
    }
    bool operator==(const Placement& other) const {
        return ::EqualRect(&rect, &other.rect) && above == other.above && foreground == other.foreground;
    }
};

// Put back where a repaint moved it; true when all is as it was.
bool Restore(HWND window, const Placement& before) {
    if (Placement::Of(window) == before) return true;
    const RECT& r = before.rect;
    ::SetWindowPos(window, before.above != nullptr ? before.above : HWND_TOP, r.left, r.top, r.right - r.left,
                   r.bottom - r.top, SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    if (::GetForegroundWindow() != before.foreground) ::SetForegroundWindow(before.foreground);
    return Placement::Of(window) == before;
}

bool AllPainted(const std::vector<Painted>& painted) {
    return std::all_of(painted.begin(), painted.end(), [](const Painted& p) { return p.holds; });
}

}  // namespace

Verification VerifyPainted(HWND window, std::span<const ToVerify> values, bool nudge, HANDLE stop) {
    Verification verification;
    verification.painted.resize(values.size(), Painted{false, "", "", ""});
    const char* after = nullptr;
    const Placement before = Placement::Of(window);
    for (size_t step = 0;; ++step) {
        const Looked looked = LookAtWindow(window, kDefaultTolerance, stop);
        verification.status = looked.capture.status;
        verification.reason = looked.capture.reason;
        if (looked.capture.status != CaptureStatus::Ok) break;
        See(looked, values, after, verification.painted);
        if (!nudge || AllPainted(verification.painted) || step == std::size(kNudges)) break;
        kNudges[step].apply(window);
        after = kNudges[step].name;
        verification.undisturbed = Restore(window, before) && verification.undisturbed;
    }
    return verification;
}

}  // namespace cli
