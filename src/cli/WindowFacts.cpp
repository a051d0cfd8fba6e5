#include "cli/WindowFacts.h"

#include "cli/Output.h"

namespace cli {
namespace {

constexpr size_t kShownMatches = 10;

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
    // No exception may leave an enumeration callback.
    try {
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024];
    const int length = ::GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return std::wstring(text, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring ClassName(HWND window) {
    wchar_t text[257];
    const int length = ::GetClassNameW(window, text, static_cast<int>(std::size(text)));
    return std::wstring(text, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring Lower(std::wstring text) {
    if (!text.empty()) ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool Contains(const std::wstring& text, const std::string& part) {
    return Lower(text).find(Lower(ToWide(part))) != std::wstring::npos;
}

bool Matches(HWND window, const WindowSelector& selector, ProcessNames& names) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (selector.pid && *selector.pid != pid) return false;
    if (selector.className && Lower(ClassName(window)) != Lower(ToWide(*selector.className))) return false;
    if (selector.process && Lower(ToWide(names.Name(pid))) != Lower(ToWide(*selector.process))) return false;
    if (selector.title && !Contains(WindowText(window), *selector.title)) return false;
    return true;
}

std::string Describe(const WindowSelector& s) {
    std::string text;
    const auto add = [&](const char* option, const std::string& value) {
        text += (text.empty() ? "" : " ") + std::string(option) + " '" + value + "'";
    };
    if (s.title) add("--title", *s.title);
    if (s.className) add("--class", *s.className);
    if (s.pid) add("--pid", std::to_string(*s.pid));
    if (s.process) add("--process", *s.process);
    return text;
}

Selection ByName(const WindowSelector& selector) {
    Selection selection;
    switch (selector.name) {
        case WindowName::Foreground:
            selection.window = ::GetForegroundWindow();
            if (selection.window == nullptr) selection.error = "no window is in the foreground";
            break;
        case WindowName::Desktop:
            selection.window = ::GetDesktopWindow();
            break;
        default: {
            const auto window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(selector.handle));
            if (selector.handle == 0 || static_cast<std::uint64_t>(reinterpret_cast<UINT_PTR>(window)) != selector.handle ||
                !::IsWindow(window)) {
                selection.error = "no window has the handle " + selector.typed;
            } else {
                selection.window = window;
            }
        }
    }
    return selection;
}

}  // namespace

const std::string& ProcessNames::Name(DWORD pid) {
    const auto known = m_names.find(pid);
    if (known != m_names.end()) return known->second;
    std::string name;
    if (HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
        wchar_t path[MAX_PATH * 2];
        DWORD size = static_cast<DWORD>(std::size(path));
        if (::QueryFullProcessImageNameW(process, 0, path, &size)) {
            const std::wstring full(path, size);
            name = ToUtf8(full.substr(full.find_last_of(L"\\/") + 1));
        }
        ::CloseHandle(process);
    }
    return m_names.emplace(pid, std::move(name)).first->second;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool IsListed(HWND window) { return ::IsWindowVisible(window) && ::GetWindowTextLengthW(window) > 0; }

UINT WindowDpi(HWND window) {
    // Windows 10 1607 and later; before it every window has the screen's DPI.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr) {
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    }
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

std::optional<WindowFacts> GatherFacts(HWND window, ProcessNames& names, FieldSet fields, bool listedOnly) {
    const auto wanted = [fields](Field field) { return (fields & FieldBit(field)) != 0; };
    WindowFacts facts;
    facts.handle = window;
    // What decides whether a window is listed is asked first, and only once.
    if (listedOnly || wanted(Field::Visible)) {
        facts.visible = ::IsWindowVisible(window) != FALSE;
        if (listedOnly && !facts.visible) return std::nullopt;
    }
    if (listedOnly || wanted(Field::Title)) {
        facts.title = ToUtf8(WindowText(window));
        if (listedOnly && facts.title.empty()) return std::nullopt;
    }
    if (wanted(Field::Pid) || wanted(Field::Process)) ::GetWindowThreadProcessId(window, &facts.pid);
    if (wanted(Field::Process)) facts.process = names.Name(facts.pid);
    if (wanted(Field::Class)) facts.className = ToUtf8(ClassName(window));
    if (wanted(Field::Minimized)) facts.minimized = ::IsIconic(window) != FALSE;
    if (wanted(Field::Rect)) ::GetWindowRect(window, &facts.rect);
    if (wanted(Field::Dpi)) facts.dpi = WindowDpi(window);
    if (wanted(Field::Cloaked)) facts.cloaked = dwm::ReadAttribute(window, *dwm::FindAttribute("cloaked"));
    if (wanted(Field::Frame)) facts.frame = dwm::ReadAttribute(window, *dwm::FindAttribute("extended-frame-bounds"));
    return facts;
}

WindowFacts GatherFacts(HWND window, ProcessNames& names) { return *GatherFacts(window, names, kAllFields, false); }

Selection SelectWindow(const WindowSelector& selector) {
    if (selector.name != WindowName::None) return ByName(selector);
    ProcessNames names;
    std::vector<HWND> matches;
    for (HWND window : TopLevelWindows()) {
        if ((selector.all || IsListed(window)) && Matches(window, selector, names)) matches.push_back(window);
    }
    Selection selection;
    if (matches.empty()) {
        selection.error = "no window matches " + Describe(selector) + (selector.all ? "" : " (hidden ones: --all)");
    } else if (matches.size() == 1 || selector.first) {
        selection.window = matches.front();
    } else {
        selection.error = std::to_string(matches.size()) + " windows match " + Describe(selector) +
                          ": add --first or narrow the selection";
        for (size_t i = 0; i < matches.size() && i < kShownMatches; ++i) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(matches[i], &pid);
            selection.matches += "  " + HexHandle(matches[i]) + "  " + names.Name(pid) + "  " +
                                 ToUtf8(ClassName(matches[i])) + "  \"" + ToUtf8(WindowText(matches[i])) + "\"\n";
        }
        if (matches.size() > kShownMatches) selection.matches += "  ...\n";
    }
    return selection;
}

HWND SelectOrExplain(const WindowSelector& selector) {
    const Selection selection = SelectWindow(selector);
    if (selection.window == nullptr) {
        WriteError(selection.error);
        WriteErrorText(selection.matches);
    }
    return selection.window;
}

bool HasClosed(HWND window) {
    if (::IsWindow(window)) return false;
    WriteError("the window " + HexHandle(window) + " has closed");
    return true;
}

}  // namespace cli
