// The window inspector and the thumbnail window of the running tool, worked from outside with the
// mouse and with messages: against Wine's own DWM, and (built with QUILLET_E2E_FAKE_DWM) the
// thumbnail against the fake DWM, whose journal goes to a file.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "QuilletProcess.h"
#include "res/resource.h"
#include "support/WindowTestSupport.h"

namespace {

using e2e::QuilletProcess;
using Lines = std::vector<std::wstring>;
using Window = std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&::DestroyWindow)>;

std::string Hex(HWND window) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window)));
    return text;
}
std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

// A titled top-level window of the test's own, in the screen's lower right corner, clear of the
// tool's window list.
Window OpenTarget() {
    return Window(::CreateWindowExW(0, L"Static", L"E2E target", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    ::GetSystemMetrics(SM_CXSCREEN) - 260, ::GetSystemMetrics(SM_CYSCREEN) - 180, 240,
                                    160, nullptr, nullptr, nullptr, nullptr),
                  &::DestroyWindow);
}

// A control of the inspector panel; the other panels reuse some of its ids.
HWND Control(const QuilletProcess& tool, int id) {
    return ::GetDlgItem(::GetParent(tool.FindControl(IDC_WINDOW_LIST)), id);
}

int RowOf(const QuilletProcess& tool, HWND window) {
    HWND list = Control(tool, IDC_WINDOW_LIST);
    for (int row = 0, count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); row < count; ++row) {
        if (tool.ListCell(list, row, 1) == Wide(Hex(window))) return row;
    }
    return -1;
}

// Refreshes the list, clicks the window's row with the mouse and waits for the read-out to name it.
bool RefreshAndPick(const QuilletProcess& tool, HWND window) {
    if (!tool.Press(Control(tool, IDC_REFRESH_LIST))) return false;
    const int row = RowOf(tool, window);
    const RECT rect = tool.ListRowOnScreen(Control(tool, IDC_WINDOW_LIST), row);
    return row >= 0 && e2e::ClickAt({rect.left + 20, (rect.top + rect.bottom) / 2}) &&
           testsupport::PumpUntil(
               [&] { return tool.Text(Control(tool, IDC_SELECTED_HANDLE)) == Wide(Hex(window)); }, 10000);
}

#if !QUILLET_E2E_FAKE_DWM

// Wine's stub: E_NOTIMPL for the attribute queries and blur-behind, success for the setters.
const std::wstring kNotImplemented = L" Error HRESULT=0x80004001";

TEST(InspectorAgainstWinesDwm, ListsANewWindowAfterARefreshAndReadsItOutWhenItsRowIsClicked) {
    QuilletProcess tool;
    ASSERT_NE(tool.MainWindow(), nullptr);
    const Window target = OpenTarget();
    EXPECT_EQ(RowOf(tool, target.get()), -1) << "listed before the list was refreshed";

    ASSERT_TRUE(RefreshAndPick(tool, target.get()));
    EXPECT_EQ(tool.ListCell(Control(tool, IDC_WINDOW_LIST), RowOf(tool, target.get()), 0), L"E2E target");
    const RECT rect = WindowRect(target.get());
    wchar_t rectText[64];
    std::swprintf(rectText, 64, L" t=%d, b=%d, l=%d, r=%d", static_cast<int>(rect.top), static_cast<int>(rect.bottom),
                  static_cast<int>(rect.left), static_cast<int>(rect.right));
    EXPECT_EQ(tool.Text(Control(tool, IDC_WINDOW_RECT)), rectText);
    EXPECT_EQ(tool.LogLines(), (Lines{L"START Velmora", L"IsNCRenderingEnabled()" + kNotImplemented,
                                      L"GetCaptionButtonBounds()" + kNotImplemented,
                                      L"GetExtendedFrameBounds()" + kNotImplemented}));
}

TEST(InspectorAgainstWinesDwm, OperationsLogWhatTheDwmAnswersAndADeadWindowGetsOnlyTheMessageBox) {
    QuilletProcess tool;
    ASSERT_NE(tool.MainWindow(), nullptr);
    Window target = OpenTarget();
    ASSERT_TRUE(RefreshAndPick(tool, target.get()));
    Lines log = tool.LogLines();

    const int margins[] = {IDC_MARGIN_TOP, IDC_MARGIN_BOTTOM, IDC_MARGIN_LEFT, IDC_MARGIN_RIGHT};
    for (int i = 0; i < 4; ++i) {
        const std::wstring typed = std::to_wstring(10 * i + 10);
        ::SendMessageW(Control(tool, margins[i]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
    }
    for (int id : {IDC_NC_RENDERING_DISABLE, IDC_ALLOW_NC_PAINT_TRUE, IDC_EXTEND_FRAME_ALL, IDC_EXTEND_FRAME_MARGINS,
                   IDC_BLUR_EXEC}) {
        ASSERT_TRUE(tool.Press(Control(tool, id))) << id;
    }
    log.insert(log.end(), {L"DisableNCRendering() Exec OK ", L"AllowNcPaint(TRUE) Exec OK ",
                           L"ExtendFrameIntoALLClientArea() Exec OK ",
                           L"ExtendFrameIntoClientAreaMargins(t=10, b=20, l=30, r=40) Exec OK ",
                           L"EnableBlurBehindWindow()" + kNotImplemented});
    EXPECT_EQ(tool.LogLines(), log);

    // The inspected window goes; the button's handler then waits inside its message box.
    target.reset();
    ASSERT_TRUE(::PostMessageW(Control(tool, IDC_NC_RENDERING_ENABLE), BM_CLICK, 0, 0));
    const HWND box = tool.WaitForTopLevel(L"Quillet", nullptr, 10000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(tool.Text(::GetDlgItem(box, 0xFFFF)), L"選択中のウィンドウは現在無効な状態です.");
    ASSERT_TRUE(tool.Press(::GetDlgItem(box, IDOK)));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindow(box); }, 10000));

    ASSERT_TRUE(tool.Press(Control(tool, IDC_REFRESH_ATTRIBUTES)));
    EXPECT_EQ(tool.Text(Control(tool, IDC_SELECTED_HANDLE)), L"Not Alive");
    EXPECT_EQ(tool.LogLines(), log);
}

