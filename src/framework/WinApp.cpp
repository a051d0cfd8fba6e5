#include "framework/WinApp.h"

#include "framework/Dialog.h"

namespace {
CWinAppEx* g_app = nullptr;

std::wstring ModuleBaseName() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path);
    if (const size_t slash = name.find_last_of(L"\\/"); slash != std::wstring::npos) name.erase(0, slash + 1);
    if (const size_t dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.erase(dot);
    return name;
}
}  // namespace

CWinAppEx::CWinAppEx() : m_strAppName(ModuleBaseName()) { g_app = this; }

CWinAppEx::~CWinAppEx() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinAppEx::InitInstance() { return TRUE; }

HWND CWinAppEx::MainWindow() const { return m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr; }

CWinAppEx* AfxGetApp() { return g_app; }

int AfxMessageBox(const std::wstring& text) {
    CWinAppEx* app = AfxGetApp();
    HWND owner = ::GetActiveWindow();
    if (owner == nullptr && app != nullptr) owner = app->MainWindow();
    const std::wstring caption = app != nullptr ? app->GetAppName() : ModuleBaseName();
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

int AfxWinMain() {
    CWinAppEx* app = AfxGetApp();
    if (app == nullptr) return -1;
    if (!app->InitInstance()) return app->ExitInstance();
    // A program that keeps running after InitInstance would pump messages here; this one never does.
    return app->ExitInstance();
}
