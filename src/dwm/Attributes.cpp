#include "dwm/Attributes.h"

#include <dwmapi.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "dwm/DwmCalls.h"

namespace dwm {
namespace {

constexpr ValueName kOnOff[] = {{0, "off"}, {1, "on"}};
// The attribute forces transitions off, so its "on" is FALSE.
constexpr ValueName kTransitions[] = {{0, "on"}, {1, "off"}};
constexpr ValueName kNcPolicy[] = {{0, "default"}, {1, "disabled"}, {2, "enabled"}};
constexpr ValueName kFlip3D[] = {{0, "default"}, {1, "below"}, {2, "above"}};
constexpr ValueName kCorner[] = {{0, "default"}, {1, "square"}, {2, "round"}, {3, "small"}};
constexpr ValueName kBackdrop[] = {{0, "auto"}, {1, "none"}, {2, "mica"}, {3, "acrylic"}, {4, "tabbed"}};
constexpr std::span<const ValueName> kNoNames{};

constexpr WindowsRelease kVista{6, 0, 6000, "Windows Vista"};
constexpr WindowsRelease kWindows7{6, 1, 7600, "Windows 7"};
constexpr WindowsRelease kWindows8{6, 2, 9200, "Windows 8"};
constexpr WindowsRelease kWindows10_1809{10, 0, 17763, "Windows 10 1809"};
constexpr WindowsRelease kWindows10_2004{10, 0, 19041, "Windows 10 2004"};
constexpr WindowsRelease kWindows11{10, 0, 22000, "Windows 11"};
constexpr WindowsRelease kWindows11_22H2{10, 0, 22621, "Windows 11 22H2"};

using K = ValueKind;
constexpr Access G = Access::Get, S = Access::Set, B = Access::Both;
// Numbers after 16 are missing from older SDK headers; the table is where they are written. The
// access is what the DWMWINDOWATTRIBUTE documentation gives each one.
constexpr Attribute kAttributes[] = {
    {1, "ncrendering-enabled", K::Switch, G, kOnOff, &kVista, 0, nullptr, "the DWM renders the non-client area"},
    {2, "nc-policy", K::Choice, S, kNcPolicy, &kVista, 0, nullptr, "non-client rendering policy"},
    {3, "transitions", K::Choice, S, kTransitions, &kVista, 0, nullptr, "show and hide animations"},
    {4, "allow-ncpaint", K::Switch, S, kOnOff, &kVista, 0, nullptr, "the window may paint its non-client area"},
    {5, "caption-button-bounds", K::Rectangle, G, kNoNames, &kVista, 0, nullptr,
     "caption buttons, in window coordinates"},
    {6, "nc-rtl-layout", K::Switch, S, kOnOff, &kVista, 0, nullptr, "right-to-left non-client layout"},
    {7, "force-iconic", K::Switch, S, kOnOff, &kVista, 0, nullptr, "a static iconic picture instead of live content"},
    {8, "flip3d", K::Choice, S, kFlip3D, &kVista, 0, nullptr, "place in Flip3D"},
    {9, "extended-frame-bounds", K::Rectangle, G, kNoNames, &kVista, 0, nullptr, "the visible frame on the screen"},
    {10, "has-iconic-bitmap", K::Switch, S, kOnOff, &kWindows7, 0, nullptr, "the window supplies its own iconic bitmap"},
    {11, "disallow-peek", K::Switch, S, kOnOff, &kWindows7, 0, nullptr, "no peek preview for this window"},
    {12, "excluded-from-peek", K::Switch, S, kOnOff, &kWindows7, 0, nullptr, "stays visible during peek"},
    {13, "cloak", K::Switch, S, kOnOff, &kWindows8, 0, nullptr, "hide the window (the caller's own windows only)"},
    {14, "cloaked", K::Cloaked, G, kNoNames, &kWindows8, 0, nullptr, "who hides the window: app, shell, inherited"},
    {15, "freeze-representation", K::Switch, S, kOnOff, &kWindows8, 0, nullptr, "freeze the thumbnail picture"},
    {17, "host-backdrop-brush", K::Switch, S, kOnOff, &kWindows11, 0, nullptr,
     "the window may use host backdrop brushes"},
    {20, "dark-mode", K::Switch, S, kOnOff, &kWindows10_2004, 19, &kWindows10_1809, "dark title bar and frame"},
    {33, "corner", K::Choice, S, kCorner, &kWindows11, 0, nullptr, "corner rounding"},
    {34, "border-color", K::Colour, S, kNoNames, &kWindows11, 0, nullptr, "border colour"},
    {35, "caption-color", K::Colour, S, kNoNames, &kWindows11, 0, nullptr, "caption colour"},
    {36, "text-color", K::Colour, S, kNoNames, &kWindows11, 0, nullptr, "caption text colour"},
    {37, "visible-frame-border-thickness", K::Count, G, kNoNames, &kWindows11, 0, nullptr,
     "width of the visible border, in pixels"},
    {38, "backdrop", K::Choice, B, kBackdrop, &kWindows11_22H2, 0, nullptr, "system backdrop material"},
};

bool IsOlder(const OSVERSIONINFOW& system, const WindowsRelease& release) {
    if (system.dwMajorVersion != release.major) return system.dwMajorVersion < release.major;
    if (system.dwMinorVersion != release.minor) return system.dwMinorVersion < release.minor;
    return system.dwBuildNumber < release.build;
}

// Only the border can be switched off.
bool AcceptsNone(const Attribute& attribute) { return attribute.id == 34; }

DWORD ValueSize(const Attribute& attribute) {
    return attribute.kind == ValueKind::Rectangle ? DWORD{sizeof(RECT)} : DWORD{sizeof(DWORD)};
}

AttributeReading Read(HWND window, DWORD id, const Attribute& attribute) {
    AttributeReading reading;
    void* target = attribute.kind == ValueKind::Rectangle ? static_cast<void*>(&reading.value.rect)
                                                          : static_cast<void*>(&reading.value.scalar);
    reading.result = GetWindowAttributeValue(window, id, target, ValueSize(attribute));
    return reading;
}

std::optional<DWORD> ParseHexColour(std::string_view text) {
    if (text.size() != 7 || text[0] != '#') return std::nullopt;
    DWORD rgb = 0;
    for (const char c : text.substr(1)) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        rgb = rgb << 4 | static_cast<DWORD>(digit);
    }
    return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

}  // namespace

std::span<const Attribute> Attributes() { return kAttributes; }

const WindowsRelease& FirstRelease(const Attribute& attribute) {
    return attribute.olderSince != nullptr ? *attribute.olderSince : *attribute.since;
}

bool IsNewerThan(const Attribute& attribute, const OSVERSIONINFOW& system) {
    return IsOlder(system, FirstRelease(attribute));
}

const Attribute* FindAttribute(std::string_view name) {
    const auto found = std::find_if(std::begin(kAttributes), std::end(kAttributes),
                                    [&](const Attribute& a) { return name == a.name; });
    return found != std::end(kAttributes) ? &*found : nullptr;
}

AttributeReading ReadAttribute(HWND window, const Attribute& attribute) {
    AttributeReading reading = Read(window, attribute.id, attribute);
    if (reading.result == E_INVALIDARG && attribute.olderId != 0) {
        const AttributeReading older = Read(window, attribute.olderId, attribute);
        if (older.result >= 0) return older;
    }
    return reading;
}

HRESULT WriteAttribute(HWND window, const Attribute& attribute, DWORD value) {
    HRESULT result = SetWindowAttributeValue(window, attribute.id, &value, sizeof value);
    if (result == E_INVALIDARG && attribute.olderId != 0) {
        const HRESULT older = SetWindowAttributeValue(window, attribute.olderId, &value, sizeof value);
        if (older >= 0) result = older;
    }
    return result;
}

std::optional<DWORD> ParseValue(const Attribute& attribute, std::string_view text) {
    for (const ValueName& name : attribute.names) {
        if (text == name.name) return name.value;
    }
    if (attribute.kind != ValueKind::Colour) return std::nullopt;
    if (text == "default") return kColourDefault;
    if (text == "none" && AcceptsNone(attribute)) return kColourNone;
    return ParseHexColour(text);
}

std::string DescribeCloaked(DWORD bits) {
    if (bits == 0) return "no";
    static constexpr ValueName kParties[] = {{DWM_CLOAKED_APP, "app"},
                                             {DWM_CLOAKED_SHELL, "shell"},
                                             {DWM_CLOAKED_INHERITED, "inherited"}};
    std::string text;
    DWORD known = 0;
    for (const ValueName& party : kParties) {
        if ((bits & party.value) == 0) continue;
        text += (text.empty() ? "" : "+") + std::string(party.name);
        known |= party.value;
    }
    if ((bits & ~known) != 0) {
        char rest[16];
        std::snprintf(rest, sizeof rest, "0x%lx", static_cast<unsigned long>(bits & ~known));
        text += (text.empty() ? "" : "+") + std::string(rest);
    }
    return text;
}

std::string NameOfValue(const Attribute& attribute, DWORD value) {
    if (attribute.kind == ValueKind::Switch) return value != 0 ? "on" : "off";
    for (const ValueName& name : attribute.names) {
        if (name.value == value) return name.name;
    }
    return "unknown (" + std::to_string(value) + ")";
}

std::string AllowedValues(const Attribute& attribute) {
    if (attribute.kind == ValueKind::Colour) {
        return AcceptsNone(attribute) ? "#RRGGBB, default, none" : "#RRGGBB, default";
    }
    std::string text;
    for (const ValueName& name : attribute.names) text += (text.empty() ? "" : ", ") + std::string(name.name);
    return text;
}

}  // namespace dwm
