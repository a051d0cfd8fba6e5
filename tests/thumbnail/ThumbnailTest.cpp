// The thumbnail window, the inspector's two switches and the docking, in the real main dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <regex>

#include "app/QuilletDlgHarness.h"
#include "dwm/DwmTesting.h"
#include "framework/Text.h"
#include "support/FakeDwm.h"

namespace {
using Lines = std::vector<std::wstring>;

std::wstring Hex(HWND window) { return fw::Format(L"0x%08x", fw::Low32(window)); }
RECT RectOf(HWND window) { RECT r{}; ::GetWindowRect(window, &r); return r; }
BOOL WINAPI ReportWindowsXp(LPOSVERSIONINFOW info) { info->dwMajorVersion = 5; return TRUE; }

struct Source {  // visible, titled, 400 x 300 at (x, 80): x != y, so swapped offsets show
    explicit Source(int x)
        : hWnd(::CreateWindowExW(0, L"STATIC", L"Thumbnail source", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 80, 400,
                                 300, nullptr, nullptr, nullptr, nullptr)) {}
    ~Source() { ::DestroyWindow(hWnd); }
    HWND hWnd;
};

class ThumbnailTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_main.Created() && m_fake.IsFake()); m_fake.Reset(); }
    void TearDown() override { dwm::testing::SetVersionQuery(nullptr); m_fake.Reset(); }

    CThumbnailDlg& Thumb() { return m_main.Dialog().ThumbnailWindow(); }
    HWND Panel() { return m_main.Dialog().InspectorPanel().m_hWnd; }
    Lines ThumbnailCalls() {  // the thumbnail lines of the journal, each handle written as '#'
        Lines out;
        for (const auto& line : m_fake.Journal())
            if (line.find(L"Thumbnail") != std::wstring::npos)
                out.push_back(std::regex_replace(line, std::wregex(L"thumbnail=0x[0-9a-f]{8}"), L"thumbnail=#"));
        return out;
    }
    std::wstring Destination() {
        RECT c{};
        ::GetClientRect(Thumb().m_hWnd, &c);
        return fw::Format(L"destination=(0,0,%d,%d)", int(c.right), int(c.bottom));
    }
    Lines Registration(HWND source, const std::wstring& sourceRect) {
        return {L"DwmRegisterThumbnail destination=" + Hex(Thumb().m_hWnd) + L" source=" + Hex(source),
                L"DwmUpdateThumbnailProperties thumbnail=# flags=0x1f " + Destination() + L" source=" + sourceRect +
                    L" opacity=255 visible=1 clientAreaOnly=0"};
    }
    void Switch(int id, bool checked) {
        ::CheckDlgButton(Panel(), id, checked ? BST_CHECKED : BST_UNCHECKED);
        ::SendMessageW(Panel(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(Panel(), id)));
    }
    void Click(HWND window) {  // the selection mark on window's row, then NM_CLICK from the list
        const auto& entries = m_main.Dialog().InspectorPanel().WindowEntries();
        const int row = int(std::find_if(entries.begin(), entries.end(), [&](auto& e) { return e.hWnd == window; }) -
                            entries.begin());
        ASSERT_LT(row, int(entries.size()));
        HWND list = ::GetDlgItem(Panel(), IDC_WINDOW_LIST);
        ::SendMessageW(list, LVM_SETSELECTIONMARK, 0, row);
        NMHDR header{list, IDC_WINDOW_LIST, UINT(NM_CLICK)};
        ::SendMessageW(Panel(), WM_NOTIFY, IDC_WINDOW_LIST, LPARAM(&header));
    }

    Source m_a{120}, m_b{160};  // before the main dialog, so that its list holds them
    MainDialogHarness m_main;
    testsupport::FakeDwm m_fake;
};

TEST_F(ThumbnailTest, RegistrationShowsTheSourcesVisibleFrameAndIsRemadeOnlyForAnotherSource) {
    const std::pair<RECT, const wchar_t*> cases[] = {
        {{7, 0, 7, 7}, L"(7,0,393,293)"}, {{2, 5, 11, 13}, L"(2,5,389,287)"}, {{0, 0, 0, 0}, L"(0,0,400,300)"}};
    for (const auto& [inset, sourceRect] : cases) {
        m_fake.SetFrameInset(inset.left, inset.top, inset.right, inset.bottom);
        m_fake.ClearJournal();
        Thumb().SetSourceWindow(m_a.hWnd);
        EXPECT_EQ(ThumbnailCalls(), Registration(m_a.hWnd, sourceRect));
        EXPECT_EQ(m_fake.ThumbnailCount(), 1);
        Thumb().ReleaseThumbnail();
        EXPECT_EQ(m_fake.ThumbnailCount(), 0);
    }
    Thumb().SetSourceWindow(m_a.hWnd);  // the same source again, even resized: no call; another: old one out first
    ::SetWindowPos(m_a.hWnd, nullptr, 0, 0, 250, 150, SWP_NOMOVE | SWP_NOZORDER);
    m_fake.ClearJournal();
    Thumb().SetSourceWindow(m_a.hWnd);
    EXPECT_EQ(m_fake.Journal(), Lines{});
    Thumb().SetSourceWindow(m_b.hWnd);
    Lines expected = Registration(m_b.hWnd, L"(0,0,400,300)");
    expected.insert(expected.begin(), L"DwmUnregisterThumbnail thumbnail=#");
    EXPECT_EQ(ThumbnailCalls(), expected);
    EXPECT_EQ(m_fake.ThumbnailCount(), 1);
}

