#pragma once
// The real main dialog, created modelessly so that a test can talk to it between messages.
#include <string>
#include <vector>

#include "app/QuilletDlg.h"
#include "res/resource.h"
#include "support/WindowTestSupport.h"

class MainDialogHarness {
public:
    MainDialogHarness() { m_created = m_dialog.Create(nullptr) != FALSE; }

    bool Created() const { return m_created; }
    HWND Window() const { return m_dialog.m_hWnd; }
    CQuilletDlg& Dialog() { return m_dialog; }

    std::vector<std::wstring> LogLines() const {
        return testsupport::ListBoxLines(::GetDlgItem(m_dialog.LogPanelWindow(), IDC_LOG_LIST));
    }
    std::wstring LastLine() const {
        const auto lines = LogLines();
        return lines.empty() ? std::wstring() : lines.back();
    }
    std::wstring Notify(UINT message, WPARAM wParam, LPARAM lParam) {
        ::SendMessageW(Window(), message, wParam, lParam);
        return LastLine();
    }

private:
    CQuilletDlg m_dialog;
    bool m_created = false;
};
