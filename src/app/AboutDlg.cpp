#include "app/AboutDlg.h"

#include <commctrl.h>

#include "app/VersionText.h"
#include "framework/DataExchange.h"
#include "framework/Text.h"
#include "res/resource.h"

namespace {
// The product name, the version text with "," shown as "-" and ";" as ".", and a trailing blank.
std::wstring AboutVersionLine(const wchar_t* versionText) {
    std::wstring version = fw::ReplaceAll(versionText, L",", L"-");
    version = fw::ReplaceAll(std::move(version), L";", L".");
    // The second value is empty on purpose: it leaves the line with one trailing blank.
    return fw::Format(L"Velmora %ls %ls", version.c_str(), L"");
}
}  // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

std::optional<LRESULT> CAboutDlg::OnMessageTable(UINT message, WPARAM wParam, LPARAM lParam) {
    using Map = fw::MessageMap<CAboutDlg>;
    static const Map::Entry kMessages[] = {
        Map::Notify(IDC_HOMEPAGE_LINK, NM_CLICK, &CAboutDlg::OnClickHomePageLink),
    };
    return Map::Dispatch(*this, kMessages, message, wParam, lParam);
}

void CAboutDlg::DoDataExchange(CDataExchange& dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_VERSION_TEXT, m_strVersion);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The template's caption is not kept.
    ::SetWindowTextW(m_hWnd, L"Velmora");
    m_strVersion = AboutVersionLine(GetProductVersionText());
    UpdateData(FALSE);
    return TRUE;
}
