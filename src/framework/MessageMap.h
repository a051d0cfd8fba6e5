#pragma once
// Type-safe message tables: one static table per dialog class, one entry per line.
//
//   using Map = fw::MessageMap<CDwmDlg>;
//   static const Map::Entry kMessages[] = {
//       Map::CtlColor(&CDwmDlg::OnCtlColor),
//       Map::Timer(&CDwmDlg::OnTimer),
//       Map::Clicked(IDC_REFRESH, &CDwmDlg::OnRefreshStatus),
//   };
//   return Map::Dispatch(*this, kMessages, message, wParam, lParam);
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <span>
#include <variant>

namespace fw {

template <class T>
class MessageMap {
public:
    using SimpleHandler = void (T::*)();
    using RawHandler = LRESULT (T::*)(WPARAM, LPARAM);
    using TimerHandler = void (T::*)(UINT_PTR);
    using NotifyHandler = LRESULT (T::*)(const NMHDR&);
    using CtlColorHandler = HBRUSH (T::*)(HDC, HWND, UINT);

    class Entry {
    public:
        std::optional<LRESULT> TryDispatch(T& target, UINT message, WPARAM wParam, LPARAM lParam) const {
            return std::visit([&](auto handler) { return Invoke(target, handler, message, wParam, lParam); },
                              m_handler);
        }

    private:
        friend class MessageMap;
        enum class Key { Message, Clicked, Notify, CtlColor };
        using Handler = std::variant<SimpleHandler, RawHandler, TimerHandler, NotifyHandler, CtlColorHandler>;

        constexpr Entry(Key key, UINT message, int controlId, UINT code, Handler handler)
            : m_key(key), m_message(message), m_controlId(controlId), m_code(code), m_handler(handler) {}

        bool Matches(UINT message, WPARAM wParam, LPARAM lParam) const {
            switch (m_key) {
            case Key::Message:
                return message == m_message;
            case Key::Clicked:
                return message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == m_controlId;
            case Key::Notify: {
                if (message != WM_NOTIFY || lParam == 0) return false;
                const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
                return static_cast<int>(header.idFrom) == m_controlId && header.code == m_code;
            }
            case Key::CtlColor:
                return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
            }
            return false;
        }

        std::optional<LRESULT> Invoke(T& target, SimpleHandler handler, UINT message, WPARAM wParam,
                                      LPARAM lParam) const {
            if (!Matches(message, wParam, lParam)) return std::nullopt;
            (target.*handler)();
            return 0;
        }
        std::optional<LRESULT> Invoke(T& target, RawHandler handler, UINT message, WPARAM wParam,
                                      LPARAM lParam) const {
            if (!Matches(message, wParam, lParam)) return std::nullopt;
            return (target.*handler)(wParam, lParam);
        }
        std::optional<LRESULT> Invoke(T& target, TimerHandler handler, UINT message, WPARAM wParam,
                                      LPARAM lParam) const {
            if (!Matches(message, wParam, lParam)) return std::nullopt;
            (target.*handler)(static_cast<UINT_PTR>(wParam));
            return 0;
        }
        std::optional<LRESULT> Invoke(T& target, NotifyHandler handler, UINT message, WPARAM wParam,
                                      LPARAM lParam) const {
            if (!Matches(message, wParam, lParam)) return std::nullopt;
            return (target.*handler)(*reinterpret_cast<const NMHDR*>(lParam));
        }
        std::optional<LRESULT> Invoke(T& target, CtlColorHandler handler, UINT message, WPARAM wParam,
                                      LPARAM lParam) const {
            if (!Matches(message, wParam, lParam)) return std::nullopt;
            // CTLCOLOR_MSGBOX .. CTLCOLOR_STATIC follow the message numbers in order.
            const UINT kind = message - WM_CTLCOLORMSGBOX;
            HBRUSH brush = (target.*handler)(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), kind);
            return reinterpret_cast<LRESULT>(brush);
        }

        Key m_key;
        UINT m_message;
        int m_controlId;
        UINT m_code;
        Handler m_handler;
    };

    // A window message whose handler needs nothing from the message (WM_PAINT, WM_DESTROY).
    static Entry Message(UINT message, SimpleHandler handler) {
        return Entry(Entry::Key::Message, message, 0, 0, handler);
    }
    // A window message whose handler unpacks the parameters itself.
    static Entry Message(UINT message, RawHandler handler) {
        return Entry(Entry::Key::Message, message, 0, 0, handler);
    }
    static Entry Timer(TimerHandler handler) { return Entry(Entry::Key::Message, WM_TIMER, 0, 0, handler); }
    static Entry Clicked(int controlId, SimpleHandler handler) {
        return Entry(Entry::Key::Clicked, WM_COMMAND, controlId, BN_CLICKED, handler);
    }
    static Entry Notify(int controlId, UINT code, NotifyHandler handler) {
        return Entry(Entry::Key::Notify, WM_NOTIFY, controlId, code, handler);
    }
    // All six WM_CTLCOLOR* messages: (device context, control, CTLCOLOR_* kind) -> brush.
    static Entry CtlColor(CtlColorHandler handler) { return Entry(Entry::Key::CtlColor, 0, 0, 0, handler); }

    // The first entry that matches handles the message; nothing matching leaves it unhandled.
    static std::optional<LRESULT> Dispatch(T& target, std::span<const Entry> table, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
        for (const Entry& entry : table) {
            if (auto result = entry.TryDispatch(target, message, wParam, lParam)) return result;
        }
        return std::nullopt;
    }
};

}  // namespace fw
