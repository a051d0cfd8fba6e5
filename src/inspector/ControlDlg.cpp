#include "inspector/ControlDlg.h"

#include "framework/DataExchange.h"
#include "log/LogDlg.h"
#include "res/resource.h"

namespace {
// Labels, frames, check boxes and radio buttons sit on the panel's grey; read-outs, edits and
// buttons keep their own colours.
constexpr int kTransparentIds[] = {
    IDC_NC_RENDERING_LABEL, IDC_CAPTION_BUTTON_BOUNDS_LABEL, IDC_EXTENDED_FRAME_BOUNDS_LABEL,
    IDC_WINDOW_RECT_LABEL, IDC_MARGINS_LABEL, IDC_BLUR_FLAGS_LABEL,
    IDC_ATTRIBUTE_GROUP, IDC_OPERATION_GROUP, IDC_NC_RENDERING_GROUP, IDC_TRANSITIONS_GROUP,
    IDC_ALLOW_NC_PAINT_GROUP, IDC_RTL_LAYOUT_GROUP, IDC_ICONIC_GROUP, IDC_FLIP3D_GROUP,
    IDC_THUMBNAIL_GROUP, IDC_EXTEND_FRAME_GROUP, IDC_BLUR_GROUP,
    IDC_SHOW_THUMBNAIL, IDC_REGISTER_THUMBNAIL, IDC_BLUR_FLAG_ENABLE, IDC_BLUR_FLAG_REGION,
    IDC_BLUR_FLAG_TRANSITION, IDC_BLUR_ENABLE, IDC_BLUR_TRANSITION_ON_MAXIMIZED,
    IDC_BLUR_SHAPE_CIRCLE, IDC_BLUR_SHAPE_NULL, IDC_BLUR_SHAPE_RECT,
};
}  // namespace

CControlDlg::CControlDlg() : CPanelDlg(IDD_CONTROL, kTransparentIds) {}

void CControlDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, IDC_WINDOW_LIST, m_listWindows);
    DDX_Text(dx, IDC_NC_RENDERING, m_strNcRendering);
    DDX_Text(dx, IDC_CAPTION_BUTTON_BOUNDS, m_strCaptionButtonBounds);
    DDX_Text(dx, IDC_EXTENDED_FRAME_BOUNDS, m_strExtendedFrameBounds);
    DDX_Text(dx, IDC_WINDOW_RECT, m_strWindowRect);
    DDX_Text(dx, IDC_SELECTED_HANDLE, m_strSelectedHandle);
    DDX_Check(dx, IDC_SHOW_THUMBNAIL, m_bShowThumbnail);
    DDX_Check(dx, IDC_REGISTER_THUMBNAIL, m_bRegisterThumbnail);
    DDX_Text(dx, IDC_MARGIN_TOP, m_nMarginTop);
    DDX_Text(dx, IDC_MARGIN_BOTTOM, m_nMarginBottom);
    DDX_Text(dx, IDC_MARGIN_LEFT, m_nMarginLeft);
    DDX_Text(dx, IDC_MARGIN_RIGHT, m_nMarginRight);
    DDX_Check(dx, IDC_BLUR_FLAG_ENABLE, m_bBlurFlagEnable);
    DDX_Check(dx, IDC_BLUR_FLAG_REGION, m_bBlurFlagRegion);
    DDX_Check(dx, IDC_BLUR_FLAG_TRANSITION, m_bBlurFlagTransition);
    DDX_Check(dx, IDC_BLUR_ENABLE, m_bBlurEnable);
    DDX_Radio(dx, IDC_BLUR_SHAPE_NULL, m_nBlurRegionShape);
    DDX_Text(dx, IDC_BLUR_SIZE, m_nBlurRegionSize);
    DDX_Check(dx, IDC_BLUR_TRANSITION_ON_MAXIMIZED, m_bBlurTransitionOnMaximized);
}

