#pragma once
// The window inspector: lists the visible, titled top-level windows, reads the DWM state of the
// one the user clicks, changes its DWM attributes, frame and blur-behind, and drives the
// thumbnail window for it.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/PanelDlg.h"
#include "thumbnail/ThumbnailListener.h"

class CLogDlg;
class CThumbnailDlg;

// One listed window: its title at the last rebuild and its handle.
struct WindowEntry {
    std::wstring strTitle;
    HWND hWnd = nullptr;
};

class CControlDlg : public CPanelDlg, public CThumbnailListener {
public:
    // GetWindowTextW's buffer: at most 255 units of a title are taken.
    static constexpr int kTitleBufferLength = 256;

    CControlDlg();

    void OnThumbnailDisplayChanged(BOOL shown) override;

    HWND SelectedWindow() const { return m_hSelectedWnd; }
    const std::vector<WindowEntry>& WindowEntries() const { return m_windowEntries; }

    // Not owned; set by the main dialog after creation and cleared before destruction.
    CLogDlg* m_pLogDlg = nullptr;
    CThumbnailDlg* m_pThumbnailDlg = nullptr;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    std::optional<LRESULT> OnMessageTable(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct AttributeOperation;

    void WriteLog(const std::wstring& line);

    // The window list.
    static BOOL CALLBACK EnumWindowsCallback(HWND window, LPARAM panel);
    void AddWindowEntry(HWND window);
    void RebuildWindowEntries();
    void FillWindowList();
    void MarkRow(int row);
    void SelectFirstWindow();
    void OnRefreshList();

    // The read-out.
    LRESULT OnClickWindowList(const NMHDR& header);
    void OnRefreshAttributes();
    void RefreshAttributes();
    void ShowSelectedHandle();
    void ShowNcRendering();
    void ShowCaptionButtonBounds();
    void ShowExtendedFrameBounds();
    void ShowWindowRect();

    // The operations; each handler runs one member of the family.
    bool CheckSelectedWindow();
    void WriteResult(const std::wstring& operation, HRESULT hr);
    void Run(const AttributeOperation& operation);
    void OnNcRenderingDisable();
    void OnNcRenderingEnable();
    void OnNcRenderingUseWindowStyle();
    void OnTransitionsForceDisabledTrue();
    void OnTransitionsForceDisabledFalse();
    void OnAllowNcPaintTrue();
    void OnAllowNcPaintFalse();
    void OnNonclientRtlLayoutTrue();
    void OnNonclientRtlLayoutFalse();
    void OnForceIconicRepresentationTrue();
    void OnForceIconicRepresentationFalse();
    void OnFlip3DPolicyExcludeBelow();
    void OnFlip3DPolicyExcludeAbove();
    void OnFlip3DPolicyDefault();
    void OnExtendFrameSetAll();
    void OnExtendFrameReset();
    void OnExtendFrameSetMargins();
    void OnBlurBehindExec();

    // The thumbnail switches.
    void OnShowThumbnail();
    void OnRegisterThumbnail();

    std::vector<WindowEntry> m_windowEntries;
    HWND m_hSelectedWnd = nullptr;
    CListCtrl m_listWindows;
    std::wstring m_strNcRendering;
    std::wstring m_strCaptionButtonBounds;
    std::wstring m_strExtendedFrameBounds;
    std::wstring m_strWindowRect;
    std::wstring m_strSelectedHandle;
    BOOL m_bShowThumbnail = 0;
    BOOL m_bRegisterThumbnail = 0;
    int m_nMarginTop = 0;
    int m_nMarginBottom = 0;
    int m_nMarginLeft = 0;
    int m_nMarginRight = 0;
    BOOL m_bBlurFlagEnable = 0;
    BOOL m_bBlurFlagRegion = 0;
    BOOL m_bBlurFlagTransition = 0;
    BOOL m_bBlurEnable = 0;
    int m_nBlurRegionShape = 0;
    int m_nBlurRegionSize = 100;
    BOOL m_bBlurTransitionOnMaximized = 0;
};

// The title GetWindowTextW left in a buffer of kTitleBufferLength units, without a lone high
// surrogate where the cut fell inside a pair.
std::wstring TitleFromBuffer(const wchar_t* buffer, int length);

// " t=%d, b=%d, l=%d, r=%d": top, bottom, left, right after one leading blank.
std::wstring RectText(const RECT& rect);
