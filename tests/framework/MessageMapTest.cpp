// Message tables and the dialog life cycle, on real dialogs.
#include <gtest/gtest.h>

#include <thread>

#include "ProbeDialog.h"
#include "support/WindowTestSupport.h"

using testsupport::PumpUntil;

namespace {

class MessageMapTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dialog.Create(nullptr)); }
    ProbeDialog m_dialog;
};

TEST_F(MessageMapTest, ButtonClickReachesItsHandlerOnlyForItsControl) {
    ::SendMessageW(m_dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PROBE_BUTTON, BN_CLICKED),
                   reinterpret_cast<LPARAM>(m_dialog.GetDlgItem(IDC_PROBE_BUTTON)));
    ::SendMessageW(m_dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PROBE_BUTTON, BN_SETFOCUS), 0);
    ::SendMessageW(m_dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PROBE_CHECK, BN_CLICKED), 0);
    EXPECT_EQ(m_dialog.m_calls, std::vector<std::wstring>{L"button"});
}

TEST_F(MessageMapTest, RealButtonPressArrivesAsClick) {
    ::SendMessageW(m_dialog.GetDlgItem(IDC_PROBE_BUTTON), BM_CLICK, 0, 0);
    EXPECT_EQ(m_dialog.m_calls, std::vector<std::wstring>{L"button"});
}

TEST_F(MessageMapTest, NotifyMatchesControlAndCodeAndReturnsHandlerResult) {
    NMHDR header{m_dialog.GetDlgItem(IDC_PROBE_LINK), IDC_PROBE_LINK, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(::SendMessageW(m_dialog.m_hWnd, WM_NOTIFY, IDC_PROBE_LINK, reinterpret_cast<LPARAM>(&header)), 42);

    NMHDR otherCode{header.hwndFrom, IDC_PROBE_LINK, static_cast<UINT>(NM_RETURN)};
    ::SendMessageW(m_dialog.m_hWnd, WM_NOTIFY, IDC_PROBE_LINK, reinterpret_cast<LPARAM>(&otherCode));
    NMHDR otherControl{header.hwndFrom, IDC_PROBE_BUTTON, static_cast<UINT>(NM_CLICK)};
    ::SendMessageW(m_dialog.m_hWnd, WM_NOTIFY, IDC_PROBE_BUTTON, reinterpret_cast<LPARAM>(&otherControl));

    EXPECT_EQ(m_dialog.m_calls, std::vector<std::wstring>{L"link 209"});
}

TEST_F(MessageMapTest, EveryColourRequestReachesOneHandlerWithItsKindAndTheBrushComesBack) {
    struct Case {
        UINT message;
        UINT kind;
    };
    const Case cases[] = {
        {WM_CTLCOLORMSGBOX, CTLCOLOR_MSGBOX}, {WM_CTLCOLOREDIT, CTLCOLOR_EDIT},
        {WM_CTLCOLORLISTBOX, CTLCOLOR_LISTBOX}, {WM_CTLCOLORBTN, CTLCOLOR_BTN},
        {WM_CTLCOLORDLG, CTLCOLOR_DLG},         {WM_CTLCOLORSCROLLBAR, CTLCOLOR_SCROLLBAR},
        {WM_CTLCOLORSTATIC, CTLCOLOR_STATIC},
    };
    HWND control = m_dialog.GetDlgItem(IDC_PROBE_CHECK);
    HDC dc = ::GetDC(m_dialog.m_hWnd);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const LRESULT brush = ::SendMessageW(m_dialog.m_hWnd, c.message, reinterpret_cast<WPARAM>(dc),
                                             reinterpret_cast<LPARAM>(control));
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), m_dialog.m_brush.get());
        EXPECT_EQ(m_dialog.m_lastColourKind, c.kind);
        EXPECT_EQ(m_dialog.m_lastColourControl, control);
    }
    ::ReleaseDC(m_dialog.m_hWnd, dc);
}

TEST_F(MessageMapTest, TimerHandlerGetsTheTimerId) {
    ::SetTimer(m_dialog.m_hWnd, 7, 10, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return m_dialog.m_lastTimer == 7; }, 5000));
}

