// Wine reports no GDI handle counts and no private bytes, so these check what a leak does after
// thousands of repetitions: GDI's handle table (about 65 000) runs dry, DWM registrations stay
// behind, resident memory keeps growing.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "QuilletDlgHarness.h"
#include "framework/Text.h"
#include "support/FakeDwm.h"

namespace {
using Lines = std::vector<std::wstring>;

HWND TopWindow(const wchar_t* title) {  // visible, titled, 400 x 300
    return ::CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 120, 400, 300, nullptr,
                             nullptr, nullptr, nullptr);
}

// Resident memory: Wine fills the working set from Linux's VmRSS of the process (and reports
// no private bytes at all).
long ResidentKb() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters))) return -1;
    return static_cast<long>(counters.WorkingSetSize / 1024);
}

size_t CountStarting(const Lines& lines, const std::wstring& prefix) {
    size_t count = 0;
    for (const auto& line : lines) count += line.rfind(prefix, 0) == 0;
    return count;
}

class SoakTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_main.Created() && m_fake.IsFake());
        // A visible log repaints its scroll bar for every line: that cost is the benchmark's, not a leak.
        ::ShowWindow(m_main.Window(), SW_HIDE);
        m_fake.Reset();
        Press(IDC_REFRESH_LIST);
        const auto& entries = Inspector().WindowEntries();
        int row = 0;
        while (row < static_cast<int>(entries.size()) && entries[row].hWnd != m_source.get()) ++row;
        HWND list = ::GetDlgItem(Inspector().m_hWnd, IDC_WINDOW_LIST);
        ::SendMessageW(list, LVM_SETSELECTIONMARK, 0, row);
        NMHDR click{list, IDC_WINDOW_LIST, static_cast<UINT>(NM_CLICK)};
        ::SendMessageW(Inspector().m_hWnd, WM_NOTIFY, IDC_WINDOW_LIST, reinterpret_cast<LPARAM>(&click));
        ASSERT_EQ(Inspector().SelectedWindow(), m_source.get());
    }
    void TearDown() override { m_fake.Reset(); }

    CControlDlg& Inspector() { return m_main.Dialog().InspectorPanel(); }
    HWND Item(int id) { return ::GetDlgItem(Inspector().m_hWnd, id); }
    void Press(int id) { ::SendMessageW(Inspector().m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(Item(id))); }

    struct WindowCloser {
        void operator()(HWND window) const { ::DestroyWindow(window); }
    };
    std::unique_ptr<std::remove_pointer_t<HWND>, WindowCloser> m_source{TopWindow(L"Soak source")};
    MainDialogHarness m_main;
    testsupport::FakeDwm m_fake;
};

// First in the process, so that no memory freed by an earlier test can hide a leak here.
TEST_F(SoakTest, TenThousandStatusTicksAndTwoThousandListRefreshesKeepResidentMemoryFlat) {
    ASSERT_GT(ResidentKb(), 0);
    std::vector<std::unique_ptr<std::remove_pointer_t<HWND>, WindowCloser>> listed;  // work for each refresh
    for (int i = 0; i < 50; ++i) listed.emplace_back(TopWindow(fw::Format(L"Soak window %d", i).c_str()));
    HWND status = m_main.Dialog().StatusPanel().m_hWnd;
    long warm = 0;
    for (int tick = 0; tick < 10000; ++tick) {
        if (tick == 500) warm = ResidentKb();
        if (tick % 100 == 0) m_fake.ClearJournal();  // the test double's record is not the tool's memory
        ::SendMessageW(status, WM_TIMER, CDwmDlg::kRefreshTimerId, 0);
        if (tick % 5 == 0) Press(IDC_REFRESH_LIST);
    }
    const long grown = ResidentKb() - warm;
    EXPECT_LT(grown, 2048) << "KB grown after the first 500 ticks and 100 refreshes";
    // The ticks did refresh, and the list holds every window once.
    EXPECT_EQ(m_fake.Journal().back(), L"DwmGetColorizationColor");
    EXPECT_GE(Inspector().WindowEntries().size(), listed.size() + 2);
    EXPECT_EQ(ListView_GetItemCount(Item(IDC_WINDOW_LIST)), static_cast<int>(Inspector().WindowEntries().size()));
}

TEST_F(SoakTest, SeventyThousandCircleBlursEachPassALiveRegion) {
    ::SendMessageW(Item(IDC_BLUR_SHAPE_CIRCLE), BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageW(Item(IDC_BLUR_SHAPE_NULL), BM_SETCHECK, BST_UNCHECKED, 0);
    // The 100 x 100 circle centred in 400 x 300; GDI's box leaves out the last row and column.
    const std::wstring passed = L"DwmEnableBlurBehindWindow hwnd=" + fw::Format(L"0x%08x", fw::Low32(m_source.get())) +
                                L" flags=0x0 enable=0 region=(150,100,249,199) transitionOnMaximized=0";
    for (int batch = 0; batch < 7; ++batch) {
        m_fake.ClearJournal();
        for (int press = 0; press < 10000; ++press) Press(IDC_BLUR_EXEC);
        const Lines journal = m_fake.Journal();
        ASSERT_EQ(journal.size(), 10000u);
        ASSERT_EQ(CountStarting(journal, passed), 10000u) << "batch " << batch << " ends with " << journal.back();
    }
    const Lines log = m_main.LogLines();
    ASSERT_EQ(log.size(), 200u);
    EXPECT_EQ(log.back(), L"EnableBlurBehindWindow() Exec OK ");
}

TEST_F(SoakTest, TwoThousandThumbnailRegistrationsAreAllGivenBack) {
    for (int cycle = 0; cycle < 2000; ++cycle) {
        ::SendMessageW(Item(IDC_REGISTER_THUMBNAIL), BM_SETCHECK, BST_CHECKED, 0);
        Press(IDC_REGISTER_THUMBNAIL);
        ::SendMessageW(Item(IDC_REGISTER_THUMBNAIL), BM_SETCHECK, BST_UNCHECKED, 0);
        Press(IDC_REGISTER_THUMBNAIL);
    }
    const Lines journal = m_fake.Journal();
    EXPECT_EQ(CountStarting(journal, L"DwmRegisterThumbnail "), 2000u);
    EXPECT_EQ(CountStarting(journal, L"DwmUnregisterThumbnail "), 2000u);
    EXPECT_EQ(m_fake.ThumbnailCount(), 0);
}

}  // namespace
