#pragma once
// In-process client of the fake dwmapi.dll (tests/dwm/fake_dwmapi): configures it and reads its
// journal. Run the test with FAKE_DWM (quillet_add_test) so that the fake is the dwmapi.dll
// that gets loaded.
#include <windows.h>

#include "dwm/fake_dwmapi/FakeDwmControl.h"

#include <string>
#include <vector>

namespace testsupport {

class FakeDwm {
public:
    // Binds to the dwmapi.dll of this process, loading it from the system directory when none
    // is loaded yet (which a test of "not loaded" must keep in mind).
    FakeDwm();
    // Binds to the given module (another build of the fake, for instance); no reference is taken.
    explicit FakeDwm(HMODULE module);

    // False when the loaded dwmapi.dll is not the fake (Wine's own, for instance); every other
    // member then records a test failure and does nothing.
    bool IsFake() const { return m_reset != nullptr; }
    HMODULE Module() const { return m_module; }

    void Reset() const;
    void SetComposition(BOOL reported) const;
    void SetColorization(DWORD colorization, BOOL opaqueBlend) const;
    void SetFrameInset(int left, int top, int right, int bottom) const;
    // count > 0: the next count calls of entry return result; count < 0: all of them; 0: none.
    void Fail(const wchar_t* entry, HRESULT result, int count = -1) const;
    std::vector<std::wstring> Journal() const;
    void ClearJournal() const;
    int ThumbnailCount() const;

    // The DWM state of a window "in the system", which the fake in any process reads when its
    // own process has set nothing (window properties, see FakeDwmControl.h): set on windows of
    // the calling process, for a program in another process to read.
    static void SetSystemAttribute(HWND window, DWORD id, DWORD value);
    static void RemoveSystemAttribute(HWND window, DWORD id);
    // The DWM_CLOAKED_* bits DWMWA_CLOAKED reports for the window (0 removes them), with the WinEvent
    // the DWM raises for the change.
    static void SetCloaked(HWND window, DWORD bits);

private:
    bool Check() const;

    HMODULE m_module = nullptr;
    fake_dwm::ResetFn m_reset = nullptr;
    fake_dwm::SetCompositionFn m_setComposition = nullptr;
    fake_dwm::SetColorizationFn m_setColorization = nullptr;
    fake_dwm::SetFrameInsetFn m_setFrameInset = nullptr;
    fake_dwm::FailFn m_fail = nullptr;
    fake_dwm::GetJournalFn m_getJournal = nullptr;
    fake_dwm::ClearJournalFn m_clearJournal = nullptr;
    fake_dwm::ThumbnailCountFn m_thumbnailCount = nullptr;
};

// The system directory's dwmapi.dll, as a full path.
std::wstring SystemDwmapiPath();

}  // namespace testsupport
