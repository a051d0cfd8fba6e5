// Sets the tool up for the documentation pictures (tools/pictures.sh), never run by the tests:
//   picture_driver main|about <ready-file> <done-file>
// "main": a sample window inspected, its thumbnail registered and shown beside the main dialog.
// "about": the About box over the main dialog. Run it with the fake DWM selected
// (WINEDLLOVERRIDES=dwmapi=n): the tool inherits the setting. Once the scene stands it writes the screen
// rectangle the picture must show to <ready-file> ("left top right bottom") and waits, pumping
// its own window, until <done-file> exists.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "QuilletProcess.h"
#include "res/resource.h"
#include "support/WindowTestSupport.h"

namespace {

HWND ChildOf(HWND parent, int id) {
    HWND found = nullptr;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr && found == nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        found = ::GetDlgCtrlID(child) == id ? child : ChildOf(child, id);
    }
    return found;
}

HWND Inspector(const e2e::QuilletProcess& tool) {
    return ::GetParent(ChildOf(tool.MainWindow(), IDC_WINDOW_LIST));
}

// Something worth a thumbnail: a captioned window with a multi-line edit full of text.
HWND MakeSample() {
    HWND sample = ::CreateWindowExW(0, L"#32770", L"Sample window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 1040, 420,
                                    300, nullptr, nullptr, nullptr, nullptr);
    HWND edit = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT",
                                  L"The Desktop Window Manager draws this window.\r\n"
                                  L"Velmora shows its live thumbnail beside the main dialog.",
                                  WS_CHILD | WS_VISIBLE | ES_MULTILINE, 10, 10, 380, 230, sample, nullptr, nullptr,
                                  nullptr);
    ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return sample;
}

RECT Union(HWND a, HWND b) {
    RECT ra{}, rb{}, both{};
    ::GetWindowRect(a, &ra);
    ::GetWindowRect(b, &rb);
    ::UnionRect(&both, &ra, &rb);
    return both;
}

bool SetUpInspection(const e2e::QuilletProcess& tool, HWND sample, HWND* thumbnail) {
    HWND inspector = Inspector(tool);
    HWND list = ChildOf(inspector, IDC_WINDOW_LIST);
    if (!tool.Press(ChildOf(inspector, IDC_REFRESH_LIST))) return false;
    wchar_t handle[16];
    std::swprintf(handle, 16, L"0x%08x", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(sample)));
    const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    int row = 0;
    while (row < rows && tool.ListCell(list, row, 1) != handle) ++row;
    if (row == rows) return false;
    const RECT bounds = tool.ListRowOnScreen(list, row);
    if (!e2e::ClickAt(POINT{bounds.left + 20, (bounds.top + bounds.bottom) / 2})) return false;
    testsupport::PumpMessages(500);
    if (!tool.Press(ChildOf(inspector, IDC_REGISTER_THUMBNAIL)) || !tool.Press(ChildOf(inspector, IDC_SHOW_THUMBNAIL))) {
        return false;
    }
    *thumbnail = tool.WaitForTopLevel(L"DWM-Thumbnail", nullptr, 5000);
    return *thumbnail != nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    const std::wstring mode = argv[1];
    HWND sample = mode == L"main" ? MakeSample() : nullptr;
    testsupport::PumpMessages(300);
    e2e::QuilletProcess tool;
    if (tool.MainWindow() == nullptr) return 3;
    RECT shown{};
    if (mode == L"main") {
        HWND thumbnail = nullptr;
        if (!SetUpInspection(tool, sample, &thumbnail)) return 4;
        // Let a timer tick dock it, and the fake paint the thumbnail from the screen.
        testsupport::PumpMessages(1500);
        ::RedrawWindow(thumbnail, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        testsupport::PumpMessages(500);
        shown = Union(tool.MainWindow(), thumbnail);
    } else {
        ::PostMessageW(tool.MainWindow(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        HWND about = tool.WaitForTopLevel(L"Velmora", tool.MainWindow(), 5000);
        if (about == nullptr) return 5;
        testsupport::PumpMessages(500);
        shown = Union(tool.MainWindow(), about);
    }
    std::ofstream(argv[2]) << shown.left << ' ' << shown.top << ' ' << shown.right << ' ' << shown.bottom << '\n';
    testsupport::PumpUntil([&] { return ::GetFileAttributesW(argv[3]) != INVALID_FILE_ATTRIBUTES; }, 60000);
    if (sample != nullptr) ::DestroyWindow(sample);
    return 0;
}
