// "Display Thumnail" and "registWindow", and the thumbnail window's report that it was hidden.
#include "inspector/ControlDlg.h"

#include "thumbnail/ThumbnailDlg.h"

void CControlDlg::OnShowThumbnail() {
    UpdateData(TRUE);
    if (m_pThumbnailDlg != nullptr) m_pThumbnailDlg->ShowWindow(m_bShowThumbnail != 0 ? SW_SHOW : SW_HIDE);
}

void CControlDlg::OnRegisterThumbnail() {
    if (!CheckSelectedWindow()) return;
    UpdateData(TRUE);
    if (m_pThumbnailDlg == nullptr) return;
    if (m_bRegisterThumbnail != 0) {
        m_pThumbnailDlg->SetSourceWindow(m_hSelectedWnd);
    } else {
        m_pThumbnailDlg->ReleaseThumbnail();
    }
}

void CControlDlg::OnThumbnailDisplayChanged(BOOL shown) {
    m_bShowThumbnail = shown;
    UpdateData(FALSE);
}
