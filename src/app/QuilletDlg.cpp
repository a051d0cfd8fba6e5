#include "app/QuilletDlg.h"

#include "app/AboutDlg.h"
#include "dwm/DwmCalls.h"
#include "framework/Text.h"
#include "res/resource.h"

namespace {
const wchar_t kStartLine[] = L"START Velmora";

const wchar_t* TrueFalse(bool value) { return value ? L"TRUE" : L"FALSE"; }
}  // namespace

std::wstring CompositionChangedLine() {
    BOOL enabled = FALSE;
    const HRESULT hr = IsCompositionEnabled(&enabled);
    const wchar_t* state = L"";
    if (SUCCEEDED(hr)) state = enabled == TRUE ? L"Composition Enable" : L"Composition Disable";
    return fw::Format(L"WM_COMPOSITIONCHANGED recieve %ls", state);
}

std::wstring NcRenderingChangedLine(WPARAM renderingEnabled) {
    return fw::Format(L"WM_NCRENDERINGCHANGED recieve isRenderring = %ls", TrueFalse(renderingEnabled != 0));
}

std::wstring ColorizationColorChangedLine(WPARAM colour, LPARAM opaqueBlend) {
    return fw::Format(L"WM_DWMCOLORIZATIONCOLORCHANGED recieve Color=0x%08x, opacityblend=%d",
                      static_cast<unsigned>(colour), static_cast<int>(opaqueBlend));
}

std::wstring WindowMaximizedChangeLine(WPARAM maximized) {
    return fw::Format(L"WM_DWMWINDOWMAXIMIZEDCHANGE recieve isMaximized = %ls", TrueFalse(maximized != 0));
}

CQuilletDlg::CQuilletDlg() : CDialog(IDD_QUILLET_DIALOG) {
    // A shared resource icon: the system frees it, the program never does.
    m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

std::optional<LRESULT> CQuilletDlg::OnMessageTable(UINT message, WPARAM wParam, LPARAM lParam) {
    using Map = fw::MessageMap<CQuilletDlg>;
    static const Map::Entry kMessages[] = {
        Map::Message(WM_SYSCOMMAND, &CQuilletDlg::OnSysCommand),
        Map::Message(WM_PAINT, &CQuilletDlg::OnPaint),
        Map::Message(WM_QUERYDRAGICON, &CQuilletDlg::OnQueryDragIcon),
        Map::Message(WM_DESTROY, &CQuilletDlg::OnDestroy),
        Map::Message(WM_DWMCOMPOSITIONCHANGED, &CQuilletDlg::OnCompositionChanged),
        Map::Message(WM_DWMNCRENDERINGCHANGED, &CQuilletDlg::OnNcRenderingChanged),
        Map::Notify(IDC_HOMEPAGE_LINK, NM_CLICK, &CQuilletDlg::OnClickHomePageLink),
        Map::Message(WM_MOVE, &CQuilletDlg::OnMove),
        Map::Timer(&CQuilletDlg::OnTimer),
    };
    return Map::Dispatch(*this, kMessages, message, wParam, lParam);
}

// These two notifications are logged before the message table sees them.
LRESULT CQuilletDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DWMCOLORIZATIONCOLORCHANGED) {
        m_logDlg.AddLogLine(ColorizationColorChangedLine(wParam, lParam));
    } else if (message == WM_DWMWINDOWMAXIMIZEDCHANGE) {
        m_logDlg.AddLogLine(WindowMaximizedChangeLine(wParam));
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

BOOL CQuilletDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AppendAboutMenuItem();
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    CreatePanels();
    m_logDlg.AddLogLine(kStartLine);
    ::SetTimer(m_hWnd, kPlacementTimerId, kTimerPeriodMs, nullptr);
    return TRUE;
}

void CQuilletDlg::AppendAboutMenuItem() {
    HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
    if (systemMenu == nullptr) return;
    const std::wstring text = fw::LoadResString(IDS_ABOUTBOX);
    if (text.empty()) return;
    ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, text.c_str());
}

// Each panel gets its links only once its own creation is over, so nothing it reports while
// it initialises reaches the log: the first line is always the start line.
void CQuilletDlg::CreatePanels() {
    m_thumbnailDlg.Create(m_hWnd);
    m_thumbnailDlg.ShowWindow(SW_HIDE);
    m_logDlg.Create(m_hWnd);
    m_logDlg.ShowWindow(SW_SHOW);
    m_dwmDlg.Create(m_hWnd);
    m_dwmDlg.m_pLogDlg = &m_logDlg;
    m_dwmDlg.ShowWindow(SW_SHOW);
    m_controlDlg.Create(m_hWnd);
    m_controlDlg.m_pLogDlg = &m_logDlg;
    m_controlDlg.m_pThumbnailDlg = &m_thumbnailDlg;
    m_thumbnailDlg.m_pListener = &m_controlDlg;
    m_controlDlg.ShowWindow(SW_SHOW);
}

void CQuilletDlg::OnDestroy() {
    Default();
    ::KillTimer(m_hWnd, kPlacementTimerId);
    // Writers are detached and destroyed before the log panel; the thumbnail window goes last.
    m_dwmDlg.m_pLogDlg = nullptr;
    m_dwmDlg.DestroyWindow();
    m_controlDlg.m_pLogDlg = nullptr;
    if (m_controlDlg.m_pThumbnailDlg != nullptr) m_controlDlg.m_pThumbnailDlg->m_pListener = nullptr;
    m_controlDlg.m_pThumbnailDlg = nullptr;
    m_controlDlg.DestroyWindow();
    m_logDlg.DestroyWindow();
    m_thumbnailDlg.DestroyWindow();
}

LRESULT CQuilletDlg::OnSysCommand(WPARAM command, LPARAM) {
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        // A fresh box for every opening; its result means nothing here.
        CAboutDlg about;
        about.DoModal();
        return 0;
    }
    return Default();
}

void CQuilletDlg::OnPaint() {
    if (!::IsIconic(m_hWnd)) {
        Default();
        return;
    }
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
}

LRESULT CQuilletDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); }

LRESULT CQuilletDlg::OnCompositionChanged(WPARAM, LPARAM) {
    m_logDlg.AddLogLine(CompositionChangedLine());
    return Default();
}

LRESULT CQuilletDlg::OnNcRenderingChanged(WPARAM renderingEnabled, LPARAM) {
    m_logDlg.AddLogLine(NcRenderingChangedLine(renderingEnabled));
    return Default();
}

void CQuilletDlg::OnMove() {
    Default();
    // A move during creation comes before the thumbnail window exists.
    if (::IsWindow(m_hWnd) && ::IsWindow(m_thumbnailDlg.m_hWnd)) PlaceThumbnailWindow();
}

// Also while hidden, so that it shows up in place.
void CQuilletDlg::OnTimer(UINT_PTR timerId) {
    if (timerId == kPlacementTimerId) PlaceThumbnailWindow();
    Default();
}

// Visible frames meet: the thumbnail window's invisible left and top borders are added back.
void CQuilletDlg::PlaceThumbnailWindow() {
    RECT main{};
    GetWindowBounds(m_hWnd, &main);
    RECT thumbnail{};
    GetWindowBounds(m_thumbnailDlg.m_hWnd, &thumbnail);
    RECT window{};
    ::GetWindowRect(m_thumbnailDlg.m_hWnd, &window);
    ::MoveWindow(m_thumbnailDlg.m_hWnd, main.right + (window.left - thumbnail.left),
                 main.top + (window.top - thumbnail.top), window.right - window.left, window.bottom - window.top,
                 TRUE);
}
