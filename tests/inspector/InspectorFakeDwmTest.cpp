// The inspector's read-outs and operations against the fake dwmapi.dll and its journal.
#include <type_traits>
#include <utility>

#include "InspectorHarness.h"
#include "dwm/DwmTesting.h"
#include "support/FakeDwm.h"

// The import slots through which this program, the panel's code included, reaches GDI.
extern "C" decltype(&::CreateEllipticRgn) __imp_CreateEllipticRgn;
extern "C" decltype(&::DeleteObject) __imp_DeleteObject;

namespace {

constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005);

struct Version5 {  // while alive, the DWM layer sees major version 5 and refuses every call
    Version5() { dwm::testing::SetVersionQuery([](LPOSVERSIONINFOW v) -> BOOL { return v->dwMajorVersion = 5, TRUE; }); }
    ~Version5() { dwm::testing::SetVersionQuery(nullptr); }
};

class InspectorFakeDwmTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dwm.IsFake()) << "run with FAKE_DWM";
        ASSERT_TRUE(h.created);
        dwm.Reset(), h.Inspect(a.h), dwm.ClearJournal();
        ASSERT_EQ(h.panel.SelectedWindow(), a.h);
    }
    Lines Call(const std::wstring& entry, const std::wstring& arguments) const {
        return {entry + L" hwnd=" + Hex(a.h) + L" " + arguments};
    }
    testsupport::FakeDwm dwm;
    InspectorHarness h;
    TopWindow a{L"Velmora A", RECT{-50, -40, 350, 260}};
};

TEST_F(InspectorFakeDwmTest, ReadOutsShowTheDwmsRectanglesAndTheRenderingStateOfThePolicy) {
    dwm.SetFrameInset(7, 0, 7, 7);
    h.Click(IDC_REFRESH_ATTRIBUTES);
    const std::wstring rect = L" t=-40, b=260, l=-50, r=350";
    EXPECT_EQ(h.ReadOuts(),
              (Lines{Hex(a.h), L"Enable", L" t=0, b=30, l=255, r=393", L" t=-40, b=253, l=-43, r=343", rect}));
    // The fake reports rendering FALSE (0) only while the policy is DWMNCRP_DISABLED, else TRUE (1).
    const std::pair<int, const wchar_t*> policies[] = {{1025, L"Disable"}, {1027, L"Enable"}, {1025, L"Disable"}, {1026, L"Enable"}};
    for (const auto& [button, shown] : policies) {
        h.Click(button), h.Click(IDC_REFRESH_ATTRIBUTES);
        EXPECT_EQ(h.Text(IDC_NC_RENDERING), shown) << button;
    }

    Version5 version5;
    dwm.ClearJournal();
    EXPECT_EQ(h.Press(IDC_REFRESH_ATTRIBUTES), (Lines{L"IsNCRenderingEnabled() Error HRESULT=0xffffffff",
                                                       L"GetCaptionButtonBounds() Error HRESULT=0xffffffff",
                                                       L"GetExtendedFrameBounds() Error HRESULT=0xffffffff"}));
    EXPECT_EQ(h.ReadOuts(), (Lines{Hex(a.h), L"Error", L" Error", L" Error", rect}));
    EXPECT_EQ(dwm.Journal(), Lines{});
}

// Button, operation as logged, what the DWM is given (attribute buttons: " size=4" follows).
const struct { int button; std::wstring name, arguments; } kOperations[] = {
    {1025, L"DisableNCRendering()", L"attr=2 value=1"},
    {1026, L"EnableNCRendering()", L"attr=2 value=2"},
    {1027, L"UseWindowStyleNCRendering()", L"attr=2 value=0"},
    {1029, L"TransitionsForceDisabled(TRUE)", L"attr=3 value=1"},
    {1030, L"TransitionsForceDisabled(FALSE)", L"attr=3 value=0"},
    {1032, L"AllowNcPaint(TRUE)", L"attr=4 value=1"},
    {1033, L"AllowNcPaint(FALSE)", L"attr=4 value=0"},
    {1035, L"NonclientRtlLayout(TRUE)", L"attr=6 value=1"},
    {1036, L"NonclientRtlLayout(FALSE)", L"attr=6 value=0"},
    {1038, L"ForceIconicRepresentation(TRUE)", L"attr=7 value=1"},
    {1039, L"ForceIconicRepresentation(FALSE)", L"attr=7 value=0"},
    {1041, L"Filp3DWindowPolicyExcludeBelow()", L"attr=8 value=1"},
    {1042, L"Filp3DWindowPolicyExcludeAvove()", L"attr=8 value=2"},
    {1043, L"Filp3DWindowPolicyExcludeDefalt()", L"attr=8 value=0"},
    {1049, L"ExtendFrameIntoALLClientArea()", L"left=-1 right=0 top=0 bottom=0"},
    {1050, L"ExtendFrameIntoClientAreaReset()", L"left=0 right=0 top=0 bottom=0"}};

