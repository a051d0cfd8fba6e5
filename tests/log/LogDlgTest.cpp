// The log panel on a real list box: cap, order, scrolling and colouring.
#include <gtest/gtest.h>

#include "log/LogDlg.h"
#include "res/resource.h"
#include "support/WindowTestSupport.h"

namespace {

class LogDlgTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_log.Create(m_host.get()));
        m_log.ShowWindow(SW_SHOW);
        m_list = m_log.GetDlgItem(IDC_LOG_LIST);
        ASSERT_NE(m_list, nullptr);
    }

    int Count() const { return static_cast<int>(::SendMessageW(m_list, LB_GETCOUNT, 0, 0)); }
    std::wstring Line(int index) const {
        wchar_t buffer[512] = {};
        ::SendMessageW(m_list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }
    bool NewestLineVisible() const {
        const int top = static_cast<int>(::SendMessageW(m_list, LB_GETTOPINDEX, 0, 0));
        const int itemHeight = static_cast<int>(::SendMessageW(m_list, LB_GETITEMHEIGHT, 0, 0));
        RECT client{};
        ::GetClientRect(m_list, &client);
        const int visibleRows = client.bottom / itemHeight;
        const int newest = Count() - 1;
        return top <= newest && newest < top + visibleRows;
    }

    testsupport::HostWindow m_host;
    CLogDlg m_log;
    HWND m_list = nullptr;
};

TEST_F(LogDlgTest, The201stLinePushesOutTheOldestAndTheRestKeepTheirOrder) {
    for (int i = 1; i <= 200; ++i) m_log.AddLogLine(L"line " + std::to_wstring(i));
    ASSERT_EQ(Count(), 200);
    EXPECT_EQ(Line(0), L"line 1");

    m_log.AddLogLine(L"line 201");
    ASSERT_EQ(Count(), 200);
    for (int i = 0; i < 200; ++i) ASSERT_EQ(Line(i), L"line " + std::to_wstring(i + 2));
}

TEST_F(LogDlgTest, LinesAreNeverSortedAndEmptyLinesCount) {
    m_log.AddLogLine(L"TRUE");
    m_log.AddLogLine(L"");
    m_log.AddLogLine(L"FALSE");
    ASSERT_EQ(Count(), 3);
    EXPECT_EQ(Line(0), L"TRUE");
    EXPECT_EQ(Line(1), L"");
    EXPECT_EQ(Line(2), L"FALSE");

    for (int i = 0; i < 198; ++i) m_log.AddLogLine(L"");
    EXPECT_EQ(Count(), 200);
    EXPECT_EQ(Line(0), L"") << "the empty line took its place against the cap and pushed out TRUE";
}

TEST_F(LogDlgTest, NewestLineIsInViewAfterEveryAdditionWhateverWasScrolled) {
    for (int i = 0; i < 250; ++i) {
        if (i % 7 == 0) ::SendMessageW(m_list, LB_SETTOPINDEX, 0, 0);  // the user scrolls back up
        m_log.AddLogLine(L"entry " + std::to_wstring(i));
        ASSERT_TRUE(NewestLineVisible()) << "after entry " << i;
    }
}

TEST_F(LogDlgTest, BackgroundAndButtonsAreGreyTheListKeepsSystemColours) {
    HDC dc = ::GetDC(m_log.m_hWnd);
    const auto ask = [&](UINT message, HWND control) {
        return reinterpret_cast<HBRUSH>(::SendMessageW(m_log.m_hWnd, message, reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(control)));
    };
    EXPECT_EQ(ask(WM_CTLCOLORDLG, m_log.m_hWnd), m_log.GetBackgroundBrush());
    EXPECT_EQ(ask(WM_CTLCOLORBTN, m_list), m_log.GetBackgroundBrush());
    EXPECT_NE(ask(WM_CTLCOLORLISTBOX, m_list), m_log.GetBackgroundBrush());
    ::SetBkMode(dc, OPAQUE);
    EXPECT_NE(ask(WM_CTLCOLORSTATIC, m_list), m_log.GetBackgroundBrush()) << "the log has no transparent set";
    EXPECT_EQ(::GetBkMode(dc), OPAQUE);
    ::ReleaseDC(m_log.m_hWnd, dc);

    LOGBRUSH info{};
    ::GetObjectW(m_log.GetBackgroundBrush(), sizeof(info), &info);
    EXPECT_EQ(info.lbColor, RGB(200, 200, 200));
}

TEST(WriteLog, DropsTheLineWhileNoLogIsAttached) {
    testsupport::HostWindow host;
    CLogDlg log;
    ASSERT_TRUE(log.Create(host.get()));
    WriteLogTo(nullptr, L"dropped");
    WriteLogTo(&log, L"kept");
    HWND list = log.GetDlgItem(IDC_LOG_LIST);
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
}

}  // namespace
