#pragma once
// The main window: owns the panels, wires them together, logs the DWM notifications.
#include <windows.h>

#include <string>

#include "app/HomePageLink.h"
#include "framework/Dialog.h"
#include "inspector/ControlDlg.h"
#include "log/LogDlg.h"
#include "status/DwmDlg.h"
#include "thumbnail/ThumbnailDlg.h"

class CQuilletDlg : public CDialog, public HomePageLinkHandler<CQuilletDlg> {
public:
    static constexpr UINT_PTR kPlacementTimerId = 102;
    static constexpr UINT kTimerPeriodMs = 1000;

    CQuilletDlg();

    HWND LogPanelWindow() const { return m_logDlg.m_hWnd; }
    CDwmDlg& StatusPanel() { return m_dwmDlg; }
    CLogDlg& LogPanel() { return m_logDlg; }
    CControlDlg& InspectorPanel() { return m_controlDlg; }
    CThumbnailDlg& ThumbnailWindow() { return m_thumbnailDlg; }

    // Docks the thumbnail window's visible frame to this dialog's visible right edge, tops level.
    void PlaceThumbnailWindow();

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
    CControlDlg m_controlDlg;
    CLogDlg m_logDlg;
    CThumbnailDlg m_thumbnailDlg;
};

// The log lines of the four DWM notifications, exactly as the log shows them.
std::wstring CompositionChangedLine();
std::wstring NcRenderingChangedLine(WPARAM renderingEnabled);
std::wstring ColorizationColorChangedLine(WPARAM colour, LPARAM opaqueBlend);
std::wstring WindowMaximizedChangeLine(WPARAM maximized);
