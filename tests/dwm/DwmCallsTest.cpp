// What each wrapper hands to the DWM and what it gives back, checked against the fake's journal.
#include "dwm/DwmCalls.h"

#include "DwmTestSupport.h"
#include "WrapperTable.h"
#include "support/FakeDwm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using dwmtest::Hex;
using dwmtest::Text;
using Lines = std::vector<std::wstring>;

class DwmCallsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_fake.IsFake()) << "run with FAKE_DWM";
        ASSERT_NE(m_window.get(), nullptr);
        m_fake.Reset();
    }

    // One journal line about the test window: prefix + " hwnd=0x........" + rest.
    std::wstring About(const wchar_t* prefix, const wchar_t* rest) const {
        return std::wstring(prefix) + L" hwnd=" + Hex(m_window.get()) + L" " + rest;
    }

    testsupport::FakeDwm m_fake;
    dwmtest::TestWindow m_window;
};

TEST_F(DwmCallsTest, EveryWrapperMakesExactlyOneCallToItsEntryPoint) {
    for (const dwmtest::Wrapper& wrapper : dwmtest::AllWrappers()) {
        SCOPED_TRACE(wrapper.name);
        m_fake.Reset();
        dwmtest::OutArgs out;
        wrapper.call(m_window.get(), out);
        const Lines journal = m_fake.Journal();
        ASSERT_EQ(journal.size(), 1u);
        const std::wstring entry = wrapper.entry;
        EXPECT_EQ(journal[0].substr(0, journal[0].find(L' ')), entry);
    }
}

TEST_F(DwmCallsTest, EveryWrapperReturnsTheDwmResultUnchanged) {
    // A failure, and a success code other than S_OK, which must not be folded into S_OK.
    for (const HRESULT injected : {HRESULT(0x80070005), HRESULT(S_FALSE)}) {
        for (const dwmtest::Wrapper& wrapper : dwmtest::AllWrappers()) {
            SCOPED_TRACE(testing::Message() << wrapper.name << " with 0x" << std::hex << injected);
            m_fake.Reset();
            m_fake.Fail(wrapper.entry, injected, 1);
            dwmtest::OutArgs out;
            EXPECT_EQ(wrapper.call(m_window.get(), out), injected);
        }
    }
}

TEST_F(DwmCallsTest, FailuresOfTheDwmItselfComeBackUnchanged) {
    HTHUMBNAIL never = reinterpret_cast<HTHUMBNAIL>(static_cast<UINT_PTR>(0x77));
    const DWM_THUMBNAIL_PROPERTIES properties{DWM_TNP_OPACITY, {}, {}, 10, FALSE, FALSE};
    EXPECT_EQ(UnregisterThumbnail(never), E_INVALIDARG);
    EXPECT_EQ(UpdateThumbnailProperties(never, &properties), E_INVALIDARG);
    EXPECT_EQ(IsNCRenderingEnabled(nullptr, nullptr), E_HANDLE);
    m_fake.SetComposition(FALSE);
    EXPECT_EQ(ExtendFrameIntoALLClientArea(m_window.get()), fake_dwm::kCompositionDisabled);
}

struct AttributeCase {
    const char* wrapper;
    HRESULT (*call)(HWND window);
    const wchar_t* arguments;  // after "hwnd=..."
};

