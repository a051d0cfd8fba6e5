#include "framework/Dialog.h"

#include <algorithm>
#include <vector>

#include "framework/DataExchange.h"
#include "framework/WinApp.h"

namespace {
// The thread's modeless popups on screen, whose keyboard the modal loops below must hand to them,
// and the hook that does it. The hook is in only while one is on screen: with it in, Wine makes
// three window-server round trips for the hook chain on every message a modal loop takes from its
// queue (each paint of the log among them), and the lookup of a window property made a fourth.
struct KeyboardRouting {
    std::vector<HWND> popups;
    HHOOK hook = nullptr;
};
thread_local KeyboardRouting t_routing;

// Every dialog box's modal loop offers each message here first. Its own dialog handling covers
// only the modal dialog, so Tab, Enter and Esc in an owned modeless popup are given their dialog
// meaning here (and work as in any dialog).
LRESULT CALLBACK ModelessKeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && lParam != 0) {
        MSG* message = reinterpret_cast<MSG*>(lParam);
        HWND root = message->hwnd != nullptr ? ::GetAncestor(message->hwnd, GA_ROOT) : nullptr;
        const std::vector<HWND>& popups = t_routing.popups;
        if (root != nullptr && std::find(popups.begin(), popups.end(), root) != popups.end() &&
            ::IsDialogMessageW(root, message)) {
            return TRUE;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void RouteKeyboard(HWND popup, bool onScreen) {
    KeyboardRouting& routing = t_routing;
    const auto at = std::find(routing.popups.begin(), routing.popups.end(), popup);
    if (onScreen && at == routing.popups.end()) routing.popups.push_back(popup);
    if (!onScreen && at != routing.popups.end()) routing.popups.erase(at);
    if (!routing.popups.empty() && routing.hook == nullptr) {
        routing.hook = ::SetWindowsHookExW(WH_MSGFILTER, ModelessKeyboardHook, nullptr, ::GetCurrentThreadId());
    } else if (routing.popups.empty() && routing.hook != nullptr) {
        ::UnhookWindowsHookEx(routing.hook);
        routing.hook = nullptr;
    }
}

// A popup dialog opens centred over its owner, or over the work area when it has none, as users
// of dialog-based tools expect; child dialogs keep their template positions.
void CenterPopup(HWND window) {
    if (::GetWindowLongW(window, GWL_STYLE) & WS_CHILD) return;
    RECT area{};
    HWND owner = ::GetWindow(window, GW_OWNER);
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT own{};
    ::GetWindowRect(window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int x = area.left + ((area.right - area.left) - width) / 2;
    const int y = area.top + ((area.bottom - area.top) - height) / 2;
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

CDialog::CDialog(UINT templateId) : m_templateId(templateId) {}

CDialog::~CDialog() {
    // A window must never outlive the object that dispatches its messages.
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal(HWND owner) {
    m_modeless = false;
    if (owner == nullptr) {
        if (CWinAppEx* app = AfxGetApp(); app != nullptr && app->m_pMainWnd != this) owner = app->MainWindow();
    }
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(HWND parent) {
    m_modeless = true;
    HWND window = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                                       DialogProc, reinterpret_cast<LPARAM>(this));
    return window != nullptr;
}

BOOL CDialog::DestroyWindow() {
    if (m_hWnd == nullptr) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

BOOL CDialog::ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }

void CDialog::EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(m_hWnd, saveAndValidate, &m_controls);
    DoDataExchange(dx);
    return dx.Failed() ? FALSE : TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange&) {}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::PlaceAfterInit() { CenterPopup(m_hWnd); }

std::optional<LRESULT> CDialog::OnMessageTable(UINT, WPARAM, LPARAM) { return std::nullopt; }

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (auto result = OnMessageTable(message, wParam, lParam)) return *result;
    // Enter, Esc and the close box all arrive as these two commands.
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return 0;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return 0;
        }
    }
    return Default();
}

LRESULT CDialog::Default() {
    if (m_current == nullptr || m_hWnd == nullptr) return 0;
    return ::CallWindowProcW(m_defaultProc, m_hWnd, m_current->message, m_current->wParam, m_current->lParam);
}

// The object rides in the dialog's own DWLP_USER slot, which is read without leaving the process.
// comctl32's SetWindowSubclass keeps its data in a window property instead, and Wine fetches a
// property from the window server: three round trips for every message passed on to Default(),
// which tripled the server traffic of a log line.
void CDialog::Attach(HWND window) {
    m_hWnd = window;
    m_routesKeyboard = m_modeless && !(::GetWindowLongW(window, GWL_STYLE) & WS_CHILD);
    ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    m_defaultProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CDialog::SubclassProc)));
}

void CDialog::Detach() {
    if (m_routesKeyboard) RouteKeyboard(m_hWnd, false);
    // Another subclass on top (a test's, say) keeps its chain: only our own link is undone.
    if (::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CDialog::SubclassProc)) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_defaultProc));
    }
    ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
    m_controls.Clear();
    m_hWnd = nullptr;
}

LRESULT CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage current{message, wParam, lParam};
    const CurrentMessage* outer = m_current;
    m_current = &current;
    LRESULT result = WindowProc(message, wParam, lParam);
    m_current = outer;
    return result;
}

// The dialog procedure only binds the object; from then on the subclass procedure sees every
// message first, and whatever it passes on reaches the system's dialog procedure, which asks
// this procedure again and gets "not handled".
INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    if (dialog == nullptr) return TRUE;
    dialog->Attach(window);
    try {
        const BOOL result = dialog->OnInitDialog();
        dialog->PlaceAfterInit();
        return result;
    } catch (...) {
        return TRUE;  // nothing may unwind into the system's code
    }
}

LRESULT CALLBACK CDialog::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    // Detached under a subclass that still forwards to us: the dialog class's own procedure.
    if (dialog == nullptr) return ::DefDlgProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = dialog->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind into the system's code; the message counts as handled.
        dialog->m_current = nullptr;
    }
    if (message == WM_WINDOWPOSCHANGED && dialog->m_routesKeyboard) {
        const UINT flags = reinterpret_cast<const WINDOWPOS*>(lParam)->flags;
        if (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) RouteKeyboard(window, (flags & SWP_SHOWWINDOW) != 0);
    }
    if (message == WM_NCDESTROY && dialog->m_hWnd == window) dialog->Detach();
    return result;
}
