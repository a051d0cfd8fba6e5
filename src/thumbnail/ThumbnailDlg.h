#pragma once
// The free-standing window that shows the live DWM thumbnail of one source window, stretched
// over its whole client area.
#include <windows.h>
#include <dwmapi.h>

#include "dwm/DwmCalls.h"
#include "framework/Dialog.h"
#include "thumbnail/ThumbnailListener.h"

class CThumbnailDlg : public CDialog {
public:
    CThumbnailDlg();

    // Releases the registration before the window goes.
    BOOL DestroyWindow() override;

    // Shows the thumbnail of source; the registered source again changes nothing.
    void SetSourceWindow(HWND source);
    // Ends the current registration, if any.
    void ReleaseThumbnail();

    BOOL IsRegistered() const { return m_bRegistered; }
    HWND SourceWindow() const { return m_hSourceWnd; }

    // Not owned; set and cleared by the main dialog.
    CThumbnailListener* m_pListener = nullptr;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    std::optional<LRESULT> OnMessageTable(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Placed beside the main dialog by its owner, never centred.
    void PlaceAfterInit() override {}

private:
    HRESULT RegisterAndFit(HWND source);
    LRESULT OnNcLButtonDown(WPARAM hitTest, LPARAM position);
    void OnSize();
    void OnDestroy();

    HICON m_hIcon = nullptr;
    BOOL m_bRegistered = 0;
    HWND m_hSourceWnd = nullptr;
    // Meaningful only while m_bRegistered is 1.
    dwm::UniqueThumbnail m_hThumbnail;
};
