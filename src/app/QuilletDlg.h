#pragma once
// The main window: owns the panels, wires them together, logs the DWM notifications.
#include <windows.h>

#include <string>

#include "app/HomePageLink.h"
#include "framework/Dialog.h"
#include "log/LogDlg.h"
#include "status/DwmDlg.h"

class CQuilletDlg : public CDialog, public HomePageLinkHandler<CQuilletDlg> {
public:
    static constexpr UINT_PTR kPlacementTimerId = 102;
    static constexpr UINT kTimerPeriodMs = 1000;

    CQuilletDlg();

    HWND LogPanelWindow() const { return m_logDlg.m_hWnd; }
    CDwmDlg& StatusPanel() { return m_dwmDlg; }
    CLogDlg& LogPanel() { return m_logDlg; }

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    std::optional<LRESULT> OnMessageTable(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void AppendAboutMenuItem();
    void CreatePanels();

    LRESULT OnSysCommand(WPARAM command, LPARAM lParam);
    void OnPaint();
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    void OnDestroy();
    LRESULT OnCompositionChanged(WPARAM, LPARAM);
    LRESULT OnNcRenderingChanged(WPARAM renderingEnabled, LPARAM);
    void OnMove();
    void OnTimer(UINT_PTR timerId);

    HICON m_hIcon = nullptr;
    CDwmDlg m_dwmDlg;
    CLogDlg m_logDlg;
};

// The log lines of the four DWM notifications, exactly as the log shows them.
std::wstring CompositionChangedLine();
std::wstring NcRenderingChangedLine(WPARAM renderingEnabled);
std::wstring ColorizationColorChangedLine(WPARAM colour, LPARAM opaqueBlend);
std::wstring WindowMaximizedChangeLine(WPARAM maximized);
