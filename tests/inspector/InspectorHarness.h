#pragma once
// The real inspector beside a real log in a host window, made as the main dialog makes them
// (create, attach the log, show), driven and read through the controls.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "inspector/ControlDlg.h"
#include "log/LogDlg.h"
#include "res/resource.h"
#include "support/WindowTestSupport.h"

using Lines = std::vector<std::wstring>;
inline const std::wstring kInvalidWindow = L"選択中のウィンドウは現在無効な状態です.";
inline const Lines kNotAlive{L"Not Alive", L"Not Alive", L" Not Alive", L" Not Alive", L" Not Alive"};

inline std::wstring Hex(const void* handle) {
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08x", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(handle)));
    return text;
}

struct TopWindow {  // a top-level window of the test's own
    explicit TopWindow(const std::wstring& title, RECT r = {100, 120, 500, 420}, DWORD visible = WS_VISIBLE)
        : h(::CreateWindowExW(0, L"STATIC", title.c_str(), WS_OVERLAPPEDWINDOW | visible, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, nullptr)) {}
    ~TopWindow() { ::DestroyWindow(h); }
    HWND h;
};

struct InspectorHarness {
    InspectorHarness() { panel.m_pLogDlg = &log, panel.ShowWindow(SW_SHOW); }
    HWND Item(int id) const { return panel.GetDlgItem(id); }
    std::wstring Text(int id) const { return testsupport::TextOf(Item(id)); }
    void Click(int id) const { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }
    LRESULT List(UINT message, WPARAM w = 0, LPARAM l = 0) const {
        return ::SendMessageW(Item(IDC_WINDOW_LIST), message, w, l);
    }
    int Rows() const { return static_cast<int>(List(LVM_GETITEMCOUNT)); }
    std::wstring Cell(int row, int column) const {
        wchar_t text[512] = {};
        LVITEMW item{};
        item.iSubItem = column, item.pszText = text, item.cchTextMax = 512;
        List(LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    int RowOf(HWND window) const {
        for (int row = 0; row < Rows(); ++row)
            if (Cell(row, 1) == Hex(window)) return row;
        return -1;
    }
    void ClickList() const {  // NM_CLICK as the list sends it; the handler takes the row under the mark
        NMHDR header{Item(IDC_WINDOW_LIST), IDC_WINDOW_LIST, static_cast<UINT>(NM_CLICK)};
        ::SendMessageW(panel.m_hWnd, WM_NOTIFY, IDC_WINDOW_LIST, reinterpret_cast<LPARAM>(&header));
    }
    void ClickRow(int row) const { List(LVM_SETSELECTIONMARK, 0, row), ClickList(); }
    void Inspect(HWND window) const { Click(IDC_REFRESH_LIST), ClickRow(RowOf(window)); }
    Lines ReadOuts() const {  // handle, rendering, caption buttons, extended frame, window rectangle
        Lines texts;
        for (int id : {IDC_SELECTED_HANDLE, IDC_NC_RENDERING, IDC_CAPTION_BUTTON_BOUNDS, IDC_EXTENDED_FRAME_BOUNDS,
                       IDC_WINDOW_RECT})
            texts.push_back(Text(id));
        return texts;
    }
    Lines LogLines() const { return testsupport::ListBoxLines(log.GetDlgItem(IDC_LOG_LIST)); }
    Lines Press(int id) const {  // the log lines that pressing button id adds
        const size_t before = LogLines().size();
        Click(id);
        const Lines after = LogLines();
        return Lines(after.begin() + static_cast<std::ptrdiff_t>(before), after.end());
    }

    testsupport::HostWindow host;
    CLogDlg log;
    CControlDlg panel;
    const bool created = log.Create(host.get()) && panel.Create(host.get());
};
