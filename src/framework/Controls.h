#pragma once
// Thin wrappers over the common controls the panels use; they do not own their windows.
#include <windows.h>
#include <commctrl.h>

#include <string>

class CWndControl {
public:
    void Attach(HWND control) { m_hWnd = control; }
    HWND GetSafeHwnd() const { return m_hWnd; }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }

    HWND m_hWnd = nullptr;
};

namespace fw {
// A length given in pixels at 96 DPI, in the pixels of the window's DPI.
int ScaleToDpi(HWND window, int pixelsAt96Dpi);
}  // namespace fw

class CListBox : public CWndControl {
public:
    int AddString(const std::wstring& text) const;
    int DeleteString(UINT index) const;
    int GetCount() const;
    int SetTopIndex(int index) const;
    int GetTopIndex() const;
    std::wstring GetText(int index) const;
    void ResetContent() const;
};

class CListCtrl : public CWndControl {
public:
    DWORD SetExtendedStyle(DWORD style) const;
    int InsertColumn(int column, const std::wstring& heading, int format, int width) const;
    int InsertItem(int item, const std::wstring& text) const;
    BOOL SetItemText(int item, int subItem, const std::wstring& text) const;
    std::wstring GetItemText(int item, int subItem) const;
    BOOL DeleteAllItems() const;
    int GetItemCount() const;
    int GetSelectionMark() const;
    int SetSelectionMark(int item) const;
    int SetHotItem(int item) const;
    BOOL EnsureVisible(int item, BOOL partialOk) const;
    BOOL SetItemState(int item, UINT state, UINT mask) const;
};
