#include "cli/FrameLook.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <unordered_map>
#include <utility>

namespace cli {
namespace {

// The radii Windows 11 draws, at 96 DPI; a preference that draws none is not listed ("default"
// is whichever of these the system picks).
constexpr CornerStyle kCornerStyles[] = {{"square", 0}, {"small", 4}, {"round", 8}};

// Below one half: the pixel is mostly what lies behind the window.
constexpr std::uint32_t kHalfAlpha = 128;
// How deep a ring, a corner cut or a probe into the client looks, at 96 DPI.
constexpr int kRingReachAt96 = 16;
constexpr int kCornerReachAt96 = 32;
constexpr int kClientProbeAt96 = 3;

std::uint32_t Alpha(std::uint32_t pixel) { return pixel >> 24; }
COLORREF Rgb(std::uint32_t pixel) { return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF); }
int Scaled(int at96, UINT dpi) { return ::MulDiv(at96, static_cast<int>(dpi), 96); }

// The picture in screen coordinates; outside it, nothing (alpha 0).
class View {
public:
    View(const Picture& picture, const RECT& area) : m_picture(picture), m_left(area.left), m_top(area.top) {}
    std::uint32_t At(LONG x, LONG y) const {
        x -= m_left, y -= m_top;
        if (x < 0 || y < 0 || x >= m_picture.width || y >= m_picture.height) return 0;
        return m_picture.pixels[static_cast<size_t>(y) * static_cast<size_t>(m_picture.width) + static_cast<size_t>(x)];
    }

private:
    const Picture& m_picture;
    LONG m_left, m_top;
};

// A point `depth` pixels inward from a rectangle's edge on one side (outward when negative), at
// `along` on the other axis.
POINT Inward(const RECT& r, Side side, LONG along, LONG depth) {
    switch (side) {
        case kLeft: return {r.left + depth, along};
        case kTop: return {along, r.top + depth};
        case kRight: return {r.right - 1 - depth, along};
        case kBottom: return {along, r.bottom - 1 - depth};
    }
    return {};
}

std::uint32_t PixelAt(const View& view, POINT p) { return view.At(p.x, p.y); }

// Counts kept in first-seen order, so that a tie goes to the colour met first.
class Histogram {
public:
    void Add(COLORREF colour) {
        auto [found, added] = m_counts.try_emplace(colour, std::pair<int, int>{0, m_next});
        if (added) ++m_next;
        ++found->second.first;
    }
    // The most frequent colour that `keep` accepts.
    template <typename Keep>
    std::optional<COLORREF> Top(Keep keep) const {
        std::optional<COLORREF> best;
        std::pair<int, int> bestRank{0, 0};
        for (const auto& [colour, rank] : m_counts) {
            if (!keep(colour)) continue;
            if (!best || rank.first > bestRank.first || (rank.first == bestRank.first && rank.second < bestRank.second)) {
                best = colour;
                bestRank = rank;
            }
        }
        return best;
    }
    std::optional<COLORREF> Top() const {
        return Top([](COLORREF) { return true; });
    }

private:
    std::unordered_map<COLORREF, std::pair<int, int>> m_counts;  // count, first seen
    int m_next = 0;
};

// A quarter circle of radius r cut from a corner leaves r² (1 − π/4) pixels transparent in any
// square larger than r there. Counted row by row from the corner, each row's run from the edge,
// so that transparency further in (a see-through client area) does not count.
int CornerRadius(const View& view, const RECT& frame, CornerAt at, int reach) {
    const bool right = at == kTopRight || at == kBottomRight;
    const bool bottom = at == kBottomLeft || at == kBottomRight;
    const LONG x0 = right ? frame.right - 1 : frame.left, dx = right ? -1 : 1;
    const LONG y0 = bottom ? frame.bottom - 1 : frame.top, dy = bottom ? -1 : 1;
    long cut = 0;
    for (int row = 0; row < reach; ++row) {
        int run = 0;
        while (run < reach && Alpha(view.At(x0 + dx * run, y0 + dy * row)) < kHalfAlpha) ++run;
        if (run == 0) break;
        cut += run;
    }
    constexpr double kQuarterPi = 0.78539816339744831;
    return static_cast<int>(std::lround(std::sqrt(static_cast<double>(cut) / (1.0 - kQuarterPi))));
}

// The positions along a side where it is itself: inside the client's span (so beside the caption
// band and the client, not the caption's end), clear of the rounded corners.
std::pair<LONG, LONG> Span(const RECT& frame, const RECT& client, Side side, int corner) {
    const bool vertical = side == kLeft || side == kRight;
    LONG from = vertical ? frame.top : frame.left, to = vertical ? frame.bottom : frame.right;
    const LONG clientFrom = vertical ? client.top : client.left, clientTo = vertical ? client.bottom : client.right;
    if (clientTo > clientFrom) from = std::max(from, clientFrom), to = std::min(to, clientTo);
    return {std::max(from, (vertical ? frame.top : frame.left) + corner),
            std::min(to, (vertical ? frame.bottom : frame.right) - corner)};
}

bool InButtons(const std::optional<RECT>& buttons, LONG x) { return buttons && x >= buttons->left && x < buttons->right; }

struct Ring {
    std::optional<COLORREF> colour;
    int width = 0;
    bool fills = false;  // the colour went on as deep as the ring is looked for: no border
};

// The outermost opaque pixels of one side and how many rows of their colour follow inward.
Ring MeasureRing(const View& view, const FrameGeometry& g, Side side, int corner, int reach, int tolerance) {
    Histogram colours;
    std::unordered_map<COLORREF, Histogram> widths;  // per ring colour; a width is kept as a "colour"
    const auto [from, to] = Span(g.frame, g.client, side, corner);
    for (LONG along = from; along < to; ++along) {
        if (side == kTop && InButtons(g.buttons, along)) continue;
        LONG depth = 0;
        while (depth < reach && Alpha(PixelAt(view, Inward(g.frame, side, along, depth))) < kHalfAlpha) ++depth;
        if (depth == reach) continue;
        const COLORREF colour = Rgb(PixelAt(view, Inward(g.frame, side, along, depth)));
        LONG run = 1;
        while (depth + run < reach) {
            const std::uint32_t next = PixelAt(view, Inward(g.frame, side, along, depth + run));
            if (Alpha(next) < kHalfAlpha || !Near(Rgb(next), colour, tolerance)) break;
            ++run;
        }
        colours.Add(colour);
        widths[colour].Add(static_cast<COLORREF>(depth + run == reach ? 0 : run));
    }
    Ring ring;
    ring.colour = colours.Top();
    if (!ring.colour) return ring;
    const COLORREF width = widths[*ring.colour].Top().value_or(0);
    ring.fills = width == 0;
    ring.width = static_cast<int>(width);
    return ring;
}

// The client's own colour along one side, a few pixels in: past any border drawn over its edge.
std::optional<COLORREF> ClientColour(const View& view, const FrameGeometry& g, Side side, int corner, int probe) {
    if (::IsRectEmpty(&g.client)) return std::nullopt;
    Histogram colours;
    const auto [from, to] = Span(g.frame, g.client, side, corner);
    for (LONG along = from; along < to; ++along) {
        const std::uint32_t pixel = PixelAt(view, Inward(g.client, side, along, probe));
        if (Alpha(pixel) >= kHalfAlpha) colours.Add(Rgb(pixel));
    }
    return colours.Top();
}

std::optional<CaptionBand> MeasureCaption(const View& view, const FrameGeometry& g, const std::array<BorderSide, 4>& border,
                                          int tolerance) {
    const RECT& f = g.frame;
    const RECT band{std::max(f.left + border[kLeft].width, g.client.left), f.top + border[kTop].width,
                    std::min(f.right - border[kRight].width, g.client.right), g.client.top};
    Histogram colours;
    for (LONG y = band.top; y < band.bottom; ++y) {
        for (LONG x = band.left; x < band.right; ++x) {
            const std::uint32_t pixel = view.At(x, y);
            const POINT p{x, y};
            if (Alpha(pixel) < kHalfAlpha || (g.buttons && ::PtInRect(&*g.buttons, p))) continue;
            colours.Add(Rgb(pixel));
        }
    }
    const auto caption = colours.Top();
    if (!caption) return std::nullopt;
    return CaptionBand{*caption, colours.Top([&](COLORREF c) { return !Near(c, *caption, tolerance); }), IsDark(*caption)};
}

// How far beyond the frame, anywhere along the side, a pixel still has some alpha.
int ShadowReach(const View& view, const FrameGeometry& g, Side side, int corner) {
    const RECT& a = g.area;
    const LONG room = side == kLeft ? g.frame.left - a.left : side == kTop ? g.frame.top - a.top
                      : side == kRight ? a.right - g.frame.right : a.bottom - g.frame.bottom;
    const bool vertical = side == kLeft || side == kRight;
    const LONG from = (vertical ? g.frame.top : g.frame.left) + corner;
    const LONG to = (vertical ? g.frame.bottom : g.frame.right) - corner;
    int reach = 0;
    for (LONG along = from; along < to; ++along) {
        for (LONG out = room; out > reach; --out) {
            if (Alpha(PixelAt(view, Inward(g.frame, side, along, -out))) > 0) {
                reach = static_cast<int>(out);
                break;
            }
        }
    }
    return reach;
}

}  // namespace