TEST_F(MessageMapTest, RawHandlerGetsBothParametersAndItsResultIsReturned) {
    EXPECT_EQ(::SendMessageW(m_dialog.m_hWnd, WM_APP, 5, 6), 11);
    EXPECT_EQ(m_dialog.m_calls, std::vector<std::wstring>{L"app 5 6"});
}

TEST_F(MessageMapTest, UnlistedMessagesGetDefaultProcessing) {
    ::SendMessageW(m_dialog.m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Renamed"));
    EXPECT_EQ(testsupport::TextOf(m_dialog.m_hWnd), L"Renamed");
    ::SendMessageW(m_dialog.m_hWnd, WM_APP + 1, 0, 0);
    EXPECT_EQ(m_dialog.m_calls, std::vector<std::wstring>{L"default 0"});
    EXPECT_EQ(m_dialog.Default(), 0) << "outside a message there is nothing to process";
}

TEST_F(MessageMapTest, DestroyingTheWindowForgetsIt) {
    HWND window = m_dialog.m_hWnd;
    EXPECT_TRUE(m_dialog.DestroyWindow());
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(m_dialog.m_hWnd, nullptr);
    EXPECT_FALSE(m_dialog.DestroyWindow());
}

TEST(DialogLifetime, ObjectDestroyedFirstTakesItsWindowAlong) {
    HWND window = nullptr;
    {
        ProbeDialog dialog;
        ASSERT_TRUE(dialog.Create(nullptr));
        window = dialog.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(window));
}

// Modal runs are ended by the test itself, from the dialog's initialisation.
INT_PTR RunModal(std::function<void(ProbeDialog&)> onInit) {
    ProbeDialog dialog;
    dialog.m_onInit = std::move(onInit);
    return dialog.DoModal();
}

TEST(ModalDialog, EnterEscAndTheCloseBoxEndTheRunAsOkAndCancel) {
    EXPECT_EQ(RunModal([](ProbeDialog& d) { ::PostMessageW(d.m_hWnd, WM_COMMAND, IDOK, 0); }), IDOK);
    EXPECT_EQ(RunModal([](ProbeDialog& d) { ::PostMessageW(d.m_hWnd, WM_COMMAND, IDCANCEL, 0); }), IDCANCEL);
    EXPECT_EQ(RunModal([](ProbeDialog& d) { ::PostMessageW(d.m_hWnd, WM_CLOSE, 0, 0); }), IDCANCEL);
    EXPECT_EQ(RunModal([](ProbeDialog& d) {
                  HWND focus = d.GetDlgItem(IDC_PROBE_NAME);
                  ::SetFocus(focus);
                  ::PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0);
              }),
              IDCANCEL);
}

TEST(ModalDialog, OkWithAnEntryThatIsNoIntegerKeepsTheDialogOpen) {
    testsupport::MessageBoxAnswerer answerer;
    int okPresses = 0;
    ProbeDialog dialog;
    dialog.m_onInit = [&](ProbeDialog& d) {
        ::SetDlgItemTextW(d.m_hWnd, IDC_PROBE_FIRST, L"twelve");
        ::PostMessageW(d.m_hWnd, WM_COMMAND, IDOK, 0);
    };
    // After the refused OK the entry is fixed by "the user" and OK ends the run.
    const INT_PTR result = [&] {
        ProbeDialog* target = &dialog;
        std::thread fixer([&] {
            while (answerer.Answers().empty()) ::Sleep(20);
            ++okPresses;
            ::SetDlgItemTextW(target->m_hWnd, IDC_PROBE_FIRST, L"12");
            ::PostMessageW(target->m_hWnd, WM_COMMAND, IDOK, 0);
        });
        const INT_PTR r = dialog.DoModal();
        fixer.join();
        return r;
    }();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(okPresses, 1);
    EXPECT_EQ(dialog.m_nFirst, 12);
    ASSERT_EQ(answerer.Answers().size(), 1u);
}

}  // namespace
