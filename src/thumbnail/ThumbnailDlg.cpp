#include "thumbnail/ThumbnailDlg.h"

#include "dwm/DwmLibrary.h"
#include "res/resource.h"

namespace {
constexpr DWORD kAllProperties = DWM_TNP_RECTDESTINATION | DWM_TNP_RECTSOURCE | DWM_TNP_OPACITY |
                                 DWM_TNP_VISIBLE | DWM_TNP_SOURCECLIENTAREAONLY;
}  // namespace

CThumbnailDlg::CThumbnailDlg() : CDialog(IDD_THUMBNAIL) {
    // A shared resource icon: the system frees it.
    m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

std::optional<LRESULT> CThumbnailDlg::OnMessageTable(UINT message, WPARAM wParam, LPARAM lParam) {
    using Map = fw::MessageMap<CThumbnailDlg>;
    static const Map::Entry kMessages[] = {
        Map::Message(WM_NCLBUTTONDOWN, &CThumbnailDlg::OnNcLButtonDown),
        Map::Message(WM_SIZE, &CThumbnailDlg::OnSize),
        Map::Message(WM_DESTROY, &CThumbnailDlg::OnDestroy),
    };
    return Map::Dispatch(*this, kMessages, message, wParam, lParam);
}

BOOL CThumbnailDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    return TRUE;
}

BOOL CThumbnailDlg::DestroyWindow() {
    ReleaseThumbnail();
    return CDialog::DestroyWindow();
}

// An owner destroys its owned windows itself, past DestroyWindow: the registration goes here too.
void CThumbnailDlg::OnDestroy() {
    ReleaseThumbnail();
    Default();
}

void CThumbnailDlg::SetSourceWindow(HWND source) {
    if (m_bRegistered != 0) {
        if (source == m_hSourceWnd) return;
        m_bRegistered = 0;
        m_hThumbnail.reset();
    }
    if (RegisterAndFit(source) < 0) return;
    m_hSourceWnd = source;
    m_bRegistered = 1;
}

void CThumbnailDlg::ReleaseThumbnail() {
    if (m_bRegistered != 1) return;
    m_bRegistered = 0;
    m_hThumbnail.reset();
}

// The source's whole visible frame, caption and borders included, over the whole client area.
HRESULT CThumbnailDlg::RegisterAndFit(HWND source) {
    HTHUMBNAIL handle = nullptr;
    const HRESULT registered = RegisterThumbnail(m_hWnd, source, &handle);
    if (registered < 0) return registered;
    // Owned from here: a registration whose first update fails is undone, not left behind.
    dwm::UniqueThumbnail thumbnail(handle);

    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    RECT bounds{};
    GetWindowBounds(source, &bounds);
    RECT window{};
    ::GetWindowRect(source, &window);

    DWM_THUMBNAIL_PROPERTIES properties{};
    properties.dwFlags = kAllProperties;
    properties.rcDestination = client;
    properties.rcSource = RECT{bounds.left - window.left, bounds.top - window.top, bounds.right - window.left,
                               bounds.bottom - window.top};
    properties.opacity = 255;
    properties.fVisible = TRUE;
    properties.fSourceClientAreaOnly = FALSE;
    const HRESULT updated = UpdateThumbnailProperties(thumbnail.get(), &properties);
    if (updated >= 0) m_hThumbnail = std::move(thumbnail);
    return updated;
}

// Enter, Esc and the close box hide the window; the registration stays for the next showing.
void CThumbnailDlg::OnOK() {
    ShowWindow(SW_HIDE);
    if (m_pListener != nullptr) m_pListener->OnThumbnailDisplayChanged(FALSE);
}

void CThumbnailDlg::OnCancel() { OnOK(); }

// A press on this caption moves the main dialog; the thumbnail window follows it there.
LRESULT CThumbnailDlg::OnNcLButtonDown(WPARAM hitTest, LPARAM) {
    if (hitTest == HTCAPTION) {
        HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
        if (owner != nullptr) ::SendMessageW(owner, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    }
    return Default();
}

void CThumbnailDlg::OnSize() {
    Default();
    if (m_bRegistered == 0) return;
    DWM_THUMBNAIL_PROPERTIES properties{};
    properties.dwFlags = DWM_TNP_RECTDESTINATION;
    ::GetClientRect(m_hWnd, &properties.rcDestination);
    // Straight to the DWM: a registration exists, so the DWM does.
    dwm::Call(dwm::kUpdateThumbnailProperties, m_hThumbnail.get(), &properties);
}
