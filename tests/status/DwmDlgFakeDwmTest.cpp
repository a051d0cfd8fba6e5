// The status panel against the fake DWM, where composition, colour and failures can be set.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "StatusPanelHarness.h"
#include "support/FakeDwm.h"

namespace {

constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005);
constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005);

class StatusPanelFakeDwmTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dwm.IsFake()) << "run with FAKE_DWM";
        m_dwm.Reset();
    }
    void TearDown() override { m_dwm.Reset(); }

    size_t JournalCount(const std::wstring& line) const {
        const auto journal = m_dwm.Journal();
        return static_cast<size_t>(std::count(journal.begin(), journal.end(), line));
    }

    testsupport::FakeDwm m_dwm;
};

TEST_F(StatusPanelFakeDwmTest, InitialisationShowsTheStateAndTheColourSplitIntoItsBytes) {
    m_dwm.SetComposition(TRUE);
    m_dwm.SetColorization(0x80FF8000, FALSE);
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    EXPECT_EQ(status.State(), L"Enable");
    EXPECT_EQ(status.Colorization(), L"alpha=128, R=255, G=128, B=0, opaque blend=FALSE");
    EXPECT_EQ(status.LogLines(), Lines{});
}

TEST_F(StatusPanelFakeDwmTest, ReadOutsFollowWhatTheDwmReportsOnEveryTickAndOnTheRefreshButton) {
    struct Case {
        BOOL composition;
        DWORD colour;
        BOOL opaque;
        const wchar_t* state;
        const wchar_t* colorization;
    };
    const Case cases[] = {
        {TRUE, 0x80FF8000, FALSE, L"Enable", L"alpha=128, R=255, G=128, B=0, opaque blend=FALSE"},
        {TRUE, 0x80FF8000, TRUE, L"Enable", L"alpha=128, R=255, G=128, B=0, opaque blend=TRUE"},
        // Only exactly 1 counts as TRUE.
        {TRUE, 0x80FF8000, 2, L"Enable", L"alpha=128, R=255, G=128, B=0, opaque blend=FALSE"},
        {TRUE, 0x80FF8000, -1, L"Enable", L"alpha=128, R=255, G=128, B=0, opaque blend=FALSE"},
        {TRUE, 0xFF0A0B0C, TRUE, L"Enable", L"alpha=255, R=10, G=11, B=12, opaque blend=TRUE"},
        {TRUE, 0x00000000, FALSE, L"Enable", L"alpha=0, R=0, G=0, B=0, opaque blend=FALSE"},
        {TRUE, 0x01FFFFFF, FALSE, L"Enable", L"alpha=1, R=255, G=255, B=255, opaque blend=FALSE"},
        // A state other than exactly 1 reads "Disable"; not being FALSE, it still shows the colour.
        {2, 0x6B74B8FC, FALSE, L"Disable", L"alpha=107, R=116, G=184, B=252, opaque blend=FALSE"},
        {FALSE, 0x80FF8000, TRUE, L"Disable", L""},
    };
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "composition " << c.composition << ", colour 0x" << std::hex << c.colour
                                        << ", opaque " << std::dec << c.opaque);
        m_dwm.SetComposition(c.composition);
        m_dwm.SetColorization(c.colour, c.opaque);
        status.Tick();
        EXPECT_EQ(status.State(), c.state);
        EXPECT_EQ(status.Colorization(), c.colorization);

        ::SetWindowTextW(status.Item(IDC_COMPOSITION_STATE), L"stale");
        ::SetWindowTextW(status.Item(IDC_COLORIZATION), L"stale");
        status.Click(IDC_REFRESH_STATUS);
        EXPECT_EQ(status.State(), c.state);
        EXPECT_EQ(status.Colorization(), c.colorization);
    }
    EXPECT_EQ(status.LogLines(), Lines{});
}

