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

class WindowProbe {
public:
    WindowProbe(HWND window, ProcessNames& names) : m_window(window), m_names(names) {}
    // A window whose facts were read already (the event tracker's): those are not asked again.
    WindowProbe(HWND window, DWORD pid, std::wstring className, std::wstring title, ProcessNames& names)
        : m_window(window), m_names(names), m_pid(pid), m_title(std::move(title)), m_className(std::move(className)) {}

    HWND Window() const { return m_window; }
    DWORD Pid();
    const std::string& Process();
    const std::wstring& Title();
    const std::wstring& ClassName();
    bool Visible();
    // Listed by `windows` and chosen among by selectors by default: visible, with a title.
    bool IsListed();
    // All the selector's options hold (its name, if any, is not looked at).
    bool Matches(const WindowSelector& selector);
    // What the run knows of the screen (Visibility.h): the one shared, else one of its own.
    void ShareScene(std::shared_ptr<Scene> scene) { m_scene = std::move(scene); }
    Scene& TheScene();

private:
    HWND m_window;
    ProcessNames& m_names;
    std::optional<DWORD> m_pid;
    std::optional<std::wstring> m_title;
    std::optional<std::wstring> m_className;
    std::optional<bool> m_visible;
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
