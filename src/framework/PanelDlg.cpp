#include "framework/PanelDlg.h"

#include <algorithm>

HBRUSH CPanelDlg::OnCtlColor(HDC dc, HWND control, UINT kind) {
    const HBRUSH defaultBrush = reinterpret_cast<HBRUSH>(Default());
    switch (kind) {
    case CTLCOLOR_DLG:
    case CTLCOLOR_BTN:
        return m_brBackground.get();
    case CTLCOLOR_STATIC: {
        const int id = ::GetDlgCtrlID(control);
        if (std::find(m_transparentIds.begin(), m_transparentIds.end(), id) == m_transparentIds.end()) break;
        ::SetBkMode(dc, TRANSPARENT);
        return m_brBackground.get();
    }
    default:
        break;
    }
    return defaultBrush;
}
