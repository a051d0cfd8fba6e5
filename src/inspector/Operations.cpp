// The operations on the inspected window: the attribute buttons as one family, frame extension
// and blur-behind beside them. Each tests the window, makes one DWM call and logs one line.
#include "inspector/ControlDlg.h"

#include "dwm/BlurRegion.h"
#include "dwm/DwmCalls.h"
#include "framework/Handles.h"
#include "framework/Text.h"
#include "framework/WinApp.h"

namespace {
const wchar_t kInvalidSelection[] = L"選択中のウィンドウは現在無効な状態です.";
}  // namespace

// One button of the family: the call and the operation's name as the log shows it.
struct CControlDlg::AttributeOperation {
    HRESULT (*call)(HWND window);
    const wchar_t* name;
};

bool CControlDlg::CheckSelectedWindow() {
    if (::IsWindow(m_hSelectedWnd)) return true;
    AfxMessageBox(kInvalidSelection);
    return false;
}

void CControlDlg::WriteResult(const std::wstring& operation, HRESULT hr) {
    if (hr >= 0) {
        WriteLog(operation + L" Exec OK ");
    } else {
        WriteLog(operation + fw::Format(L" Error HRESULT=0x%08x", fw::Low32(hr)));
    }
}

void CControlDlg::Run(const AttributeOperation& operation) {
    if (!CheckSelectedWindow()) return;
    WriteResult(operation.name, operation.call(m_hSelectedWnd));
}

void CControlDlg::OnNcRenderingDisable() { Run({&DisableNCRendering, L"DisableNCRendering()"}); }
void CControlDlg::OnNcRenderingEnable() { Run({&EnableNCRendering, L"EnableNCRendering()"}); }
void CControlDlg::OnNcRenderingUseWindowStyle() {
    Run({&UseWindowStyleNCRendering, L"UseWindowStyleNCRendering()"});
}
void CControlDlg::OnTransitionsForceDisabledTrue() {
    Run({[](HWND w) { return TransitionsForceDisabled(w, TRUE); }, L"TransitionsForceDisabled(TRUE)"});
}
void CControlDlg::OnTransitionsForceDisabledFalse() {
    Run({[](HWND w) { return TransitionsForceDisabled(w, FALSE); }, L"TransitionsForceDisabled(FALSE)"});
}
void CControlDlg::OnAllowNcPaintTrue() { Run({[](HWND w) { return AllowNcPaint(w, TRUE); }, L"AllowNcPaint(TRUE)"}); }
void CControlDlg::OnAllowNcPaintFalse() {
    Run({[](HWND w) { return AllowNcPaint(w, FALSE); }, L"AllowNcPaint(FALSE)"});
}
void CControlDlg::OnNonclientRtlLayoutTrue() {
    Run({[](HWND w) { return NonclientRtlLayout(w, TRUE); }, L"NonclientRtlLayout(TRUE)"});
}
void CControlDlg::OnNonclientRtlLayoutFalse() {
    Run({[](HWND w) { return NonclientRtlLayout(w, FALSE); }, L"NonclientRtlLayout(FALSE)"});
}
void CControlDlg::OnForceIconicRepresentationTrue() {
    Run({[](HWND w) { return ForceIconicRepresentation(w, TRUE); }, L"ForceIconicRepresentation(TRUE)"});
}
void CControlDlg::OnForceIconicRepresentationFalse() {
    Run({[](HWND w) { return ForceIconicRepresentation(w, FALSE); }, L"ForceIconicRepresentation(FALSE)"});
}
void CControlDlg::OnFlip3DPolicyExcludeBelow() {
    Run({&Filp3DWindowPolicyExcludeBelow, L"Filp3DWindowPolicyExcludeBelow()"});
}
void CControlDlg::OnFlip3DPolicyExcludeAbove() {
    Run({&Filp3DWindowPolicyExcludeAvove, L"Filp3DWindowPolicyExcludeAvove()"});
}
void CControlDlg::OnFlip3DPolicyDefault() {
    Run({&Filp3DWindowPolicyExcludeDefalt, L"Filp3DWindowPolicyExcludeDefalt()"});
}
void CControlDlg::OnExtendFrameSetAll() {
    Run({&ExtendFrameIntoALLClientArea, L"ExtendFrameIntoALLClientArea()"});
}
void CControlDlg::OnExtendFrameReset() {
    Run({&ExtendFrameIntoClientAreaReset, L"ExtendFrameIntoClientAreaReset()"});
}

void CControlDlg::OnExtendFrameSetMargins() {
    if (!CheckSelectedWindow()) return;
    UpdateData(TRUE);  // a refused entry keeps its member; the margins go out as they then stand
    const HRESULT hr = ExtendFrameIntoClientAreaMargins(m_hSelectedWnd, m_nMarginTop, m_nMarginBottom,
                                                        m_nMarginLeft, m_nMarginRight);
    WriteResult(fw::Format(L"ExtendFrameIntoClientAreaMargins(t=%d, b=%d, l=%d, r=%d)", m_nMarginTop,
                           m_nMarginBottom, m_nMarginLeft, m_nMarginRight),
                hr);
}

void CControlDlg::OnBlurBehindExec() {
    if (!CheckSelectedWindow()) return;
    UpdateData(TRUE);
    DWM_BLURBEHIND blurBehind{};
    if (m_bBlurFlagEnable) blurBehind.dwFlags |= DWM_BB_ENABLE;
    if (m_bBlurFlagRegion) blurBehind.dwFlags |= DWM_BB_BLURREGION;
    if (m_bBlurFlagTransition) blurBehind.dwFlags |= DWM_BB_TRANSITIONONMAXIMIZED;
    blurBehind.fEnable = m_bBlurEnable;

    // Made whatever the flags say, and freed after the call.
    const BlurShape shape = m_nBlurRegionShape == 1   ? BlurShape::Circle
                            : m_nBlurRegionShape == 2 ? BlurShape::Rect
                                                      : BlurShape::None;
    const fw::UniqueRegion region = MakeBlurRegion(m_hSelectedWnd, shape, m_nBlurRegionSize);
    blurBehind.hRgnBlur = region.get();
    blurBehind.fTransitionOnMaximized = m_bBlurTransitionOnMaximized;

    WriteResult(L"EnableBlurBehindWindow()", EnableBlurBehindWindow(m_hSelectedWnd, &blurBehind));
}
