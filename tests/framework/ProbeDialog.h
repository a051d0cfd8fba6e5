#pragma once
// A dialog of the test's own template that records what its handlers receive.
#include <functional>
#include <string>
#include <vector>

#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "probe_resource.h"

class ProbeDialog : public CDialog {
public:
    ProbeDialog() : CDialog(IDD_PROBE) {}

    std::wstring m_strName = L"initial";
    int m_nFirst = 1;
    int m_nSecond = 2;
    int m_bCheck = 0;
    int m_nRadio = 0;

    std::vector<std::wstring> m_calls;
    UINT_PTR m_lastTimer = 0;
    UINT m_lastColourKind = 0xFFFF;
    HWND m_lastColourControl = nullptr;
    CBrush m_brush{RGB(1, 2, 3)};
    // Runs once the dialog is initialised, e.g. to end a modal run.
    std::function<void(ProbeDialog&)> m_onInit;

    using CDialog::Default;
    using CDialog::OnInitDialog;

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (m_onInit) m_onInit(*this);
        return TRUE;
    }
    void DoDataExchange(CDataExchange& dx) override {
        DDX_Text(dx, IDC_PROBE_NAME, m_strName);
        DDX_Text(dx, IDC_PROBE_FIRST, m_nFirst);
        DDX_Text(dx, IDC_PROBE_SECOND, m_nSecond);
        DDX_Check(dx, IDC_PROBE_CHECK, m_bCheck);
        DDX_Radio(dx, IDC_PROBE_RADIO_A, m_nRadio);
    }
    std::optional<LRESULT> OnMessageTable(UINT message, WPARAM wParam, LPARAM lParam) override {
        using Map = fw::MessageMap<ProbeDialog>;
        static const Map::Entry kMessages[] = {
            Map::Clicked(IDC_PROBE_BUTTON, &ProbeDialog::OnProbeButton),
            Map::Notify(IDC_PROBE_LINK, NM_CLICK, &ProbeDialog::OnClickLink),
            Map::CtlColor(&ProbeDialog::OnCtlColor),
            Map::Timer(&ProbeDialog::OnTimer),
            Map::Message(WM_APP, &ProbeDialog::OnApp),
            Map::Message(WM_APP + 1, &ProbeDialog::OnAppAfterDefault),
        };
        return Map::Dispatch(*this, kMessages, message, wParam, lParam);
    }

private:
    void OnProbeButton() { m_calls.push_back(L"button"); }
    LRESULT OnClickLink(const NMHDR& header) {
        m_calls.push_back(L"link " + std::to_wstring(header.idFrom));
        return 42;
    }
    HBRUSH OnCtlColor(HDC, HWND control, UINT kind) {
        m_lastColourKind = kind;
        m_lastColourControl = control;
        return m_brush.get();
    }
    void OnTimer(UINT_PTR id) {
        m_lastTimer = id;
        ::KillTimer(m_hWnd, id);
    }
    LRESULT OnApp(WPARAM wParam, LPARAM lParam) {
        m_calls.push_back(L"app " + std::to_wstring(wParam) + L" " + std::to_wstring(lParam));
        return static_cast<LRESULT>(wParam + lParam);
    }
    // Default processing of WM_SETTEXT-like work is observable: here it is WM_APP+1, which the
    // system ignores, so Default() must return 0 and leave the window alone.
    void OnAppAfterDefault() { m_calls.push_back(L"default " + std::to_wstring(Default())); }
};
