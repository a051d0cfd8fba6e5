#pragma once
// The composition status panel: operating-system version, composition state and colorization
// colour, refreshed once a second and on demand, with buttons that switch composition on and off.
#include <windows.h>

#include <string>

#include "log/LogDlg.h"
#include "framework/PanelDlg.h"

class CDwmDlg : public CPanelDlg {
public:
    static constexpr UINT_PTR kRefreshTimerId = 101;
    static constexpr UINT kRefreshPeriodMs = 1000;

    CDwmDlg();

    // Stops the refresh timer before the window goes.
    BOOL DestroyWindow() override;

    // Not owned; set by the main dialog after creation and cleared before destruction.
    CLogDlg* m_pLogDlg = nullptr;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    std::optional<LRESULT> OnMessageTable(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void WriteLog(const std::wstring& line);
    void ShowOsVersion();
    // quiet: a failure changes the read-out but writes nothing to the log.
    void ShowCompositionState(BOOL quiet);
    void ShowColorization(BOOL quiet);

    void OnTimer(UINT_PTR timerId);
    void OnRefreshStatus();
    void OnCompositionEnable();
    void OnCompositionDisable();

    std::wstring m_strOsVersion;
    BOOL m_bAutoRefresh = TRUE;
    std::wstring m_strCompositionState;
    std::wstring m_strColorization;
};
