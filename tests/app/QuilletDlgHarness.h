#pragma once
// The real main dialog, created modelessly so that a test can talk to it between messages.
#include <string>
#include <vector>

#include "app/QuilletDlg.h"
#include "res/resource.h"

class MainDialogHarness {
public:
    MainDialogHarness() { m_created = m_dialog.Create(nullptr) != FALSE; }

    bool Created() const { return m_created; }
    HWND Window() const { return m_dialog.m_hWnd; }
    CQuilletDlg& Dialog() { return m_dialog; }

    std::vector<std::wstring> LogLines() const {
        std::vector<std::wstring> lines;
        HWND list = ::GetDlgItem(m_dialog.LogPanelWindow(), IDC_LOG_LIST);
        const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t buffer[512] = {};
            ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer));
            lines.emplace_back(buffer);
        }
        return lines;
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
