// The status panel inside the main dialog: created after the log panel, linked to it only once
// created, shown, and detached before it is destroyed ahead of the log panel.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "QuilletDlgHarness.h"
#include "dwm/DwmTesting.h"
#include "support/WindowTestSupport.h"

namespace {

// What the status panel saw when its initialisation had just finished.
struct CreationProbe {
    CQuilletDlg* dialog = nullptr;
    bool seen = false;
    bool logPanelExisted = false;
    CLogDlg* linkDuringInit = reinterpret_cast<CLogDlg*>(1);
};
CreationProbe g_creation;

LRESULT CALLBACK AfterWindowProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto& call = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call.message == WM_INITDIALOG && g_creation.dialog != nullptr &&
        call.hwnd == g_creation.dialog->StatusPanel().m_hWnd) {
        g_creation.seen = true;
        g_creation.logPanelExisted = ::IsWindow(g_creation.dialog->LogPanelWindow()) != FALSE;
        g_creation.linkDuringInit = g_creation.dialog->StatusPanel().m_pLogDlg;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(MainDialogStatusPanel, IsCreatedAfterTheLogPanelAndLinkedOnlyOnceItsInitialisationIsOver) {
    CQuilletDlg dialog;
    g_creation = CreationProbe{&dialog};
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, AfterWindowProc, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    const BOOL created = dialog.Create(nullptr);
    ::UnhookWindowsHookEx(hook);
    g_creation.dialog = nullptr;
    ASSERT_TRUE(created);

    EXPECT_TRUE(g_creation.seen) << "the status panel was not initialised during the main dialog's creation";
    EXPECT_TRUE(g_creation.logPanelExisted) << "the status panel came before the log panel";
    EXPECT_EQ(g_creation.linkDuringInit, nullptr) << "linked before its initialisation was over";
    EXPECT_EQ(dialog.StatusPanel().m_pLogDlg, &dialog.LogPanel());
    dialog.DestroyWindow();
}

BOOL WINAPI ReportWindowsXp(LPOSVERSIONINFOW info) {
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 1;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    return TRUE;
}

TEST(MainDialogStatusPanel, StandsShownAsAChildAndWritesToTheMainDialogsLog) {
    MainDialogHarness main;
    ASSERT_TRUE(main.Created());
    HWND panel = main.Dialog().StatusPanel().m_hWnd;
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(::GetParent(panel), main.Window());
    EXPECT_TRUE(::IsWindowVisible(panel));
    EXPECT_EQ(testsupport::TextOf(::GetDlgItem(panel, IDC_COMPOSITION_STATE)), L"Disable") << "Wine's own DWM";

    // On a system without DWM the refresh button has a line to write.
    dwm::testing::SetVersionQuery(&ReportWindowsXp);
    ::SendMessageW(::GetDlgItem(panel, IDC_REFRESH_STATUS), BM_CLICK, 0, 0);
    dwm::testing::SetVersionQuery(nullptr);
    EXPECT_EQ(main.LogLines(), (std::vector<std::wstring>{L"START Velmora",
                                                           L"DwmIsCompositionEnabled() Error HRESULT=0xffffffff"}));
    EXPECT_EQ(testsupport::TextOf(::GetDlgItem(panel, IDC_COMPOSITION_STATE)), L"unknown");
}

// What the status panel saw as it was being destroyed.
struct TeardownProbe {
    CQuilletDlg* dialog;
    bool destroyed = false;
    CLogDlg* link = reinterpret_cast<CLogDlg*>(1);
    bool logPanelExisted = false;
    bool mainTimerRunning = true;
    bool panelTimerRunning = true;
};

LRESULT CALLBACK WatchStatusPanel(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR data) {
    if (message == WM_DESTROY) {
        auto& probe = *reinterpret_cast<TeardownProbe*>(data);
        probe.destroyed = true;
        probe.link = probe.dialog->StatusPanel().m_pLogDlg;
        probe.logPanelExisted = ::IsWindow(probe.dialog->LogPanelWindow()) != FALSE;
        // A timer that is already gone cannot be killed again.
        probe.mainTimerRunning = ::KillTimer(probe.dialog->m_hWnd, CQuilletDlg::kPlacementTimerId) != FALSE;
        probe.panelTimerRunning = ::KillTimer(window, CDwmDlg::kRefreshTimerId) != FALSE;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

TEST(MainDialogStatusPanel, TeardownDetachesTheLogAndStopsBothTimersBeforeThePanelGoesAheadOfTheLog) {
    MainDialogHarness main;
    ASSERT_TRUE(main.Created());
    HWND panel = main.Dialog().StatusPanel().m_hWnd;
    TeardownProbe probe{&main.Dialog()};
    ASSERT_TRUE(::SetWindowSubclass(panel, WatchStatusPanel, 7, reinterpret_cast<DWORD_PTR>(&probe)));

    ASSERT_TRUE(main.Dialog().DestroyWindow());
    EXPECT_TRUE(probe.destroyed);
    EXPECT_EQ(probe.link, nullptr) << "still linked to the log while being destroyed";
    EXPECT_TRUE(probe.logPanelExisted) << "the log panel went first";
    EXPECT_FALSE(probe.mainTimerRunning);
    EXPECT_FALSE(probe.panelTimerRunning);
    EXPECT_FALSE(::IsWindow(panel));
    EXPECT_EQ(main.Dialog().StatusPanel().m_pLogDlg, nullptr);
}

}  // namespace
