// The composition notification against a DWM whose answers the test chooses.
#include <gtest/gtest.h>

#include "QuilletDlgHarness.h"
#include "dwm/DwmTesting.h"
#include "support/FakeDwm.h"

namespace {

class CompositionNotificationTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_main.Created());
        ASSERT_TRUE(m_fake.IsFake());
        m_fake.Reset();
    }
    void TearDown() override {
        dwm::testing::SetVersionQuery(nullptr);
        m_fake.Reset();
    }
    std::wstring Notify() { return m_main.Notify(WM_DWMCOMPOSITIONCHANGED, 0, 0); }

    MainDialogHarness m_main;
    testsupport::FakeDwm m_fake;
};

TEST_F(CompositionNotificationTest, OnlyExactlyTrueReadsAsEnable) {
    const std::pair<BOOL, const wchar_t*> cases[] = {
        {TRUE, L"WM_COMPOSITIONCHANGED recieve Composition Enable"},
        {FALSE, L"WM_COMPOSITIONCHANGED recieve Composition Disable"},
        {2, L"WM_COMPOSITIONCHANGED recieve Composition Disable"},
        {-1, L"WM_COMPOSITIONCHANGED recieve Composition Disable"},
    };
    for (const auto& [reported, line] : cases) {
        m_fake.SetComposition(reported);
        EXPECT_EQ(Notify(), line) << "reported " << reported;
    }
}

TEST_F(CompositionNotificationTest, AFailedQueryGivesTheLineWithAnEmptyValue) {
    m_fake.Fail(L"DwmIsCompositionEnabled", E_ACCESSDENIED, 1);
    EXPECT_EQ(Notify(), L"WM_COMPOSITIONCHANGED recieve ");
    EXPECT_EQ(Notify(), L"WM_COMPOSITIONCHANGED recieve Composition Enable") << "the next query succeeds again";
}

BOOL WINAPI ReportWindowsXp(LPOSVERSIONINFOW info) {
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 1;
    return TRUE;
}

TEST_F(CompositionNotificationTest, WithoutDwmTheValueIsEmptyAndNoDwmCallIsMade) {
    dwm::testing::SetVersionQuery(ReportWindowsXp);
    m_fake.ClearJournal();
    EXPECT_EQ(Notify(), L"WM_COMPOSITIONCHANGED recieve ");
    EXPECT_TRUE(m_fake.Journal().empty());
}

}  // namespace