#else  // against the fake DWM

// The fake's extended frame bounds: the window rectangle less 7 pixels left, right and below.
RECT VisibleBounds(HWND window) {
    const RECT rect = WindowRect(window);
    return RECT{rect.left + 7, rect.top, rect.right - 7, rect.bottom - 7};
}

TEST(ThumbnailWithFakeDwm, ShowsThePickedWindowDockedBesideTheToolAndIsReleasedAtExit) {
    const std::wstring journal = e2e::ScratchPath(L"inspector-journal.txt");
    ::DeleteFileW(journal.c_str());
    const Window target = OpenTarget();
    QuilletProcess tool(e2e::Environment{{L"FAKE_DWM_JOURNAL", journal}});
    ASSERT_NE(tool.MainWindow(), nullptr);
    ASSERT_TRUE(RefreshAndPick(tool, target.get()));
    const HWND showBox = Control(tool, IDC_SHOW_THUMBNAIL);
    ASSERT_TRUE(tool.Press(Control(tool, IDC_REGISTER_THUMBNAIL)));
    ASSERT_TRUE(tool.Press(showBox));
    const HWND thumbnail = tool.WaitForTopLevel(L"DWM-Thumbnail", nullptr, 10000);
    ASSERT_NE(thumbnail, nullptr);

    const HWND dialog = tool.MainWindow();
    ASSERT_TRUE(::SetWindowPos(dialog, nullptr, 20, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    testsupport::PumpUntil([&] { return VisibleBounds(thumbnail).left == VisibleBounds(dialog).right; }, 10000);
    EXPECT_EQ(WindowRect(dialog).left, 20);
    EXPECT_EQ(VisibleBounds(thumbnail).left, VisibleBounds(dialog).right);
    EXPECT_EQ(VisibleBounds(thumbnail).top, VisibleBounds(dialog).top);

    ASSERT_TRUE(::PostMessageW(thumbnail, WM_CLOSE, 0, 0));
    EXPECT_TRUE(testsupport::PumpUntil(
        [&] { return !::IsWindowVisible(thumbnail) && ::SendMessageW(showBox, BM_GETCHECK, 0, 0) == BST_UNCHECKED; },
        10000));
    ASSERT_TRUE(tool.Press(showBox));
    // Esc pressed in the thumbnail window closes it too, though the main dialog's modal loop runs.
    RECT client{};
    ::GetClientRect(thumbnail, &client);
    ::MapWindowPoints(thumbnail, nullptr, reinterpret_cast<POINT*>(&client), 2);
    ASSERT_TRUE(e2e::ClickAt(POINT{(client.left + client.right) / 2, (client.top + client.bottom) / 2}));
    INPUT esc[2] = {};
    esc[0].type = esc[1].type = INPUT_KEYBOARD;
    esc[0].ki.wVk = esc[1].ki.wVk = VK_ESCAPE;
    esc[1].ki.dwFlags = KEYEVENTF_KEYUP;
    testsupport::PumpMessages(300);
    ASSERT_EQ(::SendInput(2, esc, sizeof(INPUT)), 2u);
    EXPECT_TRUE(testsupport::PumpUntil(
        [&] { return !::IsWindowVisible(thumbnail) && ::SendMessageW(showBox, BM_GETCHECK, 0, 0) == BST_UNCHECKED; },
        10000));
    ASSERT_TRUE(tool.Press(showBox));
    EXPECT_TRUE(::IsWindowVisible(thumbnail)) << "shown again, still registered, when the tool closes";
    DWORD exitCode = 1;
    ASSERT_TRUE(tool.Close(15000, &exitCode));
    EXPECT_EQ(exitCode, 0u);

    // The handle the fake gave out shows first in the properties update that follows the registration.
    std::vector<std::string> calls;
    for (const std::string& line : e2e::ReadLines(journal)) {
        if (line.find("Thumbnail") != std::string::npos) calls.push_back(line.substr(0, line.find(" flags=")));
    }
    ::DeleteFileW(journal.c_str());
    ASSERT_GE(calls.size(), 2u);
    const std::string handle = calls[1].substr(calls[1].find('=') + 1);
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "DwmRegisterThumbnail destination=" + Hex(thumbnail) + " source=" + Hex(target.get()),
                         "DwmUpdateThumbnailProperties thumbnail=" + handle,
                         "DwmUnregisterThumbnail thumbnail=" + handle}));
}

#endif

}  // namespace