TEST_F(ThumbnailTest, ARefusedRegistrationOrFirstUpdateLeavesNoRegistrationAndTheOldSource) {
    for (const auto& [entry, count] : {std::pair(L"DwmRegisterThumbnail", 1), {L"DwmUpdateThumbnailProperties", 1}}) {
        Thumb().SetSourceWindow(m_a.hWnd);
        m_fake.Fail(entry, E_FAIL, count);
        Thumb().SetSourceWindow(m_b.hWnd);
        EXPECT_FALSE(Thumb().IsRegistered()) << entry;
        EXPECT_EQ(m_fake.ThumbnailCount(), 0) << entry;
        EXPECT_EQ(Thumb().SourceWindow(), m_a.hWnd) << entry;
    }
}

TEST_F(ThumbnailTest, ResizingUpdatesTheDestinationOnlyWhileRegisteredAndPastTheVersionGate) {
    Thumb().SetSourceWindow(m_a.hWnd);
    dwm::testing::SetVersionQuery(ReportWindowsXp);  // the update goes straight to the DWM
    m_fake.ClearJournal();
    ::SetWindowPos(Thumb().m_hWnd, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_EQ(m_fake.Journal().size(), 1u);
    EXPECT_EQ(ThumbnailCalls()[0].rfind(L"DwmUpdateThumbnailProperties thumbnail=# flags=0x1 " + Destination(), 0), 0u)
        << ThumbnailCalls()[0];
    dwm::testing::SetVersionQuery(nullptr);
    Thumb().ReleaseThumbnail();
    m_fake.ClearJournal();
    ::SetWindowPos(Thumb().m_hWnd, nullptr, 0, 0, 320, 210, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(m_fake.Journal(), Lines{});
}

TEST_F(ThumbnailTest, CloseEscAndEnterHideTheWindowAndRewriteThePanelButKeepTheRegistration) {
    Click(m_a.hWnd);
    Switch(IDC_REGISTER_THUMBNAIL, true);
    for (const UINT message : {UINT(IDCANCEL), UINT(IDOK), UINT(WM_CLOSE)}) {
        Switch(IDC_SHOW_THUMBNAIL, true);
        ASSERT_TRUE(::IsWindowVisible(Thumb().m_hWnd));
        ::SetDlgItemTextW(Panel(), IDC_MARGIN_TOP, L"42");  // typed, not used
        if (message == WM_CLOSE) ::SendMessageW(Thumb().m_hWnd, WM_CLOSE, 0, 0);
        else ::SendMessageW(Thumb().m_hWnd, WM_COMMAND, MAKEWPARAM(message, BN_CLICKED), 0);
        testsupport::PumpUntil([&] { return !::IsWindowVisible(Thumb().m_hWnd); }, 2000);  // WM_CLOSE posts
        EXPECT_FALSE(::IsWindowVisible(Thumb().m_hWnd)) << message;
        EXPECT_EQ(::IsDlgButtonChecked(Panel(), IDC_SHOW_THUMBNAIL), UINT(BST_UNCHECKED)) << message;
        EXPECT_EQ(testsupport::TextOf(::GetDlgItem(Panel(), IDC_MARGIN_TOP)), L"0") << message;
        EXPECT_EQ(m_fake.ThumbnailCount(), 1) << message;
    }
    m_fake.ClearJournal();
    Switch(IDC_SHOW_THUMBNAIL, true);
    EXPECT_TRUE(::IsWindowVisible(Thumb().m_hWnd));
    EXPECT_EQ(ThumbnailCalls(), Lines{}) << "shown again without a new registration";
}

// Decision (2): a click on a live row applies "registWindow" as the box shows it, also after a refused click.
TEST_F(ThumbnailTest, WithADeadWindowDisplayWorksRegistIsRefusedAndTheNextRowClickAppliesTheBox) {
    for (const bool before : {false, true}) {
        Source dying(240);
        ::SendMessageW(Panel(), WM_COMMAND, MAKEWPARAM(IDC_REFRESH_LIST, BN_CLICKED), 0);
        Click(dying.hWnd);
        Switch(IDC_REGISTER_THUMBNAIL, before);
        ::DestroyWindow(dying.hWnd);
        testsupport::MessageBoxAnswerer answerer;
        Switch(IDC_SHOW_THUMBNAIL, !before);
        EXPECT_EQ(!!::IsWindowVisible(Thumb().m_hWnd), !before) << "Display Thumnail needs no live window";
        EXPECT_TRUE(answerer.Answers().empty());
        Switch(IDC_REGISTER_THUMBNAIL, !before);
        ASSERT_EQ(answerer.Answers().size(), 1u) << before;
        EXPECT_EQ(answerer.Answers()[0].text, L"選択中のウィンドウは現在無効な状態です.");
        EXPECT_EQ(m_fake.ThumbnailCount(), before ? 1 : 0) << "refused: the registration stays";
        Click(m_a.hWnd);
        EXPECT_EQ(m_fake.ThumbnailCount(), before ? 0 : 1) << before;
        EXPECT_EQ(Thumb().IsRegistered() && Thumb().SourceWindow() == m_a.hWnd, !before) << before;
    }
}

TEST_F(ThumbnailTest, ARowClickMovesTheThumbnailWhenCheckedAndReleasesItWhenNot) {
    Click(m_a.hWnd);
    Switch(IDC_REGISTER_THUMBNAIL, true);
    Click(m_b.hWnd);
    EXPECT_EQ(Thumb().SourceWindow(), m_b.hWnd);
    EXPECT_EQ(m_fake.ThumbnailCount(), 1);
    m_fake.ClearJournal();
    Click(m_b.hWnd);
    EXPECT_EQ(ThumbnailCalls(), Lines{});
    Switch(IDC_REGISTER_THUMBNAIL, false);
    Thumb().SetSourceWindow(m_a.hWnd);
    Click(m_b.hWnd);
    EXPECT_EQ(m_fake.ThumbnailCount(), 0);
}

TEST_F(ThumbnailTest, PlacementDocksTheVisibleFramesOnMoveAndOnEveryTickWithoutClamping) {
    const RECT insets[] = {{0, 0, 0, 0}, {7, 0, 7, 7}, {3, 5, 11, 13}};
    int x = 40;
    for (const RECT& inset : insets) {
        m_fake.SetFrameInset(inset.left, inset.top, inset.right, inset.bottom);
        ::SetWindowPos(m_main.Window(), nullptr, x += 30, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // WM_MOVE
        const RECT main = RectOf(m_main.Window());
        EXPECT_EQ(RectOf(Thumb().m_hWnd).left + inset.left, main.right - inset.right) << inset.left;
        EXPECT_EQ(RectOf(Thumb().m_hWnd).top, main.top) << inset.left;
        ::SetWindowPos(Thumb().m_hWnd, nullptr, 5, 5, 300, 210, SWP_NOZORDER);  // moved away and resized
        ::SendMessageW(m_main.Window(), WM_TIMER, 102, 0);
        const RECT t = RectOf(Thumb().m_hWnd);  // back in place, its new size kept
        EXPECT_EQ((std::array{t.left + inset.left, t.top, t.right - t.left, t.bottom - t.top}),
                  (std::array{main.right - inset.right, main.top, LONG{300}, LONG{210}})) << inset.left;
    }
    const RECT main = RectOf(m_main.Window());
    const int screen = ::GetSystemMetrics(SM_CXSCREEN);
    ::SetWindowPos(m_main.Window(), nullptr, screen - (main.right - main.left) - 10, 60, 0, 0, SWP_NOSIZE);
    EXPECT_EQ(RectOf(Thumb().m_hWnd).left, screen - 10 - 11 - 3) << "no clamping to the screen";
}

TEST_F(ThumbnailTest, DestroyingTheMainDialogWhileRegisteredReleasesTheThumbnailOnceAndDetachesTheListener) {
    Click(m_a.hWnd);
    Switch(IDC_REGISTER_THUMBNAIL, true);
    Switch(IDC_SHOW_THUMBNAIL, true);
    m_fake.ClearJournal();
    m_main.Dialog().DestroyWindow();
    testsupport::PumpMessages(100);
    EXPECT_EQ(ThumbnailCalls(), Lines{L"DwmUnregisterThumbnail thumbnail=#"});
    EXPECT_EQ(m_fake.ThumbnailCount(), 0);
    EXPECT_EQ(Thumb().m_pListener, nullptr);
}

}  // namespace
