// With dwmapi.dll disabled in Wine (WINEDLLOVERRIDES=dwmapi=d) the library cannot be loaded:
// every wrapper reports the load failure instead of calling anything.
#include "dwm/DwmCalls.h"

#include "DwmTestSupport.h"
#include "WrapperTable.h"

#include <gtest/gtest.h>

namespace {

class DisabledLibraryTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(m_window.get(), nullptr);
        ASSERT_TRUE(IsDwmSupported()) << "Wine reports a version the gate passes";
    }

    dwmtest::TestWindow m_window;
};

TEST_F(DisabledLibraryTest, EveryWrapperReportsModuleNotFound) {
    // Twice: a failed load is not remembered, and the retry fails the same way.
    for (int round = 0; round < 2; ++round) {
        for (const dwmtest::Wrapper& wrapper : dwmtest::AllWrappers()) {
            SCOPED_TRACE(testing::Message() << wrapper.name << ", round " << round);
            dwmtest::OutArgs out;
            EXPECT_EQ(wrapper.call(m_window.get(), out), HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
        }
    }
    EXPECT_EQ(::GetModuleHandleW(L"dwmapi.dll"), nullptr);
}

TEST_F(DisabledLibraryTest, WindowBoundsIsTheWindowRectangle) {
    RECT bounds{-9, -9, -9, -9};
    GetWindowBounds(m_window.get(), &bounds);
    EXPECT_EQ(dwmtest::Text(bounds), dwmtest::Text(m_window.Rect()));
}

}  // namespace
