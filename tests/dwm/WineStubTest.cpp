// Against Wine's own dwmapi.dll: every wrapper returns exactly what a direct call of the same
// export with the same arguments returns, and writes the same out-values.
#include "dwm/DwmCalls.h"

#include "DwmTestSupport.h"
#include "WrapperTable.h"
#include "support/FakeDwm.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using dwmtest::OutArgs;

HMODULE Dwmapi() { return ::GetModuleHandleW(L"dwmapi.dll"); }

template <typename Fn>
Fn Export(const char* name) {
    const FARPROC proc = ::GetProcAddress(Dwmapi(), name);
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}
// decltype only: taking the address would need dwmapi's import library.
#define DIRECT(entry) Export<decltype(&::entry)>(#entry)

HRESULT SetAttribute(HWND window, DWORD attribute, int value) {
    return DIRECT(DwmSetWindowAttribute)(window, attribute, &value, sizeof value);
}

HRESULT Extend(HWND window, MARGINS margins) { return DIRECT(DwmExtendFrameIntoClientArea)(window, &margins); }

using Call = HRESULT (*)(HWND window, OutArgs& out);

// The direct equivalent of each wrapper of dwmtest::AllWrappers().
const std::map<std::string, Call>& DirectCalls() {
    static const std::map<std::string, Call> calls{
        {"IsCompositionEnabled", [](HWND, OutArgs& o) { return DIRECT(DwmIsCompositionEnabled)(&o.compositionEnabled); }},
        {"CompositionEnable", [](HWND, OutArgs&) { return DIRECT(DwmEnableComposition)(DWM_EC_ENABLECOMPOSITION); }},
        {"CompositionDisable", [](HWND, OutArgs&) { return DIRECT(DwmEnableComposition)(DWM_EC_DISABLECOMPOSITION); }},
        {"GetColorizationColor",
         [](HWND, OutArgs& o) { return DIRECT(DwmGetColorizationColor)(&o.colorization, &o.opaqueBlend); }},
        {"IsNCRenderingEnabled",
         [](HWND w, OutArgs& o) {
             return DIRECT(DwmGetWindowAttribute)(w, DWMWA_NCRENDERING_ENABLED, &o.ncRenderingEnabled, sizeof(BOOL));
         }},
        {"GetCaptionButtonBounds",
         [](HWND w, OutArgs& o) { return DIRECT(DwmGetWindowAttribute)(w, DWMWA_CAPTION_BUTTON_BOUNDS, &o.rect, sizeof(RECT)); }},
        {"GetExtendedFrameBounds",
         [](HWND w, OutArgs& o) { return DIRECT(DwmGetWindowAttribute)(w, DWMWA_EXTENDED_FRAME_BOUNDS, &o.rect, sizeof(RECT)); }},
        {"DisableNCRendering", [](HWND w, OutArgs&) { return SetAttribute(w, DWMWA_NCRENDERING_POLICY, DWMNCRP_DISABLED); }},
        {"EnableNCRendering", [](HWND w, OutArgs&) { return SetAttribute(w, DWMWA_NCRENDERING_POLICY, DWMNCRP_ENABLED); }},
        {"UseWindowStyleNCRendering",
         [](HWND w, OutArgs&) { return SetAttribute(w, DWMWA_NCRENDERING_POLICY, DWMNCRP_USEWINDOWSTYLE); }},
        {"TransitionsForceDisabled", [](HWND w, OutArgs&) { return SetAttribute(w, DWMWA_TRANSITIONS_FORCEDISABLED, TRUE); }},
        {"AllowNcPaint", [](HWND w, OutArgs&) { return SetAttribute(w, DWMWA_ALLOW_NCPAINT, TRUE); }},
        {"NonclientRtlLayout", [](HWND w, OutArgs&) { return SetAttribute(w, DWMWA_NONCLIENT_RTL_LAYOUT, TRUE); }},
        {"ForceIconicRepresentation",
         [](HWND w, OutArgs&) { return SetAttribute(w, DWMWA_FORCE_ICONIC_REPRESENTATION, TRUE); }},
        {"Filp3DWindowPolicyExcludeDefalt", [](HWND w, OutArgs&) { return SetAttribute(w, DWMWA_FLIP3D_POLICY, DWMFLIP3D_DEFAULT); }},
        {"Filp3DWindowPolicyExcludeBelow",
         [](HWND w, OutArgs&) { return SetAttribute(w, DWMWA_FLIP3D_POLICY, DWMFLIP3D_EXCLUDEBELOW); }},
        {"Filp3DWindowPolicyExcludeAvove",
         [](HWND w, OutArgs&) { return SetAttribute(w, DWMWA_FLIP3D_POLICY, DWMFLIP3D_EXCLUDEABOVE); }},
        {"UpdateThumbnailProperties",
         [](HWND, OutArgs& o) { return DIRECT(DwmUpdateThumbnailProperties)(o.thumbnail, &dwmtest::kProperties); }},
        {"RegisterThumbnail", [](HWND w, OutArgs& o) { return DIRECT(DwmRegisterThumbnail)(w, w, &o.thumbnail); }},
        {"UnregisterThumbnail", [](HWND, OutArgs& o) { return DIRECT(DwmUnregisterThumbnail)(o.thumbnail); }},
        {"ExtendFrameIntoClientAreaMargins", [](HWND w, OutArgs&) { return Extend(w, MARGINS{3, 4, 1, 2}); }},
        {"ExtendFrameIntoALLClientArea", [](HWND w, OutArgs&) { return Extend(w, MARGINS{-1, 0, 0, 0}); }},
        {"ExtendFrameIntoClientAreaReset", [](HWND w, OutArgs&) { return Extend(w, MARGINS{0, 0, 0, 0}); }},
        {"EnableBlurBehindWindow", [](HWND w, OutArgs&) { return DIRECT(DwmEnableBlurBehindWindow)(w, &dwmtest::kBlur); }},
    };
    return calls;
}

class WineStubTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(m_window.get(), nullptr);
        BOOL enabled = 7;
        ASSERT_NE(IsCompositionEnabled(&enabled), -1) << "Wine reports a version the gate passes";
        ASSERT_NE(Dwmapi(), nullptr);
        ASSERT_FALSE(testsupport::FakeDwm(Dwmapi()).IsFake()) << "run without FAKE_DWM";
    }

    dwmtest::TestWindow m_window;
};

TEST_F(WineStubTest, EveryWrapperReturnsWhatTheStubReturns) {
    for (const dwmtest::Wrapper& wrapper : dwmtest::AllWrappers()) {
        SCOPED_TRACE(wrapper.name);
        const auto direct = DirectCalls().find(wrapper.name);
        ASSERT_NE(direct, DirectCalls().end());
        OutArgs viaWrapper;
        OutArgs viaExport;
        const HRESULT expected = direct->second(m_window.get(), viaExport);
        EXPECT_NE(expected, -1);
        EXPECT_EQ(wrapper.call(m_window.get(), viaWrapper), expected);
        EXPECT_EQ(viaWrapper.compositionEnabled, viaExport.compositionEnabled);
        EXPECT_EQ(viaWrapper.ncRenderingEnabled, viaExport.ncRenderingEnabled);
        EXPECT_EQ(viaWrapper.colorization, viaExport.colorization);
        EXPECT_EQ(viaWrapper.opaqueBlend, viaExport.opaqueBlend);
        EXPECT_EQ(dwmtest::Text(viaWrapper.rect), dwmtest::Text(viaExport.rect));
    }
}

TEST_F(WineStubTest, StubComesFromTheSystemDirectory) {
    wchar_t path[MAX_PATH] = {};
    ASSERT_NE(::GetModuleFileNameW(Dwmapi(), path, MAX_PATH), 0u);
    EXPECT_EQ(::CompareStringOrdinal(path, -1, testsupport::SystemDwmapiPath().c_str(), -1, TRUE), CSTR_EQUAL)
        << testing::PrintToString(std::wstring(path));
}

TEST_F(WineStubTest, WindowBoundsMatchesTheStubOrTheWindowRectangle) {
    RECT expected{};
    if (FAILED(DIRECT(DwmGetWindowAttribute)(m_window.get(), DWMWA_EXTENDED_FRAME_BOUNDS, &expected, sizeof expected))) {
        ::GetWindowRect(m_window.get(), &expected);
    }
    RECT bounds{-9, -9, -9, -9};
    GetWindowBounds(m_window.get(), &bounds);
    EXPECT_EQ(dwmtest::Text(bounds), dwmtest::Text(expected));
}

}  // namespace