TEST_F(StatusPanelFakeDwmTest, WithCompositionOffTheColourIsNotAskedForAndNothingIsLogged) {
    m_dwm.SetComposition(FALSE);
    m_dwm.Fail(L"DwmGetColorizationColor", kAccessDenied);
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    status.Tick();
    status.Click(IDC_REFRESH_STATUS);
    EXPECT_EQ(status.State(), L"Disable");
    EXPECT_EQ(status.Colorization(), L"");
    EXPECT_EQ(JournalCount(L"DwmGetColorizationColor"), 0u);
    EXPECT_EQ(status.LogLines(), Lines{});
}

TEST_F(StatusPanelFakeDwmTest, FailingColourQueryEmptiesTheReadOutAndIsLoggedOnlyForTheRefreshButton) {
    m_dwm.SetColorization(0x80FF8000, FALSE);
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    ASSERT_NE(status.Colorization(), L"");

    m_dwm.Fail(L"DwmGetColorizationColor", kAccessDenied);
    for (int i = 0; i < 3; ++i) status.Tick();
    EXPECT_EQ(status.State(), L"Enable");
    EXPECT_EQ(status.Colorization(), L"") << "the old colour is not left standing";
    EXPECT_EQ(status.LogLines(), Lines{}) << "automatic refreshes never log";

    status.Click(IDC_REFRESH_STATUS);
    EXPECT_EQ(status.Colorization(), L"");
    EXPECT_EQ(status.LogLines(), Lines{L"GetColorizationColor() HRESUST=0x80070005"});
}

TEST_F(StatusPanelFakeDwmTest, FailingCompositionQueryShowsUnknownAndIsLoggedOnlyForTheRefreshButton) {
    m_dwm.SetColorization(0x80FF8000, FALSE);
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    ASSERT_EQ(status.State(), L"Enable");

    m_dwm.Fail(L"DwmIsCompositionEnabled", kFail);
    for (int i = 0; i < 3; ++i) status.Tick();
    EXPECT_EQ(status.State(), L"unknown") << "a quiet refresh still shows the failure";
    EXPECT_EQ(status.Colorization(), L"");
    EXPECT_EQ(status.LogLines(), Lines{});

    status.Click(IDC_REFRESH_STATUS);
    EXPECT_EQ(status.State(), L"unknown");
    EXPECT_EQ(status.Colorization(), L"");
    EXPECT_EQ(status.LogLines(), Lines{L"DwmIsCompositionEnabled() Error HRESULT=0x80004005"})
        << "nothing for the colour";
}

TEST_F(StatusPanelFakeDwmTest, InitialisationIsQuietEvenWithALogAlreadyAttached) {
    m_dwm.Fail(L"DwmIsCompositionEnabled", kFail);
    StatusPanelHarness status;
    status.Panel().m_pLogDlg = &status.Log();
    ASSERT_TRUE(status.Create());
    EXPECT_EQ(status.State(), L"unknown");
    EXPECT_EQ(status.LogLines(), Lines{});
}

TEST_F(StatusPanelFakeDwmTest, ClearedCheckBoxFreezesTheReadOutsUntilTheRefreshButtonTickingResumes) {
    m_dwm.SetColorization(0x10203040, FALSE);
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    const std::wstring first = L"alpha=16, R=32, G=48, B=64, opaque blend=FALSE";
    ASSERT_EQ(status.Colorization(), first);

    status.Click(IDC_AUTO_REFRESH);
    ASSERT_FALSE(status.AutoRefreshTicked());
    m_dwm.SetColorization(0x50607080, TRUE);
    m_dwm.SetComposition(FALSE);
    for (int i = 0; i < 3; ++i) status.Tick();
    EXPECT_EQ(status.State(), L"Enable");
    EXPECT_EQ(status.Colorization(), first);

    m_dwm.SetComposition(TRUE);
    status.Click(IDC_REFRESH_STATUS);
    EXPECT_EQ(status.Colorization(), L"alpha=80, R=96, G=112, B=128, opaque blend=TRUE");
    EXPECT_FALSE(status.AutoRefreshTicked()) << "the refresh button leaves the box as the user set it";

    m_dwm.SetColorization(0x90A0B0C0, FALSE);
    status.Tick();
    EXPECT_EQ(status.Colorization(), L"alpha=80, R=96, G=112, B=128, opaque blend=TRUE") << "still frozen";

    status.Click(IDC_AUTO_REFRESH);
    ASSERT_TRUE(status.AutoRefreshTicked());
    status.Tick();
    EXPECT_EQ(status.Colorization(), L"alpha=144, R=160, G=176, B=192, opaque blend=FALSE");
    EXPECT_EQ(status.LogLines(), Lines{});
}

