#pragma once
// The About box: the icon, the product name and version, the home-page link and OK.
#include <windows.h>

#include <string>

#include "app/HomePageLink.h"
#include "framework/Dialog.h"

class CAboutDlg : public CDialog, public HomePageLinkHandler<CAboutDlg> {
public:
    CAboutDlg();

    // The text of static 1048: "Velmora ", the version text, a trailing blank.
    std::wstring m_strVersion;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    std::optional<LRESULT> OnMessageTable(UINT message, WPARAM wParam, LPARAM lParam) override;
};
