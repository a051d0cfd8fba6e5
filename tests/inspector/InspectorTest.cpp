// The inspector's window list, clicks and read-outs against Wine's own dwmapi.dll (a stub).
#include <memory>
#include <optional>
#include <utility>

#include "InspectorHarness.h"

namespace {

// Wine's list view refuses a selection mark past its rows; this one keeps any mark it is given, so
// that only the panel's own bound stands between a mark left past the rows and its entries.
int g_keptMark = -1;
LRESULT CALLBACK KeepAnyMark(HWND list, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
    if (message == LVM_SETSELECTIONMARK) return std::exchange(g_keptMark, static_cast<int>(l));
    if (message == LVM_GETSELECTIONMARK) return g_keptMark;
    return ::DefSubclassProc(list, message, w, l);
}

class InspectorTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(h.created); }
    InspectorHarness h;
};

TEST_F(InspectorTest, ListsVisibleTitledWindowsAfterARefreshWithTitlesCutTo255AndTheDesktopLast) {
    std::wstring title300;
    for (int i = 0; i < 300; ++i) title300 += static_cast<wchar_t>(L'a' + i % 26);
    const std::wstring title254 = title300.substr(0, 254);  // then a pair across the cut at 255
    const struct { std::wstring title; DWORD visible; std::optional<std::wstring> shown; } cases[] = {
        {L"", WS_VISIBLE, {}}, {L"Velmora hidden", 0, {}}, {L"V", WS_VISIBLE, L"V"},
        {title300, WS_VISIBLE, title300.substr(0, 255)}, {title254 + L"\U0001F600", WS_VISIBLE, title254}};
    std::vector<std::unique_ptr<TopWindow>> windows;
    for (const auto& c : cases) windows.push_back(std::make_unique<TopWindow>(c.title, RECT{0, 0, 30, 20}, c.visible));
    EXPECT_EQ(h.RowOf(windows[2]->h), -1) << "windows made after the panel wait for a refresh";
    h.Click(IDC_REFRESH_LIST);
    for (size_t i = 0; i < windows.size(); ++i) {
        const int row = h.RowOf(windows[i]->h);
        EXPECT_EQ(row >= 0 ? std::optional(h.Cell(row, 0)) : std::nullopt, cases[i].shown) << i;
    }
    const auto& entries = h.panel.WindowEntries();
    ASSERT_EQ(h.Rows(), static_cast<int>(entries.size()));
    for (size_t row = 0; row < entries.size(); ++row)
        EXPECT_EQ(h.Cell(static_cast<int>(row), 1) + h.Cell(static_cast<int>(row), 2), Hex(entries[row].hWnd)) << row;
    EXPECT_EQ(h.Cell(h.Rows() - 1, 0), L"DESKTOP");
    EXPECT_EQ(h.Cell(h.Rows() - 1, 1), Hex(::GetDesktopWindow()));
}

TEST_F(InspectorTest, ARefreshHighlightsTheSameRowNumberAndLeavesTheInspectedWindowAlone) {
    TopWindow a(L"Velmora A");
    h.Inspect(a.h);
    const int row = h.RowOf(a.h);
    TopWindow above(L"Velmora above A");
    h.Click(IDC_REFRESH_LIST);
    EXPECT_NE(h.Cell(row, 1), Hex(a.h));
    EXPECT_EQ(h.List(LVM_GETITEMSTATE, row, LVIS_SELECTED), LVIS_SELECTED);
    EXPECT_EQ(h.List(LVM_GETSELECTEDCOUNT), 1);
    EXPECT_EQ(h.panel.SelectedWindow(), a.h);
    EXPECT_EQ(h.Text(IDC_SELECTED_HANDLE), Hex(a.h));

    ::SetWindowSubclass(h.Item(IDC_WINDOW_LIST), KeepAnyMark, 0, 0);
    h.Click(IDC_REFRESH_LIST), h.List(LVM_SETSELECTIONMARK, 0, h.Rows() - 1);  // the last row, just listed
    ::DestroyWindow(above.h);
    h.Click(IDC_REFRESH_LIST);
    ASSERT_EQ(h.List(LVM_GETSELECTIONMARK), h.Rows()) << "the mark sits just past the last row";
    const Lines shown = h.ReadOuts(), logged = h.LogLines();
    testsupport::MessageBoxAnswerer answerer;
    h.ClickList();  // in the empty area below the rows
    EXPECT_EQ(answerer.Answers().size(), 0u);
    EXPECT_EQ(h.panel.SelectedWindow(), a.h);
    EXPECT_EQ(h.ReadOuts(), shown);
    EXPECT_EQ(h.LogLines(), logged);

    h.List(LVM_SETSELECTIONMARK, 0, h.Rows() - 1);
    ::DestroyWindow(a.h);
    h.Click(IDC_REFRESH_LIST);
    EXPECT_EQ(h.List(LVM_GETSELECTEDCOUNT), 0) << "a mark beyond the rows highlights nothing";
    EXPECT_EQ(h.panel.SelectedWindow(), a.h);
}

TEST_F(InspectorTest, OnlyAClickInspectsTheRowUnderTheMarkAndAClosedWindowsRowGivesTheMessageBox) {
    TopWindow a(L"Velmora A"), b(L"Velmora B");
    h.Inspect(a.h);
    const int row = h.RowOf(a.h);
    LVITEMW focus{};
    focus.state = focus.stateMask = LVIS_FOCUSED;
    h.List(LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&focus));
    h.List(WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_EQ(h.List(LVM_GETSELECTIONMARK), row + 1);
    h.List(LVM_SETSELECTIONMARK, 0, h.RowOf(b.h));
    EXPECT_EQ(h.panel.SelectedWindow(), a.h) << "the keyboard moves the mark only";
    EXPECT_EQ(h.Text(IDC_SELECTED_HANDLE), Hex(a.h));
    h.ClickList();
    EXPECT_EQ(h.panel.SelectedWindow(), b.h);
    EXPECT_EQ(h.Text(IDC_SELECTED_HANDLE), Hex(b.h));

    const Lines before = h.LogLines();
    ::DestroyWindow(b.h);
    testsupport::MessageBoxAnswerer answerer;
    h.ClickList();
    EXPECT_EQ(h.ReadOuts(), kNotAlive);
    EXPECT_EQ(h.LogLines(), before);
    ASSERT_EQ(answerer.Answers().size(), 1u);
    EXPECT_EQ(answerer.Answers()[0].text, kInvalidWindow);
    EXPECT_TRUE(answerer.Answers()[0].hasWarningIcon);
}

TEST_F(InspectorTest, WithWinesStubHandleAndRectangleAreShownAndEachFailingQueryLogsItsLineInOrder) {
    EXPECT_EQ(h.LogLines(), Lines{}) << "nothing logged while the panel initialised";
    TopWindow a(L"Velmora A", RECT{-50, -40, 350, 260});
    h.Inspect(a.h);
    EXPECT_EQ(h.ReadOuts(), (Lines{Hex(a.h), L"Error", L" Error", L" Error", L" t=-40, b=260, l=-50, r=350"}));
    const Lines failures{L"IsNCRenderingEnabled() Error HRESULT=0x80004001",  // E_NOTIMPL, Wine's answer
                         L"GetCaptionButtonBounds() Error HRESULT=0x80004001",
                         L"GetExtendedFrameBounds() Error HRESULT=0x80004001"};
    EXPECT_EQ(h.LogLines(), failures);
    EXPECT_EQ(h.Press(IDC_REFRESH_ATTRIBUTES), failures);
}

}  // namespace
