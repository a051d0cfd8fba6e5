#pragma once
// What the DWM drew around a window, measured from a picture with true transparency (a matte
// capture): the corners' radii, the border ring, the caption band, the shadow and the invisible
// borders. Pixels and rectangles in, facts out: nothing here touches a window.
#include <windows.h>

#include <array>
#include <optional>
#include <span>

#include "cli/Capture.h"

namespace cli {

// RECT's order.
enum Side { kLeft, kTop, kRight, kBottom };
enum CornerAt { kTopLeft, kTopRight, kBottomLeft, kBottomRight };
inline constexpr const char* kSideNames[] = {"left", "top", "right", "bottom"};
inline constexpr const char* kCornerNames[] = {"top-left", "top-right", "bottom-left", "bottom-right"};

// Where things are, in screen coordinates and physical pixels.
struct FrameGeometry {
    RECT area{};    // what the picture shows
    RECT window{};  // the window rectangle
    RECT frame{};   // the visible frame: the extended frame bounds
    RECT client{};  // the client area
    std::optional<RECT> buttons;  // the caption buttons, where the DWM reports them
    UINT dpi = 96;
};

// A corner preference as `set` names it, and the radius Windows 11 draws for it at 96 DPI.
struct CornerStyle {
    const char* name;
    int radiusAt96;
};
std::span<const CornerStyle> CornerStyles();
int ScaledRadius(const CornerStyle& style, UINT dpi);

struct CornerMatch {
    const CornerStyle* style = nullptr;  // null: no preference draws these radii ("other")
    int radius = 0;                      // the largest of the four
};
// The style every corner's radius is within one pixel of, at this DPI.
CornerMatch MatchCorners(const std::array<int, 4>& radii, UINT dpi);

struct BorderSide {
    std::optional<COLORREF> colour;  // none: the ring is the caption's or the client's own colour
    int width = 0;                   // rows of that colour, inward
};

struct CaptionBand {
    COLORREF colour = 0;
    std::optional<COLORREF> text;  // the most frequent colour that differs from the caption's
    bool dark = false;
};

struct FrameLook {
    std::array<int, 4> radii{};  // CornerAt order
    CornerMatch corner;
    std::array<BorderSide, 4> border{};  // Side order
    std::optional<CaptionBand> caption;  // none: no band between the frame's top and the client's
    std::array<int, 4> shadow{};         // Side order: how far alpha above zero reaches beyond the frame
    RECT insets{};                       // the window rectangle outside the visible frame, per side
};

// `matte` shows geometry.area; colours compare within `tolerance` per channel.
FrameLook LookAtFrame(const Picture& matte, const FrameGeometry& geometry, int tolerance);

// Every channel within the tolerance.
bool Near(COLORREF a, COLORREF b, int tolerance);
// Its Rec. 709 luminance is below one half.
bool IsDark(COLORREF colour);

}  // namespace cli
