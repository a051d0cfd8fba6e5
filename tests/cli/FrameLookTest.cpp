// The measuring of what the DWM drew, on pictures made here: every pixel known, so each fact is
// checked exactly (radii within one pixel).
#include "cli/FrameLook.h"
#include "cli/Matte.h"

#include <gtest/gtest.h>

#include <cmath>

namespace cli {
namespace {

constexpr COLORREF kClient = RGB(250, 250, 250), kButtons = RGB(200, 16, 32);

// A window as the DWM would show it over nothing: a frame with rounded corners, a border of its
// own width and colour per side (none: the client's colour runs to the edge), a caption band with
// a block of text colour and the caption buttons, a shadow reaching out per side.
struct Drawn {
    UINT dpi = 96;
    int radius = 8;
    bool smooth = false;  // corners anti-aliased, as the DWM draws them
    std::array<std::optional<COLORREF>, 4> border{RGB(0, 120, 215), RGB(0, 120, 215), RGB(0, 120, 215), RGB(0, 120, 215)};
    int captionHeight = 30;
    COLORREF caption = RGB(32, 32, 32);
    std::optional<COLORREF> text = RGB(255, 255, 255);
    std::array<int, 4> shadow{10, 6, 10, 16};
};

struct Made { Picture picture; FrameGeometry geometry; };

Made Make(const Drawn& d) {
    const int m = ::MulDiv(32, static_cast<int>(d.dpi), 96), w = 400, h = 300;
    Made made{{w + 2 * m, h + 2 * m, {}}, {}};
    FrameGeometry& g = made.geometry;
    g.dpi = d.dpi;
    g.area = {100, 50, 100 + w + 2 * m, 50 + h + 2 * m};
    g.window = {g.area.left + m, g.area.top + m, g.area.right - m, g.area.bottom - m};
    g.frame = {g.window.left + 7, g.window.top, g.window.right - 7, g.window.bottom - 7};
    const RECT& f = g.frame;
    const LONG edge[4] = {d.border[kLeft] ? 1 : 0, d.border[kTop] ? 1 : 0, d.border[kRight] ? 1 : 0, d.border[kBottom] ? 1 : 0};
    g.client = {f.left + edge[kLeft], f.top + edge[kTop] + d.captionHeight, f.right - edge[kRight], f.bottom - edge[kBottom]};
    g.buttons = RECT{g.client.right - 138, f.top + edge[kTop], g.client.right, f.top + edge[kTop] + 30};
    const RECT text{g.client.left + 10, f.top + 10, g.client.left + 40, f.top + 20};
    for (LONG y = g.area.top; y < g.area.bottom; ++y) {
        for (LONG x = g.area.left; x < g.area.right; ++x) {
            // The share of the pixel inside the rounded frame: 0 or 1, or 4 x 4 samples when smooth.
            const int n = d.smooth ? 4 : 1;
            int in = 0;
            for (int i = 0; i < n * n; ++i) {
                const double px = x + (i % n + 0.5) / n, py = y + (i / n + 0.5) / n;
                const double cx = std::clamp(px, f.left + d.radius + 0.0, f.right - d.radius + 0.0);
                const double cy = std::clamp(py, f.top + d.radius + 0.0, f.bottom - d.radius + 0.0);
                in += std::hypot(px - cx, py - cy) <= d.radius && px >= f.left && px < f.right && py >= f.top && py < f.bottom;
            }
            const LONG depth[4] = {x - f.left, y - f.top, f.right - 1 - x, f.bottom - 1 - y};
            const POINT p{x, y};
            COLORREF c = y >= g.client.top ? kClient : ::PtInRect(&*g.buttons, p) ? kButtons
                         : d.text && ::PtInRect(&text, p) ? *d.text : d.caption;
            for (int side : {kBottom, kRight, kLeft, kTop}) c = depth[side] == 0 && d.border[side] ? *d.border[side] : c;
            bool shade = ::PtInRect(&f, p);  // what the corners leave: the shadow, faint
            for (int side = 0; side < 4; ++side) shade |= depth[side] < 0 && -depth[side] <= d.shadow[side];
            const std::uint32_t alpha = static_cast<std::uint32_t>(in * 255 / (n * n));
            made.picture.pixels.push_back(alpha > 0 ? alpha << 24 | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)
                                                    : shade ? 40u << 24 : 0u);
        }
    }
    return made;
}

TEST(FrameLook, CornerRadiiMatchEachPreferenceAtItsDpi) {
    for (const UINT dpi : {96u, 144u}) {
        for (const CornerStyle* style : {&CornerStyles()[0], &CornerStyles()[1], &CornerStyles()[2], (const CornerStyle*)nullptr}) {
            for (const bool smooth : {false, true}) {
                Drawn d;
                d.dpi = dpi, d.radius = style != nullptr ? ScaledRadius(*style, dpi) : 14, d.smooth = smooth;
                SCOPED_TRACE(testing::Message() << d.radius << " at " << dpi << (smooth ? ", smooth" : ""));
                const Made made = Make(d);
                const FrameLook look = LookAtFrame(made.picture, made.geometry, 8);
                for (const int r : look.radii) EXPECT_NEAR(r, d.radius, 1);
                EXPECT_EQ(look.corner.style, style);  // 14 is none of them at either DPI
            }
        }
    }
}

TEST(FrameLook, BorderCaptionShadowAndInsets) {
    const std::optional<COLORREF> none, blue = RGB(0, 120, 215), red = RGB(232, 17, 35);
    struct Row { const char* name; std::array<std::optional<COLORREF>, 4> border; int captionHeight; COLORREF caption;
                 std::optional<COLORREF> text; std::array<std::optional<COLORREF>, 4> seenBorder; bool dark; };
    const Row rows[] = {
        {"dark caption with text", {blue, blue, blue, blue}, 30, RGB(32, 32, 32), RGB(255, 255, 255), {blue, blue, blue, blue}, true},
        {"light caption without text", {blue, blue, blue, blue}, 30, RGB(243, 243, 243), none, {blue, blue, blue, blue}, false},
        {"border on some sides", {red, none, none, red}, 30, RGB(243, 243, 243), RGB(0, 0, 0), {red, none, none, red}, false},
        {"border of the caption's colour", {RGB(32, 32, 32), blue, blue, blue}, 30, RGB(32, 32, 32), RGB(200, 200, 200),
         {none, blue, blue, blue}, true},
        {"no caption", {blue, blue, blue, blue}, 0, 0, none, {blue, blue, blue, blue}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Drawn d;
        d.border = row.border, d.captionHeight = row.captionHeight, d.caption = row.caption, d.text = row.text;
        const Made made = Make(d);
        const FrameLook look = LookAtFrame(made.picture, made.geometry, 8);
        for (int side = 0; side < 4; ++side) {
            EXPECT_EQ(look.border[side].colour, row.seenBorder[side]) << kSideNames[side];
            EXPECT_EQ(look.border[side].width, row.seenBorder[side] ? 1 : 0) << kSideNames[side];
        }
        ASSERT_EQ(look.caption.has_value(), row.captionHeight > 0);
        if (look.caption) {
            EXPECT_EQ(look.caption->colour, row.caption);
            EXPECT_EQ(look.caption->text, row.text);  // the buttons' colour is not the text's
            EXPECT_EQ(look.caption->dark, row.dark);
        }
        EXPECT_EQ(look.shadow, d.shadow);
        const RECT insets{7, 0, 7, 7};
        EXPECT_TRUE(::EqualRect(&look.insets, &insets));
    }
}

TEST(Matte, AlphaAndColourFromTheTwoBackdrops) {
    // Straight alpha, channels of different values: a swap or a lost channel shows.
    const std::uint32_t straight[] = {0xFF1E5078, 0x80C81428, 0x40FF8000, 0x01102030, 0x00000000, 0xC0FFFFFF};
    Picture white{6, 1, {}}, black{6, 1, {}};
    for (const std::uint32_t p : straight) {
        white.pixels.push_back(0xFF000000), black.pixels.push_back(0xFF000000);
        for (int shift = 0; shift < 24; shift += 8) {
            const double a = (p >> 24) / 255.0, c = (p >> shift & 0xFF) * a;
            white.pixels.back() |= static_cast<std::uint32_t>(std::lround(c + (1 - a) * 255)) << shift;
            black.pixels.back() |= static_cast<std::uint32_t>(std::lround(c)) << shift;
        }
    }
    const Picture out = Unmatte(white, black);
    for (size_t i = 0; i < std::size(straight); ++i) {
        const std::uint32_t alpha = straight[i] >> 24;
        EXPECT_NEAR(out.pixels[i] >> 24, alpha, 1) << i;
        // Colour where enough of it shows, within what rounding over alpha leaves; none where nothing does.
        EXPECT_TRUE(alpha != 0 || out.pixels[i] == 0) << i;
        for (int shift = 0; alpha >= 0x40 && shift < 24; shift += 8) {
            EXPECT_NEAR(out.pixels[i] >> shift & 0xFF, straight[i] >> shift & 0xFF, 255.0 / alpha + 1) << i;
        }
    }
}

}  // namespace
}  // namespace cli
