// The About box: what it shows, how it is opened from the system menu, and both home-page links.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "AboutTestSupport.h"
#include "QuilletDlgHarness.h"
#include "VersionBlocks.h"
#include "app/AboutDlg.h"
#include "app/VersionText.h"
#include "framework/WinApp.h"
#include "res/resource.h"

namespace {

using abouttest::BoxSeen;
using abouttest::ModalBoxCloser;
using abouttest::ShellSeam;
using abouttest::VersionFileSeam;

// Opens a fresh About box modally, as the main window does, and reports what it showed.
BoxSeen OpenAboutBox(const std::function<void(HWND)>& act = {}) {
    ModalBoxCloser closer(act);
    CAboutDlg about;
    const INT_PTR result = about.DoModal();
    EXPECT_EQ(result, IDOK);
    if (closer.Seen().size() != 1) {
        ADD_FAILURE() << "expected one About box, saw " << closer.Seen().size();
        return {};
    }
    const BoxSeen seen = closer.Seen().front();
    EXPECT_FALSE(::IsWindow(seen.window)) << "OK closes the box";
    EXPECT_EQ(about.m_strVersion, seen.versionText) << "the member is what the control shows";
    return seen;
}

TEST(AboutBox, ShowsTheProductNameAndVersionUnderTheCaptionVelmora) {
    VersionFileSeam file;  // the real file, counted
    const BoxSeen first = OpenAboutBox();
    EXPECT_EQ(first.caption, L"Velmora");
    EXPECT_EQ(first.versionText, L"Velmora Ver.:1.0.1.102 ");
    EXPECT_TRUE(first.versionStyle & SS_NOPREFIX);

    const BoxSeen second = OpenAboutBox();
    EXPECT_EQ(second.caption, L"Velmora");
    EXPECT_EQ(second.versionText, L"Velmora Ver.:1.0.1.102 ");
    EXPECT_EQ(file.SizeCalls(), 1) << "the second opening does not read the file again";
    EXPECT_EQ(file.ReadCalls(), 1);
}

TEST(AboutBox, ShowsCommasAsDashesAndSemicolonsAsFullStops) {
    struct Case {
        int block;
        const wchar_t* reader;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {IDV_COMMAS, L"Ver.:1, 0, 1, 102", L"Velmora Ver.:1- 0- 1- 102 "},
        {IDV_SEMICOLONS, L"Ver.:2;5;0;7", L"Velmora Ver.:2.5.0.7 "},
    };
    for (const Case& c : cases) {
        VersionFileSeam file;
        file.ServeBlock(c.block);
        EXPECT_EQ(OpenAboutBox().versionText, c.shown);
        EXPECT_STREQ(GetProductVersionText(), c.reader) << "only the box's copy is changed";
    }
}

TEST(AboutBox, WithoutAVersionShowsTheNameAndTwoBlanks) {
    struct Case {
        const char* what;
        void (*arrange)(VersionFileSeam&);
        int readsOnSecondOpening;
    };
    const Case cases[] = {
        {"no version resource: the next opening retries", [](VersionFileSeam& f) { f.ServeNothing(); }, 2},
        {"no translation table: the next opening retries",
         [](VersionFileSeam& f) { f.ServeBlock(IDV_NO_TRANSLATION); }, 2},
        {"no ProductVersion: the empty text is kept for the run",
         [](VersionFileSeam& f) { f.ServeBlock(IDV_NO_PRODUCT_VERSION); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VersionFileSeam file;
        c.arrange(file);
        EXPECT_EQ(OpenAboutBox().versionText, L"Velmora  ");

        file.ServeBlock(0);  // the resource is there for the second opening
        const std::wstring second = OpenAboutBox().versionText;
        EXPECT_EQ(file.SizeCalls(), c.readsOnSecondOpening);
        EXPECT_EQ(second, c.readsOnSecondOpening == 2 ? L"Velmora Ver.:1.0.1.102 " : L"Velmora  ");
    }
}

TEST(AboutBox, ALongVersionIsShownCutToTheBuffer) {
    VersionFileSeam file;
    file.ServeBlock(IDV_LONG_VERSION);
    const std::wstring shown = OpenAboutBox().versionText;
    // "Velmora ", the 255-character version text, the trailing blank.
    ASSERT_EQ(shown.size(), 8u + 255u + 1u);
    EXPECT_EQ(shown.substr(0, 18), L"Velmora Ver.:01234");
    EXPECT_EQ(shown.substr(shown.size() - 3), L"89 ");
}

class AboutFromTheSystemMenu : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_main.Created());
        m_app.m_pMainWnd = &m_main.Dialog();
    }
    void TearDown() override { m_app.m_pMainWnd = nullptr; }

