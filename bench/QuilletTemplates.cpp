// The tool's own dialog templates, created in the order the tool creates them but with no code
// behind them: no data exchange, no DWM, no window list. What Wine charges for the user
// interface the tool is made of, against which the tool's start is measured a second time.
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

#include "res/resource.h"

namespace {
INT_PTR CALLBACK BarePanel(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

INT_PTR CALLBACK BareMain(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        ::CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_THUMBNAIL), dialog, BarePanel, 0);  // stays hidden
        for (int panel : {IDD_LOG, IDD_DWM, IDD_CONTROL}) {
            ::ShowWindow(::CreateDialogParamW(instance, MAKEINTRESOURCEW(panel), dialog, BarePanel, 0), SW_SHOW);
        }
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    return static_cast<int>(::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_QUILLET_DIALOG), nullptr, BareMain, 0));
}
