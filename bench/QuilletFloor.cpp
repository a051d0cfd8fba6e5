// The floor the tool is measured against: the least a plain Win32 program does for the same
// result. One modal dialog of the main dialog's size (start floor); button 1004 lists the
// visible, titled top-level windows into a report list (enumeration floor); each
// WM_DWMNCRENDERINGCHANGED adds one line to a list box capped at 200 lines (log floor).
#include <windows.h>
#include <commctrl.h>

#include <cwchar>

#include "BareWindowList.h"

namespace {
constexpr int kLogList = 1000;
constexpr int kRefresh = 1004;
constexpr int kWindowList = 1010;
constexpr int kMaxLines = 200;
constexpr wchar_t kLine[] = L"WM_NCRENDERINGCHANGED recieve isRenderring = TRUE";

void RefillWindowList(HWND list) {
    bench::Rows rows = bench::ListWindows();
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < rows.size(); ++i) {
        wchar_t handle[16];
        std::swprintf(handle, 16, L"0x%08x", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(rows[i].second)));
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = rows[i].first.data();
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = handle;
        ::SendMessageW(list, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 2;
        item.pszText = const_cast<wchar_t*>(L"");
        ::SendMessageW(list, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

void AddLine(HWND list) {
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kLine));
    LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (count > kMaxLines) count = ::SendMessageW(list, LB_DELETESTRING, 0, 0);
    ::SendMessageW(list, LB_SETTOPINDEX, count - 1, 0);
}

void AddColumn(HWND list, int column, const wchar_t* heading, int width) {
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    info.fmt = LVCFMT_LEFT;
    info.cx = width;
    info.pszText = const_cast<wchar_t*>(heading);
    ::SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&info));
}

INT_PTR CALLBACK FloorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        HWND list = ::GetDlgItem(dialog, kWindowList);
        ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
        AddColumn(list, 0, L"Title", 200);
        AddColumn(list, 1, L"WinHandle", 100);
        AddColumn(list, 2, L"", 10);
        RefillWindowList(list);
        return TRUE;
    }
    case WM_DWMNCRENDERINGCHANGED:
        AddLine(::GetDlgItem(dialog, kLogList));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == kRefresh) RefillWindowList(::GetDlgItem(dialog, kWindowList));
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) ::EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    return static_cast<int>(::DialogBoxParamW(instance, MAKEINTRESOURCEW(100), nullptr, FloorProc, 0));
}
