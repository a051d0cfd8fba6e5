#pragma once
// The colouring every panel shares: a grey background, grey push buttons, and a set of
// labels drawn transparently on it; read-outs, edits and lists keep the system colours.
#include <windows.h>

#include <span>

#include "framework/Dialog.h"
#include "framework/Handles.h"

constexpr COLORREF kPanelColour = RGB(200, 200, 200);

class CPanelDlg : public CDialog {
public:
    HBRUSH GetBackgroundBrush() const { return m_brBackground.get(); }

protected:
    CPanelDlg(UINT templateId, std::span<const int> transparentIds)
        : CDialog(templateId), m_transparentIds(transparentIds) {}

    // Handler for the six WM_CTLCOLOR* messages of the panels' message tables.
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);

    CBrush m_brBackground{kPanelColour};

private:
    std::span<const int> m_transparentIds;
};