TEST_F(DwmCallsTest, SetWrappersPassTheirAttributeValueAndSize) {
    const AttributeCase cases[] = {
        {"DisableNCRendering", [](HWND w) { return DisableNCRendering(w); }, L"attr=2 value=1 size=4"},
        {"EnableNCRendering", [](HWND w) { return EnableNCRendering(w); }, L"attr=2 value=2 size=4"},
        {"UseWindowStyleNCRendering", [](HWND w) { return UseWindowStyleNCRendering(w); }, L"attr=2 value=0 size=4"},
        {"TransitionsForceDisabled", [](HWND w) { return TransitionsForceDisabled(w, TRUE); }, L"attr=3 value=1 size=4"},
        {"AllowNcPaint", [](HWND w) { return AllowNcPaint(w, FALSE); }, L"attr=4 value=0 size=4"},
        // The caller's BOOL goes through as it is, not folded to TRUE.
        {"NonclientRtlLayout", [](HWND w) { return NonclientRtlLayout(w, 5); }, L"attr=6 value=5 size=4"},
        {"ForceIconicRepresentation", [](HWND w) { return ForceIconicRepresentation(w, TRUE); }, L"attr=7 value=1 size=4"},
        {"Filp3DWindowPolicyExcludeDefalt", [](HWND w) { return Filp3DWindowPolicyExcludeDefalt(w); }, L"attr=8 value=0 size=4"},
        {"Filp3DWindowPolicyExcludeBelow", [](HWND w) { return Filp3DWindowPolicyExcludeBelow(w); }, L"attr=8 value=1 size=4"},
        {"Filp3DWindowPolicyExcludeAvove", [](HWND w) { return Filp3DWindowPolicyExcludeAvove(w); }, L"attr=8 value=2 size=4"},
    };
    for (const AttributeCase& c : cases) {
        SCOPED_TRACE(c.wrapper);
        m_fake.ClearJournal();
        EXPECT_EQ(c.call(m_window.get()), S_OK);
        EXPECT_EQ(m_fake.Journal(), Lines{About(L"DwmSetWindowAttribute", c.arguments)});
    }
}

TEST_F(DwmCallsTest, GetWrappersAskForTheirAttributeAndSizeAndDeliverTheAnswer) {
    const RECT window = m_window.Rect();
    BOOL enabled = 7;
    EXPECT_EQ(IsNCRenderingEnabled(m_window.get(), &enabled), S_OK);
    EXPECT_EQ(enabled, TRUE);
    RECT caption{};
    EXPECT_EQ(GetCaptionButtonBounds(m_window.get(), &caption), S_OK);
    // The fake's strip of three 46 x 30 buttons inside the 7-pixel right border.
    const LONG right = window.right - window.left - 7;
    EXPECT_EQ(Text(caption), Text(RECT{right - 138, 0, right, 30}));
    RECT frame{};
    EXPECT_EQ(GetExtendedFrameBounds(m_window.get(), &frame), S_OK);
    EXPECT_EQ(Text(frame), Text(dwmtest::Inset(window, 7, 0, 7, 7)));
    EXPECT_EQ(m_fake.Journal(), (Lines{About(L"DwmGetWindowAttribute", L"attr=1 size=4"),
                                       About(L"DwmGetWindowAttribute", L"attr=5 size=16"),
                                       About(L"DwmGetWindowAttribute", L"attr=9 size=16")}));
}

TEST_F(DwmCallsTest, NCRenderingReadOutFollowsThePolicySet) {
    BOOL enabled = 7;
    ASSERT_EQ(DisableNCRendering(m_window.get()), S_OK);
    ASSERT_EQ(IsNCRenderingEnabled(m_window.get(), &enabled), S_OK);
    EXPECT_EQ(enabled, FALSE);
    ASSERT_EQ(EnableNCRendering(m_window.get()), S_OK);
    ASSERT_EQ(IsNCRenderingEnabled(m_window.get(), &enabled), S_OK);
    EXPECT_EQ(enabled, TRUE);
}

TEST_F(DwmCallsTest, FrameExtensionWrappersBuildTheirMargins) {
    struct MarginsCase {
        const char* wrapper;
        HRESULT (*call)(HWND window);
        const wchar_t* margins;
    };
    const MarginsCase cases[] = {
        // Arguments arrive top, bottom, left, right.
        {"ExtendFrameIntoClientAreaMargins", [](HWND w) { return ExtendFrameIntoClientAreaMargins(w, 1, 2, 3, 4); },
         L"left=3 right=4 top=1 bottom=2"},
        {"ExtendFrameIntoALLClientArea", [](HWND w) { return ExtendFrameIntoALLClientArea(w); },
         L"left=-1 right=0 top=0 bottom=0"},
        {"ExtendFrameIntoClientAreaReset", [](HWND w) { return ExtendFrameIntoClientAreaReset(w); },
         L"left=0 right=0 top=0 bottom=0"},
    };
    for (const MarginsCase& c : cases) {
        SCOPED_TRACE(c.wrapper);
        m_fake.ClearJournal();
        EXPECT_EQ(c.call(m_window.get()), S_OK);
        EXPECT_EQ(m_fake.Journal(), Lines{About(L"DwmExtendFrameIntoClientArea", c.margins)});
    }
}

