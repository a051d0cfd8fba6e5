// GetWindowBounds: the DWM's extended frame bounds where it gives them, else GetWindowRect.
#include "dwm/DwmCalls.h"

#include "DwmTestSupport.h"
#include "support/FakeDwm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using dwmtest::Text;
using Lines = std::vector<std::wstring>;

class WindowBoundsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_fake.IsFake()) << "run with FAKE_DWM";
        ASSERT_NE(m_window.get(), nullptr);
        m_fake.Reset();
    }

    RECT Bounds() const {
        RECT bounds{-9, -9, -9, -9};
        GetWindowBounds(m_window.get(), &bounds);
        return bounds;
    }

    testsupport::FakeDwm m_fake;
    dwmtest::TestWindow m_window;
};

TEST_F(WindowBoundsTest, TakesTheExtendedFrameBoundsFromTheDwm) {
    EXPECT_EQ(Text(Bounds()), Text(dwmtest::Inset(m_window.Rect(), 7, 0, 7, 7)));
    m_fake.SetFrameInset(3, 2, 5, 4);
    EXPECT_EQ(Text(Bounds()), Text(dwmtest::Inset(m_window.Rect(), 3, 2, 5, 4)));
    const std::wstring call = L"DwmGetWindowAttribute hwnd=" + dwmtest::Hex(m_window.get()) + L" attr=9 size=16";
    EXPECT_EQ(m_fake.Journal(), (Lines{call, call}));
}

TEST_F(WindowBoundsTest, FallsBackToTheWindowRectangleWhenTheDwmRefuses) {
    m_fake.Fail(L"DwmGetWindowAttribute", fake_dwm::kCompositionDisabled, 1);
    EXPECT_EQ(Text(Bounds()), Text(m_window.Rect()));
    EXPECT_EQ(m_fake.Journal().size(), 1u);
}

TEST_F(WindowBoundsTest, TakesTheWindowRectangleBelowVersionSixWithoutAskingTheDwm) {
    dwmtest::ReportedVersion reported(5, 1);
    EXPECT_EQ(Text(Bounds()), Text(m_window.Rect()));
    EXPECT_EQ(m_fake.Journal(), Lines{});
}

TEST_F(WindowBoundsTest, TakesTheWindowRectangleWhenTheVersionQueryFails) {
    dwmtest::ReportedVersion reported(10, 0, /*failFirst=*/1);
    EXPECT_EQ(Text(Bounds()), Text(m_window.Rect()));
    EXPECT_EQ(m_fake.Journal(), Lines{});
    // The next call queries again and reaches the DWM.
    EXPECT_EQ(Text(Bounds()), Text(dwmtest::Inset(m_window.Rect(), 7, 0, 7, 7)));
}

}  // namespace
