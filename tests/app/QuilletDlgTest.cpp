// The main dialog against Wine's own DWM: start-up, notifications, system menu, teardown.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "QuilletDlgHarness.h"
#include "framework/Text.h"
#include "support/WindowTestSupport.h"

namespace {

class QuilletDlgTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_main.Created()); }
    MainDialogHarness m_main;
};

TEST_F(QuilletDlgTest, RightAfterStartTheLogHoldsOnlyTheStartLine) {
    EXPECT_EQ(m_main.LogLines(), std::vector<std::wstring>{L"START Velmora"});
    EXPECT_EQ(testsupport::TextOf(m_main.Window()), L"Velmora");
}

TEST_F(QuilletDlgTest, NotificationLinesAreExact) {
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const wchar_t* line;
    };
    const Case cases[] = {
        {WM_DWMNCRENDERINGCHANGED, 1, 0, L"WM_NCRENDERINGCHANGED recieve isRenderring = TRUE"},
        {WM_DWMNCRENDERINGCHANGED, 0, 0, L"WM_NCRENDERINGCHANGED recieve isRenderring = FALSE"},
        {WM_DWMNCRENDERINGCHANGED, 5, 0, L"WM_NCRENDERINGCHANGED recieve isRenderring = TRUE"},
        {WM_DWMCOLORIZATIONCOLORCHANGED, 0x6b74b8fc, 1,
         L"WM_DWMCOLORIZATIONCOLORCHANGED recieve Color=0x6b74b8fc, opacityblend=1"},
        {WM_DWMCOLORIZATIONCOLORCHANGED, 0x00000a0b, 0,
         L"WM_DWMCOLORIZATIONCOLORCHANGED recieve Color=0x00000a0b, opacityblend=0"},
        {WM_DWMCOLORIZATIONCOLORCHANGED, 0xFF000000, -1,
         L"WM_DWMCOLORIZATIONCOLORCHANGED recieve Color=0xff000000, opacityblend=-1"},
        {WM_DWMWINDOWMAXIMIZEDCHANGE, 1, 0, L"WM_DWMWINDOWMAXIMIZEDCHANGE recieve isMaximized = TRUE"},
        {WM_DWMWINDOWMAXIMIZEDCHANGE, 0, 0, L"WM_DWMWINDOWMAXIMIZEDCHANGE recieve isMaximized = FALSE"},
        {WM_DWMWINDOWMAXIMIZEDCHANGE, 0x100, 0, L"WM_DWMWINDOWMAXIMIZEDCHANGE recieve isMaximized = TRUE"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m_main.Notify(c.message, c.wParam, c.lParam), c.line);
    }
    EXPECT_EQ(m_main.LogLines().size(), 1u + std::size(cases)) << "one line per notification";
}

// Wine's own DWM answers that composition is off.
TEST_F(QuilletDlgTest, CompositionChangeIsLoggedWithTheStateTheDwmReports) {
    EXPECT_EQ(m_main.Notify(WM_DWMCOMPOSITIONCHANGED, 0, 0), L"WM_COMPOSITIONCHANGED recieve Composition Disable");
}

TEST_F(QuilletDlgTest, SystemMenuEndsWithASeparatorAndTheAboutItem) {
    HMENU menu = ::GetSystemMenu(m_main.Window(), FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, count - 1, text, 128, MF_BYPOSITION);
    EXPECT_STREQ(text, L"バージョン情報 Quillet(&A)...");
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoW(menu, count - 2, TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
}

TEST_F(QuilletDlgTest, DragIconIsTheApplicationIcon) {
    const HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(m_main.Window(), WM_QUERYDRAGICON, 0, 0)), icon);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(m_main.Window(), WM_GETICON, ICON_BIG, 0)), icon);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(m_main.Window(), WM_GETICON, ICON_SMALL, 0)), icon);
}

TEST_F(QuilletDlgTest, TheLinkAndTheLogPanelStandWhereTheTemplatesPutThem) {
    HWND link = ::GetDlgItem(m_main.Window(), IDC_HOMEPAGE_LINK);
    ASSERT_NE(link, nullptr);
    wchar_t className[32] = {};
    ::GetClassNameW(link, className, 32);
    EXPECT_STREQ(className, WC_LINK);
    EXPECT_TRUE(::IsWindowVisible(m_main.Dialog().LogPanelWindow()));
    EXPECT_EQ(::GetParent(m_main.Dialog().LogPanelWindow()), m_main.Window());
}

// A timer that is already gone cannot be killed again: at the moment the log panel is
// destroyed, the main dialog's timer must no longer exist.
struct TeardownProbe {
    HWND main;
    bool logDestroyed = false;
    bool timerStillRunning = false;
};

LRESULT CALLBACK WatchLogDestruction(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR data) {
    if (message == WM_DESTROY) {
        auto& probe = *reinterpret_cast<TeardownProbe*>(data);
        probe.logDestroyed = true;
        probe.timerStillRunning = ::KillTimer(probe.main, CQuilletDlg::kPlacementTimerId) != FALSE;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(QuilletDlgTest, TeardownKillsTheTimerBeforeAnyPanelIsDestroyed) {
    TeardownProbe probe{m_main.Window()};
    HWND log = m_main.Dialog().LogPanelWindow();
    ASSERT_TRUE(::SetWindowSubclass(log, WatchLogDestruction, 1, reinterpret_cast<DWORD_PTR>(&probe)));
    ASSERT_TRUE(m_main.Dialog().DestroyWindow());
    EXPECT_TRUE(probe.logDestroyed);
    EXPECT_FALSE(probe.timerStillRunning);
    EXPECT_FALSE(::IsWindow(log));
}

}  // namespace
