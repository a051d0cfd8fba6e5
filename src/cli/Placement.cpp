#include "cli/Placement.h"

#include "cli/Target.h"
#include "cli/Visibility.h"

namespace cli {
namespace {

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }
bool Same(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

std::string Where(const RECT& r) {
    return std::to_string(Width(r)) + " x " + std::to_string(Height(r)) + " at " + std::to_string(r.left) + ", " +
           std::to_string(r.top);
}

struct Now {
    RECT rect{};
    FrameReading frame;
};

std::optional<Now> Read(HWND window) {
    Now now;
    if (!::GetWindowRect(window, &now.rect)) return std::nullopt;
    now.frame = VisibleFrame(window);
    return now;
}

bool Move(HWND window, const RECT& to) {
    return ::SetWindowPos(window, nullptr, to.left, to.top, Width(to), Height(to),
                          SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE) != FALSE;
}

}  // namespace

RECT WindowRectForFrame(const RECT& wanted, const RECT& frame, const RECT& rect) {
    return RECT{wanted.left - (frame.left - rect.left), wanted.top - (frame.top - rect.top),
                wanted.right + (rect.right - frame.right), wanted.bottom + (rect.bottom - frame.bottom)};
}

RECT RequestedRect(const PlacementRequest& request, const RECT& now) {
    const SIZE size = request.size.value_or(SIZE{Width(now), Height(now)});
    return RECT{request.x, request.y, request.x + size.cx, request.y + size.cy};
}

PlacementResult PlaceWindow(HWND window, const PlacementRequest& request) {
    PlacementResult result;
    const char* restoredFrom = ::IsIconic(window) ? "minimized" : ::IsZoomed(window) ? "maximized" : nullptr;
    // SW_SHOWNOACTIVATE restores from either state, to the normal size even where the window was
    // maximized before it was minimized.
    if (restoredFrom != nullptr) ::ShowWindow(window, SW_SHOWNOACTIVATE);
    std::optional<Now> now = Read(window);
    if (!now) return {{}, true, ""};
    const bool byFrame = request.by == PlaceBy::Frame;
    const RECT wanted = RequestedRect(request, byFrame ? now->frame.frame : now->rect);
    // Twice at most: a window that lands on a monitor of another DPI may resize its borders.
    for (int pass = 0; pass < 2; ++pass) {
        const RECT to = byFrame ? WindowRectForFrame(wanted, now->frame.frame, now->rect) : wanted;
        if (!Move(window, to) || !(now = Read(window))) return {{}, HasClosed(window), "SetWindowPos failed"};
        if (!byFrame || Same(now->frame.frame, wanted)) break;
    }
    const RECT& got = byFrame ? now->frame.frame : now->rect;
    Facts& facts = result.facts;
    if (restoredFrom != nullptr) facts.push_back({"restored-from", Word{restoredFrom}});
    facts.push_back({"by", Word{byFrame ? "frame" : "window"}});
    facts.push_back({"requested", Rect{wanted}});
    facts.push_back({"frame", Rect{now->frame.frame}});
    Value frameFrom = now->frame.fromDwm ? Value{Word{"dwm"}} : now->frame.dwmFailure;
    // Without a DWM the rectangle is what shows; a DWM that cannot tell leaves the frame unplaced.
    if (auto* failure = std::get_if<Failure>(&frameFrom); failure != nullptr && byFrame) failure->counts = !failure->predicted();
    facts.push_back({"frame-from", std::move(frameFrom)});
    facts.push_back({"rect", Rect{now->rect}});
    if (!Same(got, wanted)) {
        facts.push_back({"difference", Group{{{"left", Integer{got.left - wanted.left}},
                                              {"top", Integer{got.top - wanted.top}},
                                              {"width", Integer{Width(got) - Width(wanted)}},
                                              {"height", Integer{Height(got) - Height(wanted)}}}}});
        result.refused = std::string("its ") + (byFrame ? "frame" : "rectangle") + " is " + Where(got) + " where " +
                         Where(wanted) + " was asked: the window refused or clamped it";
    }
    result.closed = HasClosed(window);
    return result;
}

}  // namespace cli
