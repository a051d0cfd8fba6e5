#pragma once
// Whether a window is seen, and why not: its own state, what the DWM does with it, where its
// visible frame lies on the monitors and how much of it the windows above it cover. The screen is
// read once per run into a Scene that every window's look shares.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "cli/Coverage.h"
#include "cli/Facts.h"
#include "cli/Monitors.h"
#include "cli/Settings.h"
#include "dwm/Attributes.h"

namespace cli {

class ProcessNames;
class WindowProbe;

// A top-level window as the windows below it see it.
struct Layer {
    HWND window = nullptr;
    RECT frame{};         // its visible frame (its rectangle where the DWM gives none)
    bool covers = false;  // visible, not cloaked, not minimized
};

// The visible frame as the DWM reports it (attribute extended-frame-bounds), else the window
// rectangle, with the DWM's reason.
struct FrameReading {
    RECT frame{};
    bool fromDwm = false;
    Value dwmFailure;  // when not from the DWM
};
FrameReading VisibleFrame(HWND window);
FrameReading VisibleFrame(WindowProbe& probe);

// The DWM_CLOAKED_* bits, or the DWM's failure (Wine's cannot tell).
struct CloakReading {
    std::optional<DWORD> bits;
    Value failure;
};
CloakReading Cloaking(const dwm::AttributeReading& reading);

// The monitors, the top-level windows in z-order and the virtual desktops, as one run sees them,
// each read when first asked: a window's layer the first time a window below it asks.
class Scene {
public:
    Scene() = default;
    // The top-level windows in z-order as the caller has just read them.
    explicit Scene(std::vector<HWND> order);
    const std::vector<MonitorInfo>& Monitors();
    // The windows above the window's top-level window that cover some of `area`, topmost first;
    // none where the window is not a top-level window of this desktop.
    std::vector<Layer> CoversAbove(HWND window, const RECT& area);
    VirtualDesktops& Desktops();

private:
    // A window above, as far as it has been read: whether it is visible and where its rectangle is
    // first, the rest only where the rectangle meets something asked about.
    struct Entry {
        std::optional<bool> visible;
        RECT rect{};
        std::optional<Layer> layer;
    };
    void ReadOrder();
    const Layer& LayerAt(Entry& entry, HWND window);

    std::optional<std::vector<MonitorInfo>> m_monitors;
    bool m_ordered = false;
    std::vector<HWND> m_order;
    std::vector<Entry> m_entries;
    std::unordered_map<HWND, std::size_t> m_index;
    std::unique_ptr<VirtualDesktops> m_desktops;
};

// What the screen shows of a window.
struct Sight {
    bool visible = false, minimized = false;
    CloakReading cloak;
    FrameReading frame;
    RECT rect{};
    std::vector<Layer> covers;  // as Coverage's indices count them
    Coverage coverage;
    // Not hidden, minimized or cloaked: the geometry is what the screen shows.
    bool Presented() const { return visible && !minimized && cloak.bits.value_or(0) == 0; }
    // Per cent of the frame on a monitor and under no window, 0 when not presented.
    double ShownPercent() const;
};
Sight LookAt(WindowProbe& probe, Scene& scene);

// `velmora explain`: the verdict, every reason, and the facts they come from. backdrop: tell what
// would keep a backdrop from showing even where the window asks none.
Facts ExplainWindow(HWND window, Scene& scene, ProcessNames& names, bool backdrop);

}  // namespace cli
