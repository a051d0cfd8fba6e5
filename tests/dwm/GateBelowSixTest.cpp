// Below major version 6 the layer refuses every call and never loads dwmapi.dll. This runs in its
// own executable, which nothing else makes load the library (FakeDwm would, so it is not used).
#include "dwm/DwmCalls.h"

#include "DwmTestSupport.h"
#include "WrapperTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using dwmtest::ReportedVersion;

bool DwmapiLoaded() { return ::GetModuleHandleW(L"dwmapi.dll") != nullptr; }

class GateBelowSixTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(DwmapiLoaded()) << "something else loaded dwmapi.dll; this test proves nothing";
        ASSERT_NE(m_window.get(), nullptr);
    }
    void TearDown() override { EXPECT_FALSE(DwmapiLoaded()); }

    ReportedVersion m_reported{5, 1};
    dwmtest::TestWindow m_window;
};

TEST_F(GateBelowSixTest, EveryWrapperRefusesAndOnlyCompositionReadOutIsWritten) {
    EXPECT_FALSE(IsDwmSupported());
    const dwmtest::OutArgs untouched;
    for (const dwmtest::Wrapper& wrapper : dwmtest::AllWrappers()) {
        SCOPED_TRACE(wrapper.name);
        dwmtest::OutArgs out;
        EXPECT_EQ(wrapper.call(m_window.get(), out), -1);
        const bool writesFalse = std::string(wrapper.name) == "IsCompositionEnabled";
        EXPECT_EQ(out.compositionEnabled, writesFalse ? FALSE : untouched.compositionEnabled);
        EXPECT_EQ(out.ncRenderingEnabled, untouched.ncRenderingEnabled);
        EXPECT_EQ(out.colorization, untouched.colorization);
        EXPECT_EQ(out.opaqueBlend, untouched.opaqueBlend);
        EXPECT_EQ(dwmtest::Text(out.rect), dwmtest::Text(untouched.rect));
        EXPECT_EQ(out.thumbnail, untouched.thumbnail);
    }
}

TEST_F(GateBelowSixTest, CompositionReadOutToleratesANullPointer) {
    EXPECT_EQ(IsCompositionEnabled(nullptr), -1);
}

TEST_F(GateBelowSixTest, TheRefusingVersionIsQueriedOnceAndKept) {
    for (int i = 0; i < 3; ++i) {
        for (const dwmtest::Wrapper& wrapper : dwmtest::AllWrappers()) {
            dwmtest::OutArgs out;
            wrapper.call(m_window.get(), out);
        }
    }
    EXPECT_EQ(ReportedVersion::Queries(), 1);
    EXPECT_EQ(dwm::testing::GetOsVersionCache().filled, 1);
    EXPECT_EQ(dwm::testing::GetOsVersionCache().versionInfo.dwMajorVersion, 5u);
}

TEST_F(GateBelowSixTest, WindowBoundsIsTheWindowRectangle) {
    RECT bounds{-9, -9, -9, -9};
    GetWindowBounds(m_window.get(), &bounds);
    EXPECT_EQ(dwmtest::Text(bounds), dwmtest::Text(m_window.Rect()));
    EXPECT_EQ(ReportedVersion::Queries(), 1);
}

}  // namespace
