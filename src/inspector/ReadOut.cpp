// The five read-outs of the inspected window and the clicks that run them.
#include "inspector/ControlDlg.h"

#include "dwm/DwmCalls.h"
#include "framework/Text.h"
#include "res/resource.h"

namespace {
const wchar_t kNotAlive[] = L"Not Alive";
const wchar_t kBoundsNotAlive[] = L" Not Alive";
const wchar_t kError[] = L"Error";
const wchar_t kBoundsError[] = L" Error";
const wchar_t kEnable[] = L"Enable";
const wchar_t kDisable[] = L"Disable";
const wchar_t kNcRenderingFailure[] = L"IsNCRenderingEnabled() Error HRESULT=0x%08x";
const wchar_t kCaptionButtonBoundsFailure[] = L"GetCaptionButtonBounds() Error HRESULT=0x%08x";
const wchar_t kExtendedFrameBoundsFailure[] = L"GetExtendedFrameBounds() Error HRESULT=0x%08x";
}  // namespace

std::wstring RectText(const RECT& rect) {
    return fw::Format(L" t=%d, b=%d, l=%d, r=%d", static_cast<int>(rect.top), static_cast<int>(rect.bottom),
                      static_cast<int>(rect.left), static_cast<int>(rect.right));
}

LRESULT CControlDlg::OnClickWindowList(const NMHDR&) {
    const int mark = m_listWindows.GetSelectionMark();
    if (mark < 0 || static_cast<size_t>(mark) >= m_windowEntries.size()) return 0;
    m_hSelectedWnd = m_windowEntries[static_cast<size_t>(mark)].hWnd;
    // The read-outs write every member back to its control; "registWindow" must count as the
    // box shows it, also when a click on it was refused because the inspected window was gone.
    m_bRegisterThumbnail = ::IsDlgButtonChecked(m_hWnd, IDC_REGISTER_THUMBNAIL) == BST_CHECKED ? 1 : 0;
    RefreshAttributes();
    OnRegisterThumbnail();
    return 0;
}

void CControlDlg::OnRefreshAttributes() { RefreshAttributes(); }

void CControlDlg::RefreshAttributes() {
    ShowSelectedHandle();
    ShowNcRendering();
    ShowCaptionButtonBounds();
    ShowExtendedFrameBounds();
    ShowWindowRect();
}

void CControlDlg::ShowSelectedHandle() {
    m_strSelectedHandle = ::IsWindow(m_hSelectedWnd) ? fw::Format(L"0x%08x", fw::Low32(m_hSelectedWnd)) : kNotAlive;
    UpdateData(FALSE);
}

void CControlDlg::ShowNcRendering() {
    if (!::IsWindow(m_hSelectedWnd)) {
        m_strNcRendering = kNotAlive;
        UpdateData(FALSE);
        return;
    }
    BOOL enabled = 0;
    const HRESULT hr = IsNCRenderingEnabled(m_hSelectedWnd, &enabled);
    m_strNcRendering = hr >= 0 ? (enabled == 1 ? kEnable : kDisable) : kError;
    UpdateData(FALSE);
    if (hr < 0) WriteLog(fw::Format(kNcRenderingFailure, fw::Low32(hr)));
}

namespace {
using BoundsQuery = HRESULT (*)(HWND, RECT*);

// The two DWM rectangles share their steps: alive test, query, text, then the failure line.
std::wstring BoundsText(HWND window, BoundsQuery query, HRESULT* hr) {
    *hr = S_OK;
    if (!::IsWindow(window)) return kBoundsNotAlive;
    RECT bounds{};
    *hr = query(window, &bounds);
    return *hr >= 0 ? RectText(bounds) : kBoundsError;
}
}  // namespace

void CControlDlg::ShowCaptionButtonBounds() {
    HRESULT hr = S_OK;
    m_strCaptionButtonBounds = BoundsText(m_hSelectedWnd, &GetCaptionButtonBounds, &hr);
    UpdateData(FALSE);
    if (hr < 0) WriteLog(fw::Format(kCaptionButtonBoundsFailure, fw::Low32(hr)));
}

void CControlDlg::ShowExtendedFrameBounds() {
    HRESULT hr = S_OK;
    m_strExtendedFrameBounds = BoundsText(m_hSelectedWnd, &GetExtendedFrameBounds, &hr);
    UpdateData(FALSE);
    if (hr < 0) WriteLog(fw::Format(kExtendedFrameBoundsFailure, fw::Low32(hr)));
}

void CControlDlg::ShowWindowRect() {
    RECT rect{};
    // A window that dies after the alive test is still shown as gone, never as a made-up rectangle.
    const bool alive = ::IsWindow(m_hSelectedWnd) && ::GetWindowRect(m_hSelectedWnd, &rect);
    m_strWindowRect = alive ? RectText(rect) : kBoundsNotAlive;
    UpdateData(FALSE);
}
