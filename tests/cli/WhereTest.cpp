// Where a window is and how much of it shows, in process: the coverage arithmetic against a count of
// pixels, the order of monitors, the window rectangle that puts a frame in place, the black screen
// and shares as text.
#include "cli/Coverage.h"
#include "cli/Doctor.h"
#include "cli/Facts.h"
#include "cli/Monitors.h"
#include "cli/Placement.h"
#include "cli/Visibility.h"
#include "cli/WindowFields.h"

#include <gtest/gtest.h>

#include <random>

#include "support/FakeDwm.h"

namespace cli {
namespace {

struct CoverageRow {
    const char* what;
    RECT frame;
    std::vector<RECT> monitors, covers;
    std::int64_t onMonitors, covered, shown;
    std::vector<std::int64_t> perMonitor;
    std::vector<std::size_t> top;  // indices into covers, most first
};

const RECT kScreen{0, 0, 1000, 1000};

TEST(Coverage, SharesOfTheFrame) {
    const CoverageRow rows[] = {
        {"alone", {0, 0, 100, 100}, {kScreen}, {}, 10000, 0, 10000, {10000}, {}},
        // 6000 + 3000 less the 1000 both hide.
        {"overlapping covers", {0, 0, 100, 100}, {kScreen}, {{0, 0, 60, 100}, {40, 0, 100, 50}}, 10000, 8000, 2000, {10000}, {0, 1}},
        {"covers meeting at an edge", {0, 0, 100, 100}, {kScreen}, {{0, 0, 50, 100}, {50, 0, 100, 100}}, 10000, 10000, 0, {10000}, {0, 1}},
        // The cover hides only what no monitor shows: nothing of the shown part.
        {"cover off the screen", {-50, 0, 50, 100}, {kScreen}, {{-50, 0, 0, 100}}, 5000, 5000, 5000, {5000}, {0}},
        {"across two monitors of different heights", {50, 0, 150, 100}, {{0, 0, 100, 100}, {100, 0, 200, 50}}, {}, 7500, 0, 7500,
         {5000, 2500}, {}},
        {"a cover over both monitors", {50, 0, 150, 100}, {{0, 0, 100, 100}, {100, 0, 200, 50}}, {{90, 40, 120, 100}}, 7500, 1800,
         7500 - 600 - 200, {5000, 2500}, {0}},
        {"one cover holds it all", {10, 10, 20, 20}, {kScreen}, {{0, 0, 500, 500}}, 100, 100, 0, {100}, {0}},
        {"empty and inverted covers", {0, 0, 100, 100}, {kScreen}, {{5, 5, 5, 50}, {60, 60, 40, 80}}, 10000, 0, 10000, {10000}, {}},
        {"no monitor under it", {2000, 0, 2100, 100}, {kScreen}, {{2000, 0, 2050, 100}}, 0, 5000, 0, {0}, {0}},
        {"a zero-size frame", {10, 10, 10, 60}, {kScreen}, {{0, 0, 500, 500}}, 0, 0, 0, {0}, {}},
        // Equal shares keep the z-order; the fourth is left out.
        {"three of four", {0, 0, 100, 100}, {kScreen},
         {{0, 0, 10, 100}, {0, 0, 100, 30}, {90, 0, 100, 100}, {0, 90, 100, 100}}, 10000, 10000 - 80 * 60, 80 * 60, {10000},
         {1, 0, 2}},
        // Past 2^31 pixels, where 32-bit products wrap.
        {"a frame of 2.5 billion pixels", {0, 0, 50000, 50000}, {{0, 0, 50000, 50000}}, {{0, 0, 50000, 25000}}, 2500000000,
         1250000000, 1250000000, {2500000000}, {0}},
    };
    for (const CoverageRow& row : rows) {
        SCOPED_TRACE(row.what);
        const Coverage c = ComputeCoverage(row.frame, row.monitors, row.covers);
        EXPECT_EQ(c.frame, Area(row.frame));
        EXPECT_EQ(c.onMonitors, row.onMonitors);
        EXPECT_EQ(c.covered, row.covered);
        EXPECT_EQ(c.shown, row.shown);
        EXPECT_EQ(c.perMonitor, row.perMonitor);
        std::vector<std::size_t> top;
        for (const CoverShare& share : c.top) top.push_back(share.index);
        EXPECT_EQ(top, row.top);
    }
}

// Against a count of pixels, on random rectangles of a small grid: every edge case of the sweep at once.
TEST(Coverage, UnionAreaIsThePixelCount) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<LONG> coordinate(-3, 24);
    std::uniform_int_distribution<int> count(0, 9);
    for (int trial = 0; trial < 500; ++trial) {
        std::vector<RECT> rects(static_cast<std::size_t>(count(random)));
        for (RECT& r : rects) r = RECT{coordinate(random), coordinate(random), coordinate(random), coordinate(random)};
        std::int64_t pixels = 0;
        for (LONG y = -3; y < 24; ++y) {
            for (LONG x = -3; x < 24; ++x) {
                const POINT p{x, y};
                pixels += std::any_of(rects.begin(), rects.end(), [&](const RECT& r) { return ::PtInRect(&r, p) != FALSE; });
            }
        }
        ASSERT_EQ(UnionArea(rects), pixels) << "trial " << trial;
    }
}

TEST(Monitors, LeftToRightThenTopToBottom) {
    const auto monitor = [](const wchar_t* device, LONG left, LONG top) {
        MonitorInfo m;
        m.device = device;
        m.rect = RECT{left, top, left + 1920, top + 1080};
        return m;
    };
    std::vector<MonitorInfo> monitors{monitor(L"D4", 1920, 0), monitor(L"D2", 0, 0), monitor(L"D1", -1280, 200),
                                      monitor(L"D3", 0, -1080), monitor(L"D0", 1920, 0)};
    OrderMonitors(monitors);
    std::wstring order;
    for (const MonitorInfo& m : monitors) order += m.device + L" ";
    EXPECT_EQ(order, L"D1 D3 D2 D0 D4 ");
}

std::string Text(const RECT& r) { return ValueText(Rect{r}); }

TEST(Placement, TheFrameLandsWhereAsked) {
    // The invisible borders of Windows 10 and 11: 7 pixels left, right and bottom.
    const RECT rect{100, 100, 500, 400}, frame{107, 100, 493, 393};
    EXPECT_EQ(Text(WindowRectForFrame(RECT{0, 0, 300, 200}, frame, rect)), "-7, 0, 307, 207 (314 x 207)");
    // Without a size, the size it has.
    EXPECT_EQ(Text(RequestedRect(PlacementRequest{-8, 20, std::nullopt, PlaceBy::Frame}, frame)), "-8, 20, 378, 313 (386 x 293)");
    EXPECT_EQ(Text(RequestedRect(PlacementRequest{5, 6, SIZE{640, 480}, PlaceBy::Window}, rect)), "5, 6, 645, 486 (640 x 480)");
}

// Windows of this process against the fake DWM (borders 7, 0, 7, 7), topmost so that no other test's
// window lies above them: only the visible, unminimized windows above cover, by their visible
// frames, not their rectangles. (The tests' Windows 7 knows no cloaking: the end-to-end rows cloak.)
TEST(Scene, TheWindowsAboveCoverByTheirVisibleFrames) {
    testsupport::FakeDwm fake;
    ASSERT_TRUE(fake.IsFake());
    fake.Reset();
    const WNDCLASSW windowClass{0, ::DefWindowProcW, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"WhereScene"};
    ::RegisterClassW(&windowClass);
    struct Made { int x, y, width, height; DWORD style; };
    // Made bottom first: the target (frame 107, 100 .. 507, 300), then what lies above it.
    const Made made[] = {{100, 100, 414, 207, WS_VISIBLE},
                         {100, 100, 214, 207, WS_VISIBLE},              // covers the left half
                         {0, 0, 1000, 600, 0},                         // hidden
                         {0, 0, 1000, 600, WS_VISIBLE | WS_MINIMIZE},  // minimized
                         {400, 100, 114, 207, WS_VISIBLE},             // its frame 407 .. 507: a quarter more
                         {500, 100, 200, 207, WS_VISIBLE}};            // only its invisible border over the target
    std::vector<HWND> windows;
    for (const Made& m : made) {
        windows.push_back(::CreateWindowExW(WS_EX_TOPMOST, L"WhereScene", L"where", WS_OVERLAPPEDWINDOW | m.style, m.x, m.y,
                                            m.width, m.height, nullptr, nullptr, nullptr, nullptr));
    }
    Scene scene;
    WindowProbe probe(windows[0]);
    const Sight sight = LookAt(probe, scene);
    EXPECT_EQ(sight.coverage.frame, 80000);
    EXPECT_EQ(sight.coverage.covered, 40000 + 20000);  // the left half and a quarter
    EXPECT_EQ(sight.ShownPercent(), 25.0);
    ASSERT_EQ(sight.coverage.top.size(), 2u);
    EXPECT_EQ(sight.covers[sight.coverage.top[0].index].window, windows[1]);
    EXPECT_EQ(sight.covers[sight.coverage.top[1].index].window, windows[4]);
    for (const HWND window : windows) ::DestroyWindow(window);
}

// The borders change as the window lands (a monitor of another DPI), once armed: the frame still lands
// where asked.
LRESULT CALLBACK WidenBordersOnMove(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WINDOWPOSCHANGED && ::SetWindowLongPtrW(window, GWLP_USERDATA, 0) != 0) {
        testsupport::FakeDwm().SetFrameInset(10, 0, 10, 10);
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

std::string FactText(const Facts& facts, const std::string& key) {
    for (const Fact& fact : facts) {
        if (fact.key == key) return ValueText(fact.value);
    }
    return "(none)";
}

TEST(Placement, RestoresFirstAndPlacesTheFrameWhereverTheBordersEndUp) {
    testsupport::FakeDwm fake;
    ASSERT_TRUE(fake.IsFake());
    fake.Reset();
    const WNDCLASSW plain{0, ::DefWindowProcW, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"WherePlain"};
    const WNDCLASSW widening{0, &WidenBordersOnMove, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"WhereWidening"};
    ::RegisterClassW(&plain), ::RegisterClassW(&widening);
    const HWND maximized = ::CreateWindowExW(0, L"WherePlain", L"where", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_MAXIMIZE, 50, 50,
                                             300, 200, nullptr, nullptr, nullptr, nullptr);
    const HWND widens = ::CreateWindowExW(0, L"WhereWidening", L"where", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200,
                                          nullptr, nullptr, nullptr, nullptr);
    const PlacementResult restored = PlaceWindow(maximized, PlacementRequest{200, 150, SIZE{320, 240}, PlaceBy::Frame});
    EXPECT_FALSE(::IsZoomed(maximized));
    EXPECT_EQ(FactText(restored.facts, "restored-from"), "maximized");
    EXPECT_EQ(FactText(restored.facts, "frame"), "200, 150, 520, 390 (320 x 240)");
    EXPECT_EQ(FactText(restored.facts, "rect"), "193, 150, 527, 397 (334 x 247)");
    ::SetWindowLongPtrW(widens, GWLP_USERDATA, 1);
    const PlacementResult widened = PlaceWindow(widens, PlacementRequest{100, 120, SIZE{300, 200}, PlaceBy::Frame});
    EXPECT_EQ(FactText(widened.facts, "frame"), "100, 120, 400, 320 (300 x 200)");
    EXPECT_EQ(FactText(widened.facts, "rect"), "90, 120, 410, 330 (320 x 210)");
    EXPECT_EQ(widened.refused, "");
    EXPECT_EQ(FactText(widened.facts, "difference"), "(none)");
    fake.Reset();
    ::DestroyWindow(maximized), ::DestroyWindow(widens);
}

TEST(Doctor, ADesktopSmallerThan1280By720Fails) {
    const std::pair<RECT, bool> rows[] = {{{0, 0, 1280, 720}, false}, {{0, 0, 1279, 720}, true}, {{0, 0, 1280, 719}, true},
                                          {{0, 0, 1024, 768}, true},  {{-1280, 0, 0, 1024}, false}, {{0, 0, 3840, 2160}, false}};
    for (const auto& [monitor, small] : rows) EXPECT_EQ(TooSmallForTests(monitor), small) << ValueText(Rect{monitor});
}

TEST(Doctor, AScreenIsBlackWhenEveryPixelIs) {
    std::vector<std::uint32_t> pixels(64 * 36, 0xFF000000u);  // alpha is no colour
    EXPECT_TRUE(AllBlack(pixels));
    pixels.back() = 0xFF000001u;
    EXPECT_FALSE(AllBlack(pixels));
}

TEST(Facts, SharesAsText) {
    const std::pair<double, const char*> rows[] = {{100.0, "100 %"}, {37.5, "37.5 %"}, {100.0 / 3, "33.3 %"},
                                                   {99.96, "99.9 %"}, {0.01, "0.1 %"},  {0.0, "0 %"}, {150.0, "150 %"}};
    for (const auto& [share, text] : rows) EXPECT_EQ(ValueText(Percent{share}), text) << share;
    // What nobody could tell says why, but in a listing's cell.
    EXPECT_EQ(ValueText(Unknown{"no such service"}, true), "unknown: no such service");
    EXPECT_EQ(ValueText(Unknown{"no such service"}, true, true), "?");
    EXPECT_EQ(DocumentJson({{"affinity", Unknown{"no such service"}}}), "{\"affinity\":null}\n");
    EXPECT_EQ(DocumentJson({{"shown", Percent{99.999}}}), "{\"shown\":99.99}\n");
}

}  // namespace
}  // namespace cli
