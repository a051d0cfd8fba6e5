#pragma once
// The real status panel and a real log panel side by side in a host window, driven through
// their controls the way the user drives them.
#include <windows.h>

#include <string>
#include <vector>

#include "log/LogDlg.h"
#include "res/resource.h"
#include "status/DwmDlg.h"
#include "support/WindowTestSupport.h"

class StatusPanelHarness {
public:
    StatusPanelHarness() { m_logCreated = m_log.Create(m_host.get()) != FALSE; }

    // Creates the panel and then attaches the log, as the main dialog does.
    bool Create() {
        if (!m_logCreated || !m_panel.Create(m_host.get())) return false;
        m_panel.m_pLogDlg = &m_log;
        m_panel.ShowWindow(SW_SHOW);
        return true;
    }

    CDwmDlg& Panel() { return m_panel; }
    CLogDlg& Log() { return m_log; }
    HWND Host() const { return m_host.get(); }
    HWND Item(int id) const { return ::GetDlgItem(m_panel.m_hWnd, id); }

    std::wstring OsVersion() const { return testsupport::TextOf(Item(IDC_OS_VERSION)); }
    std::wstring State() const { return testsupport::TextOf(Item(IDC_COMPOSITION_STATE)); }
    std::wstring Colorization() const { return testsupport::TextOf(Item(IDC_COLORIZATION)); }
    bool AutoRefreshTicked() const {
        return ::SendMessageW(Item(IDC_AUTO_REFRESH), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    // One tick of the refresh timer, as the system delivers it.
    void Tick() { ::SendMessageW(m_panel.m_hWnd, WM_TIMER, CDwmDlg::kRefreshTimerId, 0); }
    void Click(int id) { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }

    std::vector<std::wstring> LogLines() const {
        return testsupport::ListBoxLines(::GetDlgItem(m_log.m_hWnd, IDC_LOG_LIST));
    }

private:
    testsupport::HostWindow m_host;
    CLogDlg m_log;
    CDwmDlg m_panel;
    bool m_logCreated = false;
};

using Lines = std::vector<std::wstring>;