TEST_F(InspectorFakeDwmTest, EachOperationMakesItsOneCallAndLogsSuccessFailureOrTheRefusal) {
    for (const auto& op : kOperations) {
        const bool attribute = op.button < IDC_EXTEND_FRAME_ALL;
        const std::wstring entry = attribute ? L"DwmSetWindowAttribute" : L"DwmExtendFrameIntoClientArea";
        EXPECT_EQ(h.Press(op.button), Lines{op.name + L" Exec OK "});
        EXPECT_EQ(dwm.Journal(), Call(entry, op.arguments + (attribute ? L" size=4" : L"")));
        dwm.Fail(entry.c_str(), kFail, 1);
        EXPECT_EQ(h.Press(op.button), Lines{op.name + L" Error HRESULT=0x80004005"});
        Version5 version5;
        dwm.ClearJournal();
        EXPECT_EQ(h.Press(op.button), Lines{op.name + L" Error HRESULT=0xffffffff"});
        EXPECT_EQ(dwm.Journal(), Lines{});
    }
}

TEST_F(InspectorFakeDwmTest, AClosedWindowGetsOnlyTheMessageBoxFromEveryOperation) {
    ::DestroyWindow(a.h);
    testsupport::MessageBoxAnswerer answerer;
    h.ClickList();
    EXPECT_EQ(h.ReadOuts(), kNotAlive);
    std::vector<int> buttons{IDC_EXTEND_FRAME_MARGINS, IDC_BLUR_EXEC};
    for (const auto& op : kOperations) buttons.push_back(op.button);
    for (int button : buttons) EXPECT_EQ(h.Press(button), Lines{}) << button;
    EXPECT_EQ(dwm.Journal(), Lines{});
    ASSERT_EQ(answerer.Answers().size(), buttons.size() + 1);
    for (const auto& answer : answerer.Answers()) EXPECT_TRUE(answer.text == kInvalidWindow && answer.hasWarningIcon);
}

TEST_F(InspectorFakeDwmTest, MarginsGoOutLeftRightTopBottomAndABadEntryStopsTheExchangeThere) {
    const struct { const wchar_t* typed[4]; const wchar_t* margins; const wchar_t* logged; int refused; } cases[] = {
        {{L"10", L"20", L"30", L"40"}, L"left=30 right=40 top=10 bottom=20", L"(t=10, b=20, l=30, r=40)", 0},
        {{L"1", L"x", L"3", L"4"}, L"left=30 right=40 top=1 bottom=20", L"(t=1, b=20, l=30, r=40)", IDC_MARGIN_BOTTOM},
        {{L"5", L"6", L"7", L"99999999999"}, L"left=7 right=40 top=5 bottom=6", L"(t=5, b=6, l=7, r=40)", IDC_MARGIN_RIGHT}};
    for (const auto& c : cases) {
        testsupport::MessageBoxAnswerer answerer;
        for (int i = 0; i < 4; ++i) ::SetWindowTextW(h.Item(IDC_MARGIN_TOP + i), c.typed[i]);
        dwm.ClearJournal();
        EXPECT_EQ(h.Press(IDC_EXTEND_FRAME_MARGINS),
                  Lines{L"ExtendFrameIntoClientAreaMargins" + std::wstring(c.logged) + L" Exec OK "});
        EXPECT_EQ(dwm.Journal(), Call(L"DwmExtendFrameIntoClientArea", c.margins));
        EXPECT_EQ(answerer.Answers().size(), c.refused != 0 ? 1u : 0u) << c.margins;
        if (c.refused != 0) {
            EXPECT_EQ(::GetFocus(), h.Item(c.refused));
        }
    }
}

