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

using K = ValueKind;
// Numbers after 16 are missing from older SDK headers; the table is where they are written.
constexpr Attribute kAttributes[] = {
    {1, "ncrendering-enabled", K::Switch, true, false, kOnOff, "Vista", 0, "the DWM renders the non-client area"},
    {2, "nc-policy", K::Choice, false, true, kNcPolicy, "Vista", 0, "non-client rendering policy"},
    {3, "transitions", K::Choice, false, true, kTransitions, "Vista", 0, "show and hide animations"},
    {4, "allow-ncpaint", K::Switch, false, true, kOnOff, "Vista", 0, "the window may paint its non-client area"},
    {5, "caption-button-bounds", K::Rectangle, true, false, kNoNames, "Vista", 0,
     "caption buttons, in window coordinates"},
    {6, "nc-rtl-layout", K::Switch, false, true, kOnOff, "Vista", 0, "right-to-left non-client layout"},
    {7, "force-iconic", K::Switch, false, true, kOnOff, "Vista", 0, "a static iconic picture instead of live content"},
    {8, "flip3d", K::Choice, false, true, kFlip3D, "Vista", 0, "place in Flip3D"},
    {9, "extended-frame-bounds", K::Rectangle, true, false, kNoNames, "Vista", 0,
     "the visible frame on the screen"},
    {10, "has-iconic-bitmap", K::Switch, false, true, kOnOff, "7", 0, "the window supplies its own iconic bitmap"},
    {11, "disallow-peek", K::Switch, false, true, kOnOff, "7", 0, "no peek preview for this window"},
    {12, "excluded-from-peek", K::Switch, false, true, kOnOff, "7", 0, "stays visible during peek"},
    {13, "cloak", K::Switch, false, true, kOnOff, "8", 0, "hide the window (the caller's own windows only)"},
    {14, "cloaked", K::Cloaked, true, false, kNoNames, "8", 0, "who hides the window: app, shell, inherited"},
    {15, "freeze-representation", K::Switch, false, true, kOnOff, "8", 0, "freeze the thumbnail picture"},
    {17, "host-backdrop-brush", K::Switch, false, true, kOnOff, "11", 0, "the window may use host backdrop brushes"},
    {20, "dark-mode", K::Switch, true, true, kOnOff, "10 20H1", 19, "dark title bar and frame"},
    {33, "corner", K::Choice, true, true, kCorner, "11", 0, "corner rounding"},
    {34, "border-color", K::Colour, true, true, kNoNames, "11", 0, "border colour"},
    {35, "caption-color", K::Colour, true, true, kNoNames, "11", 0, "caption colour"},
    {36, "text-color", K::Colour, true, true, kNoNames, "11", 0, "caption text colour"},
    {37, "visible-frame-border-thickness", K::Count, true, false, kNoNames, "11", 0,
     "width of the visible border, in pixels"},
    {38, "backdrop", K::Choice, true, true, kBackdrop, "11 22H2", 0, "system backdrop material"},
};

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

std::string ColourText(COLORREF colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

std::string RectangleText(const RECT& rect) {
    char text[96];
    std::snprintf(text, sizeof text, "%ld, %ld, %ld, %ld (%ld x %ld)", rect.left, rect.top, rect.right, rect.bottom,
                  rect.right - rect.left, rect.bottom - rect.top);
    return text;
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

std::string DescribeValue(const Attribute& attribute, const AttributeValue& value) {
    switch (attribute.kind) {
        case ValueKind::Switch:
            return value.scalar != 0 ? "on" : "off";
        case ValueKind::Choice:
            for (const ValueName& name : attribute.names) {
                if (name.value == value.scalar) return name.name;
            }
            return "unknown (" + std::to_string(value.scalar) + ")";
        case ValueKind::Colour:
            if (value.scalar == kColourDefault) return "default";
            if (value.scalar == kColourNone) return "none";
            return ColourText(value.scalar);
        case ValueKind::Rectangle:
            return RectangleText(value.rect);
        case ValueKind::Cloaked:
            return DescribeCloaked(value.scalar);
        case ValueKind::Count:
            return std::to_string(value.scalar);
    }
    return std::string();
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
