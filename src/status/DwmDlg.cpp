#include "status/DwmDlg.h"

#include <cwchar>
#include <iterator>

#include "dwm/DwmCalls.h"
#include "framework/DataExchange.h"
#include "framework/Text.h"
#include "res/resource.h"
#include "status/StatusTesting.h"

namespace {

constexpr int kTransparentIds[] = {IDC_OS_VERSION_LABEL, IDC_AUTO_REFRESH};

status::testing::VersionQuery g_versionQuery = nullptr;

BOOL QueryVersion(OSVERSIONINFOW* info) {
    if (g_versionQuery != nullptr) return g_versionQuery(info);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // deprecated: the panel shows the version the system reports, shims included
#endif
    return ::GetVersionExW(info);
}

std::wstring Hresult(const wchar_t* format, HRESULT hr) { return fw::Format(format, fw::Low32(hr)); }

}  // namespace

namespace status::testing {
void SetVersionQuery(VersionQuery query) { g_versionQuery = query; }
}  // namespace status::testing

CDwmDlg::CDwmDlg() : CPanelDlg(IDD_DWM, kTransparentIds) {}

BOOL CDwmDlg::DestroyWindow() {
    if (m_hWnd != nullptr) ::KillTimer(m_hWnd, kRefreshTimerId);
    return CPanelDlg::DestroyWindow();
}

void CDwmDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Text(dx, IDC_OS_VERSION, m_strOsVersion);
    DDX_Check(dx, IDC_AUTO_REFRESH, m_bAutoRefresh);
    DDX_Text(dx, IDC_COMPOSITION_STATE, m_strCompositionState);
    DDX_Text(dx, IDC_COLORIZATION, m_strColorization);
}

std::optional<LRESULT> CDwmDlg::OnMessageTable(UINT message, WPARAM wParam, LPARAM lParam) {
    using Map = fw::MessageMap<CDwmDlg>;
    static const Map::Entry kMessages[] = {
        Map::CtlColor(&CDwmDlg::OnCtlColor),
        Map::Timer(&CDwmDlg::OnTimer),
        Map::Clicked(IDC_REFRESH_STATUS, &CDwmDlg::OnRefreshStatus),
        Map::Clicked(IDC_COMPOSITION_ENABLE, &CDwmDlg::OnCompositionEnable),
        Map::Clicked(IDC_COMPOSITION_DISABLE, &CDwmDlg::OnCompositionDisable),
    };
    return Map::Dispatch(*this, kMessages, message, wParam, lParam);
}

BOOL CDwmDlg::OnInitDialog() {
    CPanelDlg::OnInitDialog();
    ShowOsVersion();
    ShowCompositionState(TRUE);
    ShowColorization(TRUE);
    ::SetTimer(m_hWnd, kRefreshTimerId, kRefreshPeriodMs, nullptr);
    return TRUE;
}

void CDwmDlg::WriteLog(const std::wstring& line) { WriteLogTo(m_pLogDlg, line); }

void CDwmDlg::ShowOsVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!QueryVersion(&info)) {
        // A failed query shows zeros and no CSD text, whatever it left in the record.
        info = {};
    }
    // The CSD text is read only within its 128 units, terminated or not.
    const std::wstring csd(info.szCSDVersion, ::wcsnlen(info.szCSDVersion, std::size(info.szCSDVersion)));
    m_strOsVersion = fw::Format(L" MajorVersion=%d, MinorVersion=%d, BuildNuber=%d, PlatformId=%d CSDVersion=%ls",
                                static_cast<int>(info.dwMajorVersion), static_cast<int>(info.dwMinorVersion),
                                static_cast<int>(info.dwBuildNumber), static_cast<int>(info.dwPlatformId),
                                csd.c_str());
    UpdateData(FALSE);
}

void CDwmDlg::ShowCompositionState(BOOL quiet) {
    BOOL enabled = FALSE;
    const HRESULT hr = IsCompositionEnabled(&enabled);
    if (hr >= 0) {
        m_strCompositionState = enabled == TRUE ? L"Enable" : L"Disable";
        UpdateData(FALSE);
        return;
    }
    m_strCompositionState = L"unknown";
    // Quietly, the text reaches the control through ShowColorization, which always follows.
    if (!quiet) {
        WriteLog(Hresult(L"DwmIsCompositionEnabled() Error HRESULT=0x%08x", hr));
        UpdateData(FALSE);
    }
}

void CDwmDlg::ShowColorization(BOOL quiet) {
    BOOL enabled = FALSE;
    IsCompositionEnabled(&enabled);  // a failure leaves FALSE: no colour to show
    if (enabled == FALSE) {
        m_strColorization.clear();
        UpdateData(FALSE);
        return;
    }
    DWORD colour = 0;
    BOOL opaque = FALSE;
    const HRESULT hr = GetColorizationColor(&colour, &opaque);
    if (hr < 0) {
        m_strColorization.clear();
        UpdateData(FALSE);
        if (!quiet) WriteLog(Hresult(L"GetColorizationColor() HRESUST=0x%08x", hr));
        return;
    }
    // 0xAARRGGBB
    const int alpha = static_cast<int>((colour >> 24) & 0xFF);
    const int red = static_cast<int>((colour >> 16) & 0xFF);
    const int green = static_cast<int>((colour >> 8) & 0xFF);
    const int blue = static_cast<int>(colour & 0xFF);
    m_strColorization = fw::Format(L"alpha=%d, R=%d, G=%d, B=%d, opaque blend=%ls", alpha, red, green, blue,
                                   opaque == TRUE ? L"TRUE" : L"FALSE");
    UpdateData(FALSE);
}

void CDwmDlg::OnTimer(UINT_PTR timerId) {
    if (timerId == kRefreshTimerId) {
        // The check box has no handler: its state reaches m_bAutoRefresh here.
        UpdateData(TRUE);
        if (m_bAutoRefresh != FALSE) {
            ShowCompositionState(TRUE);
            ShowColorization(TRUE);
        }
    }
    Default();
}

void CDwmDlg::OnRefreshStatus() {
    // Writing the read-outs also writes m_bAutoRefresh to the check box: take the box's
    // current state first, or a change made since the last tick would be undone.
    UpdateData(TRUE);
    ShowCompositionState(FALSE);
    ShowColorization(FALSE);
}

void CDwmDlg::OnCompositionEnable() {
    const HRESULT hr = CompositionEnable();
    if (hr < 0) WriteLog(Hresult(L"CompositionEnable() HRESUST=0x%08x", hr));
}

void CDwmDlg::OnCompositionDisable() {
    const HRESULT hr = CompositionDisable();
    if (hr < 0) WriteLog(Hresult(L"CompositionDisable() HRESUST=0x%08x", hr));
}