TEST_F(DwmCallsTest, CompositionSwitchesPassTheirActionAndTakeEffect) {
    BOOL enabled = 7;
    EXPECT_EQ(CompositionDisable(), S_OK);
    EXPECT_EQ(IsCompositionEnabled(&enabled), S_OK);
    EXPECT_EQ(enabled, FALSE);
    EXPECT_EQ(CompositionEnable(), S_OK);
    EXPECT_EQ(IsCompositionEnabled(&enabled), S_OK);
    EXPECT_EQ(enabled, TRUE);
    EXPECT_EQ(m_fake.Journal(), (Lines{L"DwmEnableComposition action=0", L"DwmIsCompositionEnabled",
                                       L"DwmEnableComposition action=1", L"DwmIsCompositionEnabled"}));
}

TEST_F(DwmCallsTest, OutValuesArriveExactlyAsTheDwmWroteThem) {
    m_fake.SetComposition(2);
    m_fake.SetColorization(0x80112233, -3);
    BOOL enabled = 7;
    DWORD colorization = 0;
    BOOL opaqueBlend = 7;
    EXPECT_EQ(IsCompositionEnabled(&enabled), S_OK);
    EXPECT_EQ(enabled, 2);
    EXPECT_EQ(GetColorizationColor(&colorization, &opaqueBlend), S_OK);
    EXPECT_EQ(colorization, 0x80112233u);
    EXPECT_EQ(opaqueBlend, -3);
}

TEST_F(DwmCallsTest, BlurBehindRecordGoesThroughUnchanged) {
    const HRGN region = ::CreateRectRgn(0, 0, 50, 40);
    const DWM_BLURBEHIND blur{DWM_BB_ENABLE | DWM_BB_BLURREGION | DWM_BB_TRANSITIONONMAXIMIZED, TRUE, region, TRUE};
    EXPECT_EQ(EnableBlurBehindWindow(m_window.get(), &blur), S_OK);
    const DWM_BLURBEHIND off{DWM_BB_ENABLE, FALSE, nullptr, FALSE};
    EXPECT_EQ(EnableBlurBehindWindow(m_window.get(), &off), S_OK);
    ::DeleteObject(region);
    EXPECT_EQ(m_fake.Journal(),
              (Lines{About(L"DwmEnableBlurBehindWindow", L"flags=0x7 enable=1 region=(0,0,50,40) transitionOnMaximized=1"),
                     About(L"DwmEnableBlurBehindWindow", L"flags=0x1 enable=0 region=none transitionOnMaximized=0")}));
}

TEST_F(DwmCallsTest, ThumbnailRegistrationIsUpdatedAndReleasedThroughTheWrappers) {
    dwmtest::TestWindow source;
    HTHUMBNAIL thumbnail = nullptr;
    ASSERT_EQ(RegisterThumbnail(m_window.get(), source.get(), &thumbnail), S_OK);
    ASSERT_NE(thumbnail, nullptr);
    EXPECT_EQ(m_fake.ThumbnailCount(), 1);
    const DWM_THUMBNAIL_PROPERTIES properties{
        DWM_TNP_RECTDESTINATION | DWM_TNP_RECTSOURCE | DWM_TNP_OPACITY | DWM_TNP_VISIBLE | DWM_TNP_SOURCECLIENTAREAONLY,
        {1, 2, 101, 52}, {0, 0, 200, 100}, 200, TRUE, FALSE};
    EXPECT_EQ(UpdateThumbnailProperties(thumbnail, &properties), S_OK);
    EXPECT_EQ(UnregisterThumbnail(thumbnail), S_OK);
    EXPECT_EQ(m_fake.ThumbnailCount(), 0);
    EXPECT_EQ(m_fake.Journal(),
              (Lines{L"DwmRegisterThumbnail destination=" + Hex(m_window.get()) + L" source=" + Hex(source.get()),
                     L"DwmUpdateThumbnailProperties thumbnail=" + Hex(thumbnail) +
                         L" flags=0x1f destination=(1,2,101,52) source=(0,0,200,100) opacity=200 visible=1"
                         L" clientAreaOnly=0",
                     L"DwmUnregisterThumbnail thumbnail=" + Hex(thumbnail)}));
}

}  // namespace
