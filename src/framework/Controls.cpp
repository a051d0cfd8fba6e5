#include "framework/Controls.h"

#include <vector>

namespace fw {

int ScaleToDpi(HWND window, int pixelsAt96Dpi) {
    // GetDpiForWindow exists from Windows 10 on; before it, the system DPI is every window's.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    int dpi = getDpiForWindow != nullptr ? static_cast<int>(getDpiForWindow(window)) : 0;
    if (dpi <= 0) {
        HDC dc = ::GetDC(window);
        dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
        ::ReleaseDC(window, dc);
    }
    return dpi > 0 ? ::MulDiv(pixelsAt96Dpi, dpi, 96) : pixelsAt96Dpi;
}

}  // namespace fw

int CListBox::AddString(const std::wstring& text) const {
    return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}
int CListBox::DeleteString(UINT index) const { return static_cast<int>(Send(LB_DELETESTRING, index)); }
int CListBox::GetCount() const { return static_cast<int>(Send(LB_GETCOUNT)); }
int CListBox::SetTopIndex(int index) const { return static_cast<int>(Send(LB_SETTOPINDEX, index)); }
int CListBox::GetTopIndex() const { return static_cast<int>(Send(LB_GETTOPINDEX)); }
void CListBox::ResetContent() const { Send(LB_RESETCONTENT); }

std::wstring CListBox::GetText(int index) const {
    const LRESULT length = Send(LB_GETTEXTLEN, index);
    if (length == LB_ERR || length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = Send(LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

DWORD CListCtrl::SetExtendedStyle(DWORD style) const {
    return static_cast<DWORD>(Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style));
}

int CListCtrl::InsertColumn(int column, const std::wstring& heading, int format, int width) const {
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    info.fmt = format;
    info.cx = width;
    info.pszText = const_cast<wchar_t*>(heading.c_str());
    return static_cast<int>(Send(LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&info)));
}

int CListCtrl::InsertItem(int item, const std::wstring& text) const {
    LVITEMW info{};
    info.mask = LVIF_TEXT;
    info.iItem = item;
    info.pszText = const_cast<wchar_t*>(text.c_str());
    return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&info)));
}

BOOL CListCtrl::SetItemText(int item, int subItem, const std::wstring& text) const {
    LVITEMW info{};
    info.iSubItem = subItem;
    info.pszText = const_cast<wchar_t*>(text.c_str());
    return static_cast<BOOL>(Send(LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&info)));
}

std::wstring CListCtrl::GetItemText(int item, int subItem) const {
    // The control copies at most the buffer's size and says how much it copied; grow until it fits.
    for (size_t capacity = 256; capacity <= (1u << 16); capacity *= 4) {
        std::vector<wchar_t> buffer(capacity, L'\0');
        LVITEMW info{};
        info.iSubItem = subItem;
        info.pszText = buffer.data();
        info.cchTextMax = static_cast<int>(capacity);
        const LRESULT copied = Send(LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&info));
        if (copied < static_cast<LRESULT>(capacity) - 1) return std::wstring(buffer.data(), static_cast<size_t>(copied));
    }
    return std::wstring();
}

BOOL CListCtrl::DeleteAllItems() const { return static_cast<BOOL>(Send(LVM_DELETEALLITEMS)); }
int CListCtrl::GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
int CListCtrl::GetSelectionMark() const { return static_cast<int>(Send(LVM_GETSELECTIONMARK)); }
int CListCtrl::SetSelectionMark(int item) const { return static_cast<int>(Send(LVM_SETSELECTIONMARK, 0, item)); }
int CListCtrl::SetHotItem(int item) const { return static_cast<int>(Send(LVM_SETHOTITEM, item)); }
BOOL CListCtrl::EnsureVisible(int item, BOOL partialOk) const {
    return static_cast<BOOL>(Send(LVM_ENSUREVISIBLE, item, partialOk));
}
BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) const {
    LVITEMW info{};
    info.state = state;
    info.stateMask = mask;
    return static_cast<BOOL>(Send(LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&info)));
}
