#include "FramedWindow.h"

#include <memory>

#include "dwm/fake_dwmapi/FakeDwmControl.h"
#include "framework/Handles.h"

namespace testsupport {
namespace {

constexpr int kWidth = 360, kHeight = 260, kCaption = 30;
constexpr RECT kInset{7, 0, 7, 7};
constexpr DWORD kDefault = 0xFFFFFFFF, kNone = 0xFFFFFFFE;

struct State {
    Redraws redraws;
    // What the frame is drawn from: DWMWA_USE_IMMERSIVE_DARK_MODE, _WINDOW_CORNER_PREFERENCE,
    // _BORDER_COLOR, _CAPTION_COLOR, _TEXT_COLOR.
    DWORD dark = 0, corner = 0, border = kDefault, caption = kDefault, text = kDefault;
    int regionRadius = -1;
};

// 0 reads as none: black is no colour the tests set.
DWORD Property(HWND window, DWORD id, DWORD none) {
    const HANDLE value = ::GetPropW(window, fake_dwm::AttributeProperty(id).c_str());
    return value != nullptr ? static_cast<DWORD>(reinterpret_cast<UINT_PTR>(value)) : none;
}

void Read(HWND window, State& s) {
    s.dark = Property(window, 20, 0), s.corner = Property(window, 33, 0), s.border = Property(window, 34, kDefault);
    s.caption = Property(window, 35, kDefault), s.text = Property(window, 36, kDefault);
}

// Windows 11's radii at 96 DPI: square, small; default and round.
int Radius(DWORD corner) { return corner == 1 ? 0 : corner == 3 ? 4 : 8; }

// The colour a value stands for, Windows 11's own where the window chose none.
COLORREF Resolve(DWORD value, bool dark, COLORREF light, COLORREF darkColour) {
    return value == kDefault ? (dark ? darkColour : light) : value;
}

void Fill(HDC dc, RECT r, COLORREF colour) {
    const fw::UniqueBrush brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &r, brush.get());
}

void UpdateRegion(HWND window, State& state) {
    const int radius = Radius(state.corner);
    if (radius == state.regionRadius) return;
    state.regionRadius = radius;
    const RECT f{kInset.left, kInset.top, kWidth - kInset.right, kHeight - kInset.bottom};
    // The rounded region leaves out its right and bottom edges; the system owns it once set.
    ::SetWindowRgn(window, radius == 0 ? ::CreateRectRgn(f.left, f.top, f.right, f.bottom)
                                       : ::CreateRoundRectRgn(f.left, f.top, f.right + 1, f.bottom + 1, 2 * radius, 2 * radius),
                   TRUE);
}

// GetWindowDC/ReleaseDC as a scope.
struct FrameDc {
    HWND window;
    HDC dc = ::GetWindowDC(window);
    ~FrameDc() { ::ReleaseDC(window, dc); }
};

void PaintFrame(HWND window, const State& d) {
    const FrameDc frame{window};
    const HDC dc = frame.dc;
    const bool dark = d.dark != 0;
    const COLORREF caption = Resolve(d.caption, dark, RGB(243, 243, 243), RGB(32, 32, 32));
    const RECT f{kInset.left, kInset.top, kWidth - kInset.right, kHeight - kInset.bottom};
    // Without a border the ring is the caption's and the client's own.
    Fill(dc, f, d.border == kNone ? RGB(255, 255, 255) : Resolve(d.border, dark, RGB(112, 112, 112), RGB(64, 64, 64)));
    Fill(dc, RECT{f.left + 1, d.border == kNone ? 0 : 1, f.right - 1, 1 + kCaption}, caption);
    const fw::UniqueFont font(::CreateFontW(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                                            L"Tahoma"));
    const fw::SelectedObject selected(dc, font.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, Resolve(d.text, dark, RGB(0, 0, 0), RGB(255, 255, 255)));
    wchar_t title[64];
    ::TextOutW(dc, f.left + 10, 8, title, ::GetWindowTextW(window, title, 64));
}

void Redraw(HWND window, State& state) {
    Read(window, state);
    UpdateRegion(window, state);
    ::RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    // A queue found empty sends what was drawn to the screen (Wine's window surfaces), as the DWM
    // presents it by its next frame.
    MSG none;
    ::PeekMessageW(&none, nullptr, 0, 0, PM_NOREMOVE);
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto state = std::make_unique<State>(State{*static_cast<Redraws*>(create->lpCreateParams)});
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.release()));
    }
    auto* state = reinterpret_cast<State*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (state == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    static const UINT drawFrame = ::RegisterWindowMessageW(fake_dwm::kDrawFrameMessage);
    const bool lazy = state->redraws == Redraws::AfterFrameChange;
    switch (message) {
        case WM_NCCALCSIZE:
            if (lazy && wParam) Read(window, *state);
            if (wParam) {
                RECT& r = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0];
                r = RECT{r.left + kInset.left + 1, r.top + kInset.top + 1 + kCaption, r.right - kInset.right - 1,
                         r.bottom - kInset.bottom - 1};
            }
            return 0;
        case WM_WINDOWPOSCHANGED: UpdateRegion(window, *state); return 0;
        case WM_NCACTIVATE:
            if (lazy) Redraw(window, *state);
            return TRUE;
        case WM_NCPAINT: PaintFrame(window, *state); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            Fill(::BeginPaint(window, &paint), paint.rcPaint, RGB(255, 255, 255));
            ::EndPaint(window, &paint);
            return 0;
        }
        case WM_NCDESTROY: {
            const std::unique_ptr<State> owned(state);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
        }
        default:
            if (message == drawFrame && state->redraws == Redraws::WhenSet) Redraw(window, *state);
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND CreateFramedWindow(const wchar_t* title, int x, int y, Redraws redraws) {
    const WNDCLASSW framed{0, &Proc, 0, 0, ::GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr, L"VelmoraFramed"};
    ::RegisterClassW(&framed);
    const HWND window = ::CreateWindowExW(WS_EX_NOACTIVATE, L"VelmoraFramed", title, WS_POPUP, x, y, kWidth, kHeight, nullptr,
                                          nullptr, framed.hInstance, &redraws);
    Redraw(window, *reinterpret_cast<State*>(::GetWindowLongPtrW(window, GWLP_USERDATA)));
    ::ShowWindow(window, SW_SHOWNA);
    return window;
}

}  // namespace testsupport
