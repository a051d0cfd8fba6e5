#pragma once
// Data exchange between dialog members and controls, driven by CDialog::UpdateData.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

class CWndControl;

namespace fw {
// A dialog's controls by id, kept while the dialog lives. Wine answers every GetDlgItem with a
// window-server round trip that lists all of the dialog's children; an exchange over twenty
// controls made twenty of them.
class ControlCache {
public:
    HWND Find(HWND dialog, int id);
    void Clear() { m_controls.clear(); }

private:
    std::vector<std::pair<int, HWND>> m_controls;
};
}  // namespace fw

class CDataExchange {
public:
    CDataExchange(HWND dialog, BOOL saveAndValidate, fw::ControlCache* controls = nullptr)
        : m_hDialog(dialog), m_bSaveAndValidate(saveAndValidate), m_controls(controls) {}

    HWND Dialog() const { return m_hDialog; }
    // The dialog's control with this id, or null.
    HWND Control(int id) const {
        return m_controls != nullptr ? m_controls->Find(m_hDialog, id) : ::GetDlgItem(m_hDialog, id);
    }
    bool Failed() const { return m_failed; }
    // Once one control has failed, the later members keep their values.
    bool Skipping() const { return m_failed; }
    // Reports an entry that cannot be taken: message box, focus into the control, exchange stopped.
    void Fail(int controlId, const std::wstring& message);

    const HWND m_hDialog;
    const BOOL m_bSaveAndValidate;

private:
    fw::ControlCache* m_controls;
    bool m_failed = false;
};

void DDX_Control(CDataExchange& dx, int controlId, CWndControl& control);
void DDX_Text(CDataExchange& dx, int controlId, std::wstring& value);
void DDX_Text(CDataExchange& dx, int controlId, int& value);
void DDX_Check(CDataExchange& dx, int controlId, int& value);
// Index of the checked button of the group starting at controlId; -1 when none is checked.
void DDX_Radio(CDataExchange& dx, int controlId, int& value);

namespace fw {
enum class ParseResult { Ok, NotAnInteger, OutOfRange };
// Parses a whole int: optional blanks, an optional sign, digits, optional blanks.
// `value` changes only on Ok.
ParseResult ParseInt(const std::wstring& text, int& value);
}
