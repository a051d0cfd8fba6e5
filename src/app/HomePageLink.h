#pragma once
// The maker's home page, opened by the SysLink controls of the main window and the About box.
#include <windows.h>

// The maker is not a real company: the reserved .example domain reaches no third party.
inline constexpr wchar_t kHomePageUrl[] = L"http://www.brisklane.example/toppage/";

// Opens the home page through the shell with `owner` as the owning window; the shell's result is ignored.
void OpenHomePage(HWND owner);

// The one NM_CLICK handler of both dialogs' SysLink controls: a dialog derives from it and lists
// &Dialog::OnClickHomePageLink in its message table, so both links behave alike.
template <class Dialog>
class HomePageLinkHandler {
public:
    // The clicked dialog owns whatever the shell shows; the control is told 0.
    LRESULT OnClickHomePageLink(const NMHDR&) {
        OpenHomePage(static_cast<Dialog*>(this)->m_hWnd);
        return 0;
    }

protected:
    HomePageLinkHandler() = default;
    ~HomePageLinkHandler() = default;
};

namespace app::testing {
using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
// Replaces ShellExecuteW so that tests never start a browser; nullptr restores it.
void SetShellExecute(ShellExecuteFunction function);
}  // namespace app::testing