TEST_F(InspectorFakeDwmTest, BlurBehindPassesTheFlagsAndARegionCentredInTheWindow) {
    // Boxes: ENABLE, BLURREGION, TRANSITIONONMAXIMIZED, Enable, TransitionOnMaximized.
    const struct { SIZE window; const wchar_t* size; int shape; BOOL boxes[5]; const wchar_t* passed; } cases[] = {
        {{400, 300}, L"100", IDC_BLUR_SHAPE_RECT, {}, L"flags=0x0 enable=0 region=(150,100,250,200) "},
        {{401, 301}, L"101", IDC_BLUR_SHAPE_RECT, {}, L"flags=0x0 enable=0 region=(150,100,251,201) "},
        {{400, 300}, L"100", IDC_BLUR_SHAPE_NULL, {0, 1}, L"flags=0x2 enable=0 region=none "},
        {{400, 300}, L"51", IDC_BLUR_SHAPE_RECT, {1, 1, 1, 1, 1}, L"flags=0x7 enable=1 region=(175,125,226,176) "},
        // Each flag box apart from its value box: the flag alone, then the value alone.
        {{400, 300}, L"100", IDC_BLUR_SHAPE_NULL, {1}, L"flags=0x1 enable=0 region=none "},
        {{400, 300}, L"100", IDC_BLUR_SHAPE_NULL, {0, 0, 0, 0, 1}, L"flags=0x0 enable=0 region=none "},
        {{400, 300}, L"-3", IDC_BLUR_SHAPE_RECT, {}, L"flags=0x0 enable=0 region=(198,148,201,151) "}};  // -3/2 is -1
    for (const auto& c : cases) {
        ::SetWindowPos(a.h, nullptr, 0, 0, c.window.cx, c.window.cy, SWP_NOMOVE | SWP_NOZORDER);
        for (int i = 0; i < 5; ++i)
            ::SendMessageW(h.Item(i < 4 ? IDC_BLUR_FLAG_ENABLE + i : IDC_BLUR_TRANSITION_ON_MAXIMIZED), BM_SETCHECK, c.boxes[i], 0);
        h.Click(c.shape), ::SetWindowTextW(h.Item(IDC_BLUR_SIZE), c.size), dwm.ClearJournal();
        EXPECT_EQ(h.Press(IDC_BLUR_EXEC), Lines{L"EnableBlurBehindWindow() Exec OK "});
        EXPECT_EQ(dwm.Journal(), Call(L"DwmEnableBlurBehindWindow",
                                      c.passed + std::wstring(L"transitionOnMaximized=") + (c.boxes[4] ? L"1" : L"0")));
    }
}

// The circle is followed through the import slots, so whether GDI reuses a freed handle's value
// does not matter: the handler must itself delete the region it made.
decltype(&::CreateEllipticRgn) g_create;
decltype(&::DeleteObject) g_delete;
HRGN g_region;
RECT g_asked;
bool g_deleted;

template <typename Fn>
Fn Patch(Fn& slot, std::type_identity_t<Fn> with) {
    DWORD old = 0;
    ::VirtualProtect(&slot, sizeof slot, PAGE_READWRITE, &old);
    return std::exchange(slot, with);
}

TEST_F(InspectorFakeDwmTest, TheCircleHandedToTheDwmIsDeletedWhenExecReturns) {
    h.Click(IDC_BLUR_SHAPE_CIRCLE);
    g_create = Patch(__imp_CreateEllipticRgn, [](int l, int t, int r, int b) {
        return g_asked = {l, t, r, b}, g_region = g_create(l, t, r, b);
    });
    g_delete = Patch(__imp_DeleteObject, [](HGDIOBJ object) { return g_deleted |= object == g_region, g_delete(object); });
    EXPECT_EQ(h.Press(IDC_BLUR_EXEC), Lines{L"EnableBlurBehindWindow() Exec OK "});
    Patch(__imp_CreateEllipticRgn, g_create), Patch(__imp_DeleteObject, g_delete);
    const RECT asked{150, 100, 250, 200};
    EXPECT_TRUE(::EqualRect(&g_asked, &asked));
    // GDI's box of that ellipse leaves out its last row and column; the region was alive at the call.
    EXPECT_EQ(dwm.Journal(), Call(L"DwmEnableBlurBehindWindow",
                                  L"flags=0x0 enable=0 region=(150,100,249,199) transitionOnMaximized=0"));
    EXPECT_TRUE(g_deleted);
    EXPECT_EQ(::GetObjectType(g_region), 0u);
}

}  // namespace