std::optional<LRESULT> CControlDlg::OnMessageTable(UINT message, WPARAM wParam, LPARAM lParam) {
    using Map = fw::MessageMap<CControlDlg>;
    static const Map::Entry kMessages[] = {
        Map::CtlColor(&CControlDlg::OnCtlColor),
        Map::Clicked(IDC_REFRESH_LIST, &CControlDlg::OnRefreshList),
        Map::Notify(IDC_WINDOW_LIST, NM_CLICK, &CControlDlg::OnClickWindowList),
        Map::Clicked(IDC_NC_RENDERING_DISABLE, &CControlDlg::OnNcRenderingDisable),
        Map::Clicked(IDC_NC_RENDERING_ENABLE, &CControlDlg::OnNcRenderingEnable),
        Map::Clicked(IDC_NC_RENDERING_USE_WINDOW_STYLE, &CControlDlg::OnNcRenderingUseWindowStyle),
        Map::Clicked(IDC_REFRESH_ATTRIBUTES, &CControlDlg::OnRefreshAttributes),
        Map::Clicked(IDC_TRANSITIONS_FORCE_DISABLED_TRUE, &CControlDlg::OnTransitionsForceDisabledTrue),
        Map::Clicked(IDC_TRANSITIONS_FORCE_DISABLED_FALSE, &CControlDlg::OnTransitionsForceDisabledFalse),
        Map::Clicked(IDC_ALLOW_NC_PAINT_TRUE, &CControlDlg::OnAllowNcPaintTrue),
        Map::Clicked(IDC_ALLOW_NC_PAINT_FALSE, &CControlDlg::OnAllowNcPaintFalse),
        Map::Clicked(IDC_RTL_LAYOUT_TRUE, &CControlDlg::OnNonclientRtlLayoutTrue),
        Map::Clicked(IDC_RTL_LAYOUT_FALSE, &CControlDlg::OnNonclientRtlLayoutFalse),
        Map::Clicked(IDC_FORCE_ICONIC_TRUE, &CControlDlg::OnForceIconicRepresentationTrue),
        Map::Clicked(IDC_FORCE_ICONIC_FALSE, &CControlDlg::OnForceIconicRepresentationFalse),
        Map::Clicked(IDC_FLIP3D_EXCLUDE_BELOW, &CControlDlg::OnFlip3DPolicyExcludeBelow),
        Map::Clicked(IDC_FLIP3D_EXCLUDE_ABOVE, &CControlDlg::OnFlip3DPolicyExcludeAbove),
        Map::Clicked(IDC_FLIP3D_DEFAULT, &CControlDlg::OnFlip3DPolicyDefault),
        Map::Clicked(IDC_SHOW_THUMBNAIL, &CControlDlg::OnShowThumbnail),
        Map::Clicked(IDC_REGISTER_THUMBNAIL, &CControlDlg::OnRegisterThumbnail),
        Map::Clicked(IDC_EXTEND_FRAME_ALL, &CControlDlg::OnExtendFrameSetAll),
        Map::Clicked(IDC_EXTEND_FRAME_RESET, &CControlDlg::OnExtendFrameReset),
        Map::Clicked(IDC_EXTEND_FRAME_MARGINS, &CControlDlg::OnExtendFrameSetMargins),
        Map::Clicked(IDC_BLUR_EXEC, &CControlDlg::OnBlurBehindExec),
    };
    return Map::Dispatch(*this, kMessages, message, wParam, lParam);
}

BOOL CControlDlg::OnInitDialog() {
    CPanelDlg::OnInitDialog();
    m_listWindows.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    // Widths in pixels at 96 DPI; the text they must hold grows with the DPI.
    m_listWindows.InsertColumn(0, L"Title", LVCFMT_LEFT, fw::ScaleToDpi(m_hWnd, 200));
    m_listWindows.InsertColumn(1, L"WinHandle", LVCFMT_LEFT, fw::ScaleToDpi(m_hWnd, 100));
    m_listWindows.InsertColumn(2, L"", LVCFMT_LEFT, fw::ScaleToDpi(m_hWnd, 10));
    RebuildWindowEntries();
    FillWindowList();
    SelectFirstWindow();
    return TRUE;
}

void CControlDlg::WriteLog(const std::wstring& line) { WriteLogTo(m_pLogDlg, line); }