// The user clears the box and presses the refresh button before the next tick.
TEST_F(StatusPanelFakeDwmTest, RefreshButtonRightAfterClearingTheBoxKeepsItCleared) {
    m_dwm.SetColorization(0x10203040, FALSE);
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());

    status.Click(IDC_AUTO_REFRESH);
    status.Click(IDC_REFRESH_STATUS);
    EXPECT_FALSE(status.AutoRefreshTicked());

    m_dwm.SetColorization(0x50607080, TRUE);
    status.Tick();
    EXPECT_EQ(status.Colorization(), L"alpha=16, R=32, G=48, B=64, opaque blend=FALSE") << "auto-refresh is off";
}

TEST_F(StatusPanelFakeDwmTest, SwitchButtonsCallTheDwmOnceLogNothingOnSuccessAndDoNotRefresh) {
    m_dwm.SetComposition(FALSE);
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    ASSERT_EQ(status.State(), L"Disable");

    m_dwm.ClearJournal();
    status.Click(IDC_COMPOSITION_ENABLE);
    EXPECT_EQ(m_dwm.Journal(), Lines{L"DwmEnableComposition action=1"}) << "no refresh after the switch";
    EXPECT_EQ(status.State(), L"Disable") << "the read-out waits for the next refresh";
    status.Tick();
    EXPECT_EQ(status.State(), L"Enable");

    m_dwm.ClearJournal();
    status.Click(IDC_COMPOSITION_DISABLE);
    EXPECT_EQ(m_dwm.Journal(), Lines{L"DwmEnableComposition action=0"});
    EXPECT_EQ(status.State(), L"Enable");
    status.Click(IDC_REFRESH_STATUS);
    EXPECT_EQ(status.State(), L"Disable");

    EXPECT_EQ(status.LogLines(), Lines{});
}

TEST_F(StatusPanelFakeDwmTest, FailingSwitchesLogTheirResultAndChangeNothingElse) {
    m_dwm.SetComposition(TRUE);
    m_dwm.SetColorization(0x80FF8000, FALSE);
    m_dwm.Fail(L"DwmEnableComposition", kFail);
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());

    m_dwm.ClearJournal();
    status.Click(IDC_COMPOSITION_DISABLE);
    status.Click(IDC_COMPOSITION_ENABLE);
    EXPECT_EQ(m_dwm.Journal(), (Lines{L"DwmEnableComposition action=0", L"DwmEnableComposition action=1"}));
    EXPECT_EQ(status.LogLines(),
              (Lines{L"CompositionDisable() HRESUST=0x80004005", L"CompositionEnable() HRESUST=0x80004005"}));

    status.Tick();
    EXPECT_EQ(status.State(), L"Enable");
    EXPECT_EQ(status.Colorization(), L"alpha=128, R=255, G=128, B=0, opaque blend=FALSE");
    EXPECT_EQ(status.LogLines().size(), 2u);
}

}  // namespace

namespace {

// The one test that lets the system deliver the refresh timer: the others send WM_TIMER themselves.
TEST_F(StatusPanelFakeDwmTest, TheRealTimerRefreshesTheReadOutsWithinASecond) {
    m_dwm.SetColorization(0x80FF8000, FALSE);
    StatusPanelHarness status;
    ASSERT_TRUE(status.Create());
    m_dwm.SetColorization(0xFF0A0B0C, TRUE);
    const ULONGLONG start = ::GetTickCount64();
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] { return status.Colorization() == L"alpha=255, R=10, G=11, B=12, opaque blend=TRUE"; }, 3000));
    // One period and some slack for a loaded machine; a ten-second period cannot pass.
    EXPECT_LE(::GetTickCount64() - start, 2000u);
}

}  // namespace
