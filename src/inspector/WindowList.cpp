// Gathering the visible, titled top-level windows, filling the list with them, refreshing it.
#include "inspector/ControlDlg.h"

#include "framework/Text.h"

namespace {
const wchar_t kDesktopTitle[] = L"DESKTOP";

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
}  // namespace

std::wstring TitleFromBuffer(const wchar_t* buffer, int length) {
    if (length <= 0) return std::wstring();
    if (length > CControlDlg::kTitleBufferLength - 1) length = CControlDlg::kTitleBufferLength - 1;
    // A cut at the buffer's end may split a surrogate pair; half a character is no character.
    if (length == CControlDlg::kTitleBufferLength - 1 && IsHighSurrogate(buffer[length - 1])) --length;
    return std::wstring(buffer, static_cast<size_t>(length));
}

BOOL CALLBACK CControlDlg::EnumWindowsCallback(HWND window, LPARAM panel) {
    try {
        reinterpret_cast<CControlDlg*>(panel)->AddWindowEntry(window);
    } catch (...) {
        // Nothing may unwind into the system's enumeration; the window is simply not listed.
    }
    return TRUE;
}

void CControlDlg::AddWindowEntry(HWND window) {
    if (!::IsWindow(window) || !::IsWindowVisible(window)) return;
    wchar_t title[kTitleBufferLength] = {};
    const int length = ::GetWindowTextW(window, title, kTitleBufferLength);
    if (length <= 0) return;
    m_windowEntries.push_back(WindowEntry{TitleFromBuffer(title, length), window});
}

void CControlDlg::RebuildWindowEntries() {
    m_windowEntries.clear();
    ::EnumWindows(&CControlDlg::EnumWindowsCallback, reinterpret_cast<LPARAM>(this));
    m_windowEntries.push_back(WindowEntry{kDesktopTitle, ::GetDesktopWindow()});
}

// Selection mark, selected state, hot item and scrolled fully into view.
void CControlDlg::MarkRow(int row) {
    m_listWindows.SetSelectionMark(row);
    m_listWindows.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    m_listWindows.SetHotItem(row);
    m_listWindows.EnsureVisible(row, FALSE);
}

// The mark survives by row number, not by window: the inspected window is left as it was.
void CControlDlg::FillWindowList() {
    const int mark = m_listWindows.GetSelectionMark();
    m_listWindows.Send(WM_SETREDRAW, FALSE);
    m_listWindows.DeleteAllItems();
    for (size_t i = 0; i < m_windowEntries.size(); ++i) {
        const int row = static_cast<int>(i);
        m_listWindows.InsertItem(row, m_windowEntries[i].strTitle);
        m_listWindows.SetItemText(row, 1, fw::Format(L"0x%08x", fw::Low32(m_windowEntries[i].hWnd)));
        m_listWindows.SetItemText(row, 2, L"");
    }
    if (mark >= 0) MarkRow(mark);
    m_listWindows.Send(WM_SETREDRAW, TRUE);
}

void CControlDlg::SelectFirstWindow() {
    if (!m_windowEntries.empty()) {
        MarkRow(0);
        m_hSelectedWnd = m_windowEntries.front().hWnd;
    } else {
        m_hSelectedWnd = nullptr;
    }
    RefreshAttributes();
}

void CControlDlg::OnRefreshList() {
    RebuildWindowEntries();
    FillWindowList();
}
