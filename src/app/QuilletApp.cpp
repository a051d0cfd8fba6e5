#include "app/QuilletApp.h"

#include <commctrl.h>

#include "app/QuilletDlg.h"

BOOL CQuilletApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    CWinAppEx::InitInstance();
    EnableControlContainer();
    SetRegistryKey(L"アプリケーション ウィザードで生成されたローカル アプリケーション");

    CQuilletDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;

    // The program ends here instead of running a message loop of its own.
    return FALSE;
}
