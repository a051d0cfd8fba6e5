#pragma once
// What velmora tells about a window besides its DWM attributes, as one table: the columns of
// `windows`, the facts that get, set, frame and blur show about their window, and how each is
// asked of the system. One window's facts are asked through a probe, each at most once.
#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/Facts.h"
#include "dwm/Attributes.h"

namespace cli {

struct WindowSelector;
class Scene;

// Image names by process id, each process asked once per run.
class ProcessNames {
public:
    // Empty when the process cannot be asked (it has ended, or it is protected).
    const std::string& Name(DWORD pid);

private:
    std::map<DWORD, std::string> m_names;
};

// A window's own state as one reading found it: what the event tracker keeps and compares, and
// what a probe made from it does not ask again.
struct WindowState {
    HWND handle = nullptr;
    DWORD pid = 0;
    std::wstring className, title;
    bool visible = false, minimized = false, foreground = false;
    DWORD cloaked = 0;  // DWM_CLOAKED_* bits; 0 when the DWM cannot tell or nobody asked
    RECT rect{};
};

// The one way velmora reads a window: each fact asked of the system at most once per probe, the
// DWM's attributes through the attribute table.
class WindowProbe {
public:
    WindowProbe(HWND window, ProcessNames& names) : m_window(window), m_names(&names) {}
    // Process names asked without a shared cache.
    explicit WindowProbe(HWND window) : m_window(window) {}
    // A window whose process and class were read before: for a handle they never change.
    WindowProbe(HWND window, DWORD pid, std::wstring className)
        : m_window(window), m_pid(pid), m_className(std::move(className)) {}
    // All that a state holds is taken as read; its cloaked bits only where the tracker asked them.
    WindowProbe(const WindowState& state, ProcessNames& names);

    HWND Window() const { return m_window; }
    DWORD Pid();
    const std::string& Process();
    // Whole, however long; class names are at most 256 characters.
    const std::wstring& Title();
    const std::wstring& ClassName();
    bool Visible();
    bool Minimized();
    bool Foreground();
    // Null when the window could not tell (it has closed).
    const RECT* Rect();
    const dwm::AttributeReading& Attribute(const dwm::Attribute& attribute);
    const dwm::AttributeReading& Cloaked();
    // The cloaked bits; 0 when the DWM cannot tell.
    DWORD CloakedBits();
    // The state the event tracker keeps; cloaked only when asked.
    WindowState State(bool withCloaked);
    // Listed by `windows` and chosen among by selectors by default: visible, with a title.
    bool IsListed();
    // All the selector's options hold (its name, if any, is not looked at).
    bool Matches(const WindowSelector& selector);
    // What the run knows of the screen (Visibility.h): the one shared, else one of its own.
    void ShareScene(std::shared_ptr<Scene> scene) { m_scene = std::move(scene); }
    Scene& TheScene();

private:
    HWND m_window;
    ProcessNames* m_names = nullptr;
    std::optional<DWORD> m_pid;
    std::optional<std::string> m_process;
    std::optional<std::wstring> m_title;
    std::optional<std::wstring> m_className;
    std::optional<bool> m_visible, m_minimized, m_foreground, m_hasRect;
    RECT m_rect{};
    std::map<const dwm::Attribute*, dwm::AttributeReading> m_attributes;
    std::shared_ptr<Scene> m_scene;
};

struct WindowField {
    const char* name;
    const char* help;
    Value (*read)(WindowProbe& probe);
    bool byDefault = true;  // listed when --fields names none
};

std::span<const WindowField> WindowFields();
// The fields a listing shows when none are named.
std::vector<const WindowField*> DefaultWindowFields();
const WindowField* FindWindowField(std::string_view name);
// The named fields' facts, in the order given.
Facts ReadFields(WindowProbe& probe, std::span<const WindowField* const> fields);
Facts ReadFields(WindowProbe& probe, std::initializer_list<std::string_view> names);

// Top-level windows in z-order, topmost first.
std::vector<HWND> TopLevelWindows();
UINT WindowDpi(HWND window);

}  // namespace cli