    VersionFileSeam m_file;
    CWinAppEx m_app;
    MainDialogHarness m_main;
};

TEST_F(AboutFromTheSystemMenu, Commands16To31OpenAFreshBoxOwnedByTheMainWindow) {
    const WPARAM commands[] = {IDM_ABOUTBOX, 0x001F, 0x0013};
    ModalBoxCloser closer;
    for (WPARAM command : commands) {
        ::SendMessageW(m_main.Window(), WM_SYSCOMMAND, command, 0);
    }
    ASSERT_EQ(closer.Seen().size(), std::size(commands));
    for (const BoxSeen& seen : closer.Seen()) {
        EXPECT_EQ(seen.caption, L"Velmora");
        EXPECT_EQ(seen.versionText, L"Velmora Ver.:1.0.1.102 ");
        EXPECT_EQ(seen.owner, m_main.Window());
        EXPECT_FALSE(::IsWindow(seen.window));
    }
    EXPECT_EQ(m_file.SizeCalls(), 1) << "one read for all openings";
    EXPECT_TRUE(::IsWindow(m_main.Window())) << "closing the box leaves the main window";
}

TEST_F(AboutFromTheSystemMenu, OtherCommandsKeepTheirDefaultBehaviour) {
    ModalBoxCloser closer;
    ::SendMessageW(m_main.Window(), WM_SYSCOMMAND, 0x0020, 0);
    ::SendMessageW(m_main.Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(::IsIconic(m_main.Window()));
    ::SendMessageW(m_main.Window(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(::IsIconic(m_main.Window()));
    EXPECT_TRUE(closer.Seen().empty()) << "no About box for other commands";
    EXPECT_EQ(m_file.SizeCalls(), 0);
}

LRESULT SendLinkClick(HWND dialog) {
    HWND link = ::GetDlgItem(dialog, IDC_HOMEPAGE_LINK);
    NMHDR header{link, static_cast<UINT_PTR>(IDC_HOMEPAGE_LINK), static_cast<UINT>(NM_CLICK)};
    return ::SendMessageW(dialog, WM_NOTIFY, IDC_HOMEPAGE_LINK, reinterpret_cast<LPARAM>(&header));
}

TEST(HomePageLinks, BothLinksOpenTheSameHomePageOwnedByTheClickedDialog) {
    ShellSeam shell;
    VersionFileSeam file;

    LRESULT aboutResult = -1;
    const BoxSeen box = OpenAboutBox([&](HWND about) {
        abouttest::ClickLink(::GetDlgItem(about, IDC_HOMEPAGE_LINK));
        aboutResult = SendLinkClick(about);
    });
    MainDialogHarness main;
    ASSERT_TRUE(main.Created());
    abouttest::ClickLink(::GetDlgItem(main.Window(), IDC_HOMEPAGE_LINK));
    const LRESULT mainResult = SendLinkClick(main.Window());
    EXPECT_EQ(aboutResult, 0);
    EXPECT_EQ(mainResult, 0);

    const auto calls = shell.Calls();
    ASSERT_EQ(calls.size(), 4u) << "a mouse click and a notification on each link";
    const HWND owners[] = {box.window, box.window, main.Window(), main.Window()};
    for (size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(calls[i].owner, owners[i]);
        EXPECT_EQ(calls[i].verb, L"open");
        EXPECT_EQ(calls[i].file, calls[0].file);
        EXPECT_TRUE(calls[i].parametersNull);
        EXPECT_TRUE(calls[i].directoryNull);
        EXPECT_EQ(calls[i].show, SW_SHOWNORMAL);
    }
    // http, the path /toppage/, and a host under the reserved .example domain.
    const std::wstring& url = calls[0].file;
    const std::wstring host = url.substr(7, url.find(L'/', 7) - 7);
    EXPECT_EQ(url.substr(0, 7), L"http://");
    EXPECT_EQ(url.substr(7 + host.size()), L"/toppage/");
    ASSERT_GT(host.size(), 8u);
    EXPECT_EQ(host.substr(host.size() - 8), L".example");
}

}  // namespace
