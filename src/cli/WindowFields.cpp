#include "cli/WindowFields.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "cli/WindowSelector.h"
#include "cli/Meanings.h"
#include "cli/Output.h"
#include "cli/Visibility.h"
#include "framework/Handles.h"

namespace cli {
namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
    // No exception may leave an enumeration callback.
    try {
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

// The length first, then the text; asked again with more room when the text filled it, since it
// may have grown in between and been cut.
std::wstring WindowTitle(HWND window) {
    std::wstring title;
    for (int room = ::GetWindowTextLengthW(window) + 2;; room *= 2) {
        title.resize(static_cast<size_t>(room));
        const int length = ::GetWindowTextW(window, title.data(), room);
        if (length < room - 1 || room > (1 << 28)) {
            title.resize(static_cast<size_t>(std::max(0, length)));
            return title;
        }
    }
}

std::wstring WindowClassName(HWND window) {
    wchar_t name[257];  // class names are at most 256 characters
    const int length = ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, static_cast<size_t>(std::max(0, length)));
}

std::wstring Lower(std::wstring text) {
    if (!text.empty()) ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool SameName(const std::wstring& name, const std::string& wanted) { return Lower(name) == Lower(ToWide(wanted)); }

Value AttributeField(WindowProbe& p, const char* name) {
    const dwm::Attribute& attribute = *dwm::FindAttribute(name);
    return ReadingValue(attribute, p.Attribute(attribute), Asked::AsPart);
}

Value ReadRect(WindowProbe& p) {
    if (const RECT* rect = p.Rect()) return Rect{*rect};
    return Unknown{};
}

constexpr WindowField kFields[] = {
    {"handle", "the window handle", [](WindowProbe& p) -> Value { return Handle{p.Window()}; }},
    {"pid", "the owning process id", [](WindowProbe& p) -> Value { return Integer{p.Pid()}; }},
    {"process", "the owning process's image name",
     [](WindowProbe& p) -> Value {
         if (p.Process().empty()) return Unknown{};
         return Untrusted{p.Process()};
     }},
    {"class", "the window class", [](WindowProbe& p) -> Value { return Untrusted{ToUtf8(p.ClassName())}; }},
    {"visible", "WS_VISIBLE", [](WindowProbe& p) -> Value { return YesNo{p.Visible()}; }},
    {"minimized", "iconic", [](WindowProbe& p) -> Value { return YesNo{p.Minimized()}; }},
    {"cloaked", "hidden by the DWM: no, app, shell, inherited", [](WindowProbe& p) { return AttributeField(p, "cloaked"); }},
    {"rect", "the window rectangle", &ReadRect},
    {"frame", "the extended frame bounds: the window as seen, without invisible borders",
     [](WindowProbe& p) { return AttributeField(p, "extended-frame-bounds"); }},
    {"dpi", "the window's DPI", [](WindowProbe& p) -> Value { return Integer{WindowDpi(p.Window())}; }},
    {"title", "the window title", [](WindowProbe& p) -> Value { return Untrusted{ToUtf8(p.Title()), true}; }},
    {"desktop", "the id of its virtual desktop",
     [](WindowProbe& p) { return p.TheScene().Desktops().DesktopId(p.Window()); }, false},
    {"affinity", "display affinity: none, monitor, exclude-from-capture", [](WindowProbe& p) { return DisplayAffinity(p.Window()); },
     false},
    {"shown", "per cent of its visible frame on a monitor and under no window",
     [](WindowProbe& p) -> Value { return Percent{LookAt(p, p.TheScene()).ShownPercent()}; }, false},
};

}  // namespace

const std::string& ProcessNames::Name(DWORD pid) {
    const auto known = m_names.find(pid);
    if (known != m_names.end()) return known->second;
    std::string name;
    if (const fw::UniqueKernelObject process{::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)}) {
        wchar_t path[MAX_PATH * 2];
        DWORD size = static_cast<DWORD>(std::size(path));
        if (::QueryFullProcessImageNameW(process.get(), 0, path, &size)) {
            const std::wstring full(path, size);
            name = ToUtf8(full.substr(full.find_last_of(L"\\/") + 1));
        }
    }
    return m_names.emplace(pid, std::move(name)).first->second;
}

