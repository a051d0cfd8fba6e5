#include "framework/DataExchange.h"

#include <cwctype>
#include <limits>

#include "framework/Controls.h"
#include "framework/Text.h"
#include "framework/WinApp.h"

namespace {
const wchar_t kNotAnInteger[] = L"整数を入力してください。";
const wchar_t kOutOfRange[] = L"%d から %d までの整数を入力してください。";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Writes only a text that differs, as MFC's own exchange does: each write is a window-server round
// trip in Wine and repaints the control, and panels write their read-outs on every refresh.
void SetTextIfChanged(HWND control, const std::wstring& text) {
    if (fw::GetWindowString(control) != text) ::SetWindowTextW(control, text.c_str());
}
}  // namespace

namespace fw {

ParseResult ParseInt(const std::wstring& text, int& value) {
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == L'-' || text[at] == L'+')) negative = text[at++] == L'-';
    const size_t firstDigit = at;
    long long magnitude = 0;
    bool overflow = false;
    while (at < text.size() && text[at] >= L'0' && text[at] <= L'9') {
        // Keep reading digits after an overflow, so that "99999999999x" is still no integer.
        if (!overflow) magnitude = magnitude * 10 + (text[at] - L'0');
        overflow = overflow || magnitude > 1LL + std::numeric_limits<int>::max();
        ++at;
    }
    if (at == firstDigit) return ParseResult::NotAnInteger;
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at != text.size()) return ParseResult::NotAnInteger;
    const long long signedValue = negative ? -magnitude : magnitude;
    if (overflow || signedValue < std::numeric_limits<int>::min() || signedValue > std::numeric_limits<int>::max()) {
        return ParseResult::OutOfRange;
    }
    value = static_cast<int>(signedValue);
    return ParseResult::Ok;
}

HWND ControlCache::Find(HWND dialog, int id) {
    for (auto& [cachedId, window] : m_controls) {
        if (cachedId != id) continue;
        // Still this dialog's control with this id: each test is answered inside the process.
        if (!::IsWindow(window) || ::GetParent(window) != dialog || ::GetDlgCtrlID(window) != id) {
            window = ::GetDlgItem(dialog, id);
        }
        return window;
    }
    HWND window = ::GetDlgItem(dialog, id);
    if (window != nullptr) m_controls.emplace_back(id, window);
    return window;
}

}  // namespace fw

void CDataExchange::Fail(int controlId, const std::wstring& message) {
    m_failed = true;
    AfxMessageBox(message);
    HWND control = Control(controlId);
    if (control != nullptr) {
        ::SetFocus(control);
        ::SendMessageW(control, EM_SETSEL, 0, -1);
    }
}

void DDX_Control(CDataExchange& dx, int controlId, CWndControl& control) {
    if (dx.Skipping() || control.m_hWnd != nullptr) return;
    control.Attach(dx.Control(controlId));
}

void DDX_Text(CDataExchange& dx, int controlId, std::wstring& value) {
    if (dx.Skipping()) return;
    HWND control = dx.Control(controlId);
    if (dx.m_bSaveAndValidate) {
        value = fw::GetWindowString(control);
    } else {
        SetTextIfChanged(control, value);
    }
}

void DDX_Text(CDataExchange& dx, int controlId, int& value) {
    if (dx.Skipping()) return;
    HWND control = dx.Control(controlId);
    if (!dx.m_bSaveAndValidate) {
        SetTextIfChanged(control, fw::Format(L"%d", value));
        return;
    }
    switch (fw::ParseInt(fw::GetWindowString(control), value)) {
    case fw::ParseResult::Ok:
        return;
    case fw::ParseResult::OutOfRange:
        dx.Fail(controlId, fw::Format(kOutOfRange, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
        return;
    case fw::ParseResult::NotAnInteger:
        dx.Fail(controlId, kNotAnInteger);
        return;
    }
}

void DDX_Check(CDataExchange& dx, int controlId, int& value) {
    if (dx.Skipping()) return;
    HWND control = dx.Control(controlId);
    if (dx.m_bSaveAndValidate) {
        const LRESULT state = ::SendMessageW(control, BM_GETCHECK, 0, 0);
        value = state == BST_CHECKED ? 1 : (state == BST_INDETERMINATE ? 2 : 0);
    } else {
        ::SendMessageW(control, BM_SETCHECK, value == 1 ? BST_CHECKED : (value == 2 ? BST_INDETERMINATE : BST_UNCHECKED), 0);
    }
}

namespace {
bool IsRadioButton(HWND control) {
    if (::SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) return true;
    const LONG style = ::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return style == BS_RADIOBUTTON || style == BS_AUTORADIOBUTTON;
}
}  // namespace

void DDX_Radio(CDataExchange& dx, int controlId, int& value) {
    if (dx.Skipping()) return;
    HWND control = dx.Control(controlId);
    if (control == nullptr) return;
    if (dx.m_bSaveAndValidate) value = -1;
    int index = 0;
    // The group runs from the named button to the next control that starts a group.
    do {
        if (IsRadioButton(control)) {
            if (dx.m_bSaveAndValidate) {
                if (::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
            } else if (const WPARAM state = index == value ? BST_CHECKED : BST_UNCHECKED;
                       ::SendMessageW(control, BM_GETCHECK, 0, 0) != static_cast<LRESULT>(state)) {
                // Only a change: Wine's comctl32 answers every BM_SETCHECK that checks an automatic
                // radio button with a walk over all the dialog's controls, some 250 window-server
                // round trips in the inspector, for each of its six writes at start-up.
                ::SendMessageW(control, BM_SETCHECK, state, 0);
            }
            ++index;
        }
        control = ::GetWindow(control, GW_HWNDNEXT);
    } while (control != nullptr && !(::GetWindowLongW(control, GWL_STYLE) & WS_GROUP));
}
