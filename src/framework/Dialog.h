#pragma once
// Dialogs made from templates, modal or modeless, with message tables and data exchange.
#include <windows.h>

#include <optional>

#include "framework/DataExchange.h"
#include "framework/MessageMap.h"

class CDialog {
public:
    explicit CDialog(UINT templateId);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; without an owner the application's main window owns it.
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the dialog modelessly; a child template becomes a child of `parent`, a popup is owned by it.
    BOOL Create(HWND parent);
    virtual BOOL DestroyWindow();
    BOOL ShowWindow(int command);
    void EndDialog(INT_PTR result);

    // FALSE writes the members to the controls; TRUE reads the controls and stops at the first failure.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    UINT GetTemplateId() const { return m_templateId; }

    HWND m_hWnd = nullptr;

protected:
    // The base writes every bound member to its control; TRUE lets the system place the focus.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange& dx);
    virtual void OnOK();
    virtual void OnCancel();
    // Runs right after OnInitDialog: a popup is centred over its owner, a child keeps its place.
    virtual void PlaceAfterInit();

    // The normal window procedure: the class's message table, then OK/Cancel, then default processing.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // A class answers with its own table here; an empty result means "not handled".
    virtual std::optional<LRESULT> OnMessageTable(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message in hand (valid only while a message is being handled).
    LRESULT Default();

private:
    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Attach(HWND window);
    void Detach();

    UINT m_templateId;
    const CurrentMessage* m_current = nullptr;
    // The system's dialog window procedure, which the subclass procedure passes messages on to.
    WNDPROC m_defaultProc = nullptr;
    fw::ControlCache m_controls;
    bool m_modeless = false;
    // A modeless popup: while on screen, the modal loops hand it its keyboard.
    bool m_routesKeyboard = false;
};