WindowProbe::WindowProbe(const WindowState& s, ProcessNames& names)
    : m_window(s.handle), m_names(&names), m_pid(s.pid), m_title(s.title), m_className(s.className),
      m_visible(s.visible), m_minimized(s.minimized), m_foreground(s.foreground), m_hasRect(true), m_rect(s.rect) {}

DWORD WindowProbe::Pid() {
    if (!m_pid) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(m_window, &pid);
        m_pid = pid;
    }
    return *m_pid;
}

const std::string& WindowProbe::Process() {
    if (!m_process) m_process = m_names != nullptr ? m_names->Name(Pid()) : ProcessNames().Name(Pid());
    return *m_process;
}

const std::wstring& WindowProbe::Title() {
    if (!m_title) m_title = WindowTitle(m_window);
    return *m_title;
}

const std::wstring& WindowProbe::ClassName() {
    if (!m_className) m_className = WindowClassName(m_window);
    return *m_className;
}

bool WindowProbe::Visible() {
    if (!m_visible) m_visible = ::IsWindowVisible(m_window) != FALSE;
    return *m_visible;
}

Scene& WindowProbe::TheScene() {
    if (!m_scene) m_scene = std::make_shared<Scene>();
    return *m_scene;
}

bool WindowProbe::Minimized() {
    if (!m_minimized) m_minimized = ::IsIconic(m_window) != FALSE;
    return *m_minimized;
}

bool WindowProbe::Foreground() {
    if (!m_foreground) m_foreground = ::GetForegroundWindow() == m_window;
    return *m_foreground;
}

const RECT* WindowProbe::Rect() {
    if (!m_hasRect) m_hasRect = ::GetWindowRect(m_window, &m_rect) != FALSE;
    return *m_hasRect ? &m_rect : nullptr;
}

const dwm::AttributeReading& WindowProbe::Attribute(const dwm::Attribute& attribute) {
    const auto known = m_attributes.find(&attribute);
    if (known != m_attributes.end()) return known->second;
    return m_attributes.emplace(&attribute, dwm::ReadAttribute(m_window, attribute)).first->second;
}

const dwm::AttributeReading& WindowProbe::Cloaked() {
    static const dwm::Attribute& cloaked = *dwm::FindAttribute("cloaked");
    return Attribute(cloaked);
}

DWORD WindowProbe::CloakedBits() { return Cloaked().result >= 0 ? Cloaked().value.scalar : 0; }

WindowState WindowProbe::State(bool withCloaked) {
    WindowState state{m_window, Pid(), ClassName(), Title(), Visible(), Minimized(), Foreground(), 0, {}};
    if (const RECT* rect = Rect()) state.rect = *rect;
    if (withCloaked) state.cloaked = CloakedBits();
    return state;
}

bool WindowProbe::IsListed() { return Visible() && !Title().empty(); }

bool WindowProbe::Matches(const WindowSelector& s) {
    if (s.pid && *s.pid != Pid()) return false;
    if (s.className && !SameName(ClassName(), *s.className)) return false;
    if (s.process && !SameName(ToWide(Process()), *s.process)) return false;
    if (s.title && Lower(Title()).find(Lower(ToWide(*s.title))) == std::wstring::npos) return false;
    return true;
}

std::span<const WindowField> WindowFields() { return kFields; }

std::vector<const WindowField*> DefaultWindowFields() {
    std::vector<const WindowField*> fields;
    for (const WindowField& field : kFields) {
        if (field.byDefault) fields.push_back(&field);
    }
    return fields;
}

const WindowField* FindWindowField(std::string_view name) {
    const auto found = std::find_if(std::begin(kFields), std::end(kFields), [&](const WindowField& f) { return name == f.name; });
    return found != std::end(kFields) ? &*found : nullptr;
}

Facts ReadFields(WindowProbe& probe, std::span<const WindowField* const> fields) {
    Facts facts;
    for (const WindowField* field : fields) facts.push_back({field->name, field->read(probe)});
    return facts;
}

Facts ReadFields(WindowProbe& probe, std::initializer_list<std::string_view> names) {
    std::vector<const WindowField*> fields;
    for (const std::string_view name : names) fields.push_back(FindWindowField(name));
    return ReadFields(probe, fields);
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

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

}  // namespace cli
