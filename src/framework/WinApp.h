#pragma once
// The application object and the application's message box.
#include <windows.h>

#include <string>

class CDialog;

class CWinAppEx {
public:
    CWinAppEx();
    virtual ~CWinAppEx();
    CWinAppEx(const CWinAppEx&) = delete;
    CWinAppEx& operator=(const CWinAppEx&) = delete;

    // Runs the program; FALSE ends the process without a message loop of the framework's.
    virtual BOOL InitInstance();
    virtual int ExitInstance() { return 0; }

    void EnableControlContainer() {}
    // Only remembered: the program reads and writes nothing under it.
    void SetRegistryKey(const wchar_t* key) { m_strRegistryKey = key; }
    const std::wstring& GetRegistryKey() const { return m_strRegistryKey; }

    // The executable's name without extension.
    const std::wstring& GetAppName() const { return m_strAppName; }
    HWND MainWindow() const;

    CDialog* m_pMainWnd = nullptr;

private:
    std::wstring m_strAppName;
    std::wstring m_strRegistryKey;
};

// The one application object, or null before it is constructed.
CWinAppEx* AfxGetApp();

// The program's one message box: the text, OK, the warning icon and the application's name, modal.
int AfxMessageBox(const std::wstring& text);

// The body of wWinMain.
int AfxWinMain();
