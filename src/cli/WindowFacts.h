#pragma once
// What velmora tells about a window besides its DWM attributes, and how a command finds the
// window it was given.
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "dwm/Attributes.h"

namespace cli {

struct WindowFacts {
    HWND handle = nullptr;
    DWORD pid = 0;
    std::string process;  // image name; empty when the process cannot be asked
    std::string className;
    std::string title;
    bool visible = false;
    bool minimized = false;
    RECT rect{};
    UINT dpi = 0;
    dwm::AttributeReading cloaked;
    dwm::AttributeReading frame;  // extended frame bounds
};

// Image names by process id, each process asked once per run.
class ProcessNames {
public:
    const std::string& Name(DWORD pid);

private:
    std::map<DWORD, std::string> m_names;
};

// Top-level windows in z-order, topmost first.
std::vector<HWND> TopLevelWindows();
// What `windows` lists by default and a selector chooses among: visible, with a title.
bool IsListed(HWND window);

// Which facts to gather, a bit per Field: each costs the system a request or two per window.
using FieldSet = unsigned;
constexpr FieldSet FieldBit(Field field) { return 1u << static_cast<unsigned>(field); }
constexpr FieldSet kAllFields = ~0u;

// The facts the set names (the handle always); nothing when listedOnly and the window is not
// listed by default.
std::optional<WindowFacts> GatherFacts(HWND window, ProcessNames& names, FieldSet fields, bool listedOnly);
WindowFacts GatherFacts(HWND window, ProcessNames& names);
UINT WindowDpi(HWND window);

struct Selection {
    HWND window = nullptr;
    std::string error;    // when no window: what went wrong
    std::string matches;  // the first matches of an ambiguous selection, one a line
};
Selection SelectWindow(const WindowSelector& selector);
// The selected window, or null after telling stderr why (the command then exits 3).
HWND SelectOrExplain(const WindowSelector& selector);
// True, after telling stderr, when the window has closed since its selection.
bool HasClosed(HWND window);

}  // namespace cli