std::span<const CornerStyle> CornerStyles() { return kCornerStyles; }

int ScaledRadius(const CornerStyle& style, UINT dpi) { return Scaled(style.radiusAt96, dpi); }

CornerMatch MatchCorners(const std::array<int, 4>& radii, UINT dpi) {
    CornerMatch match;
    match.radius = *std::max_element(radii.begin(), radii.end());
    for (const CornerStyle& style : kCornerStyles) {
        const int expected = ScaledRadius(style, dpi);
        if (std::all_of(radii.begin(), radii.end(), [&](int r) { return std::abs(r - expected) <= 1; })) match.style = &style;
    }
    return match;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

bool IsDark(COLORREF colour) {
    return 0.2126 * GetRValue(colour) + 0.7152 * GetGValue(colour) + 0.0722 * GetBValue(colour) < 127.5;
}

FrameLook LookAtFrame(const Picture& matte, const FrameGeometry& g, int tolerance) {
    const View view(matte, g.area);
    const RECT& f = g.frame;
    FrameLook look;
    const int half = static_cast<int>(std::min(f.right - f.left, f.bottom - f.top) / 2);
    const int cornerReach = std::min(half, Scaled(kCornerReachAt96, g.dpi));
    for (int at = 0; at < 4; ++at) look.radii[at] = CornerRadius(view, f, static_cast<CornerAt>(at), cornerReach);
    look.corner = MatchCorners(look.radii, g.dpi);
    const int corner = look.corner.radius + 1;

    const int ringReach = std::min(half, Scaled(kRingReachAt96, g.dpi));
    std::array<Ring, 4> rings;
    for (int side = 0; side < 4; ++side) {
        rings[side] = MeasureRing(view, g, static_cast<Side>(side), corner, ringReach, tolerance);
        if (!rings[side].fills) look.border[side].width = rings[side].width;
    }
    // The caption below the top ring tells which colour is the caption's; a top ring of that colour
    // is the caption's own first rows, and the band is measured again from the frame's edge.
    const auto caption = MeasureCaption(view, g, look.border, tolerance);
    const int probe = Scaled(kClientProbeAt96, g.dpi);
    for (int side = 0; side < 4; ++side) {
        const Ring& ring = rings[side];
        const auto client = ClientColour(view, g, static_cast<Side>(side), corner, probe);
        const bool own = !ring.colour || ring.fills || (client && Near(*ring.colour, *client, tolerance)) ||
                         (caption && Near(*ring.colour, caption->colour, tolerance));
        look.border[side] = own ? BorderSide{} : BorderSide{ring.colour, ring.width};
    }
    look.caption = MeasureCaption(view, g, look.border, tolerance);

    for (int side = 0; side < 4; ++side) look.shadow[side] = ShadowReach(view, g, static_cast<Side>(side), corner);
    look.insets = RECT{f.left - g.window.left, f.top - g.window.top, g.window.right - f.right, g.window.bottom - f.bottom};
    return look;
}

}  // namespace cli
