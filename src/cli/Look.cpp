#include "cli/Look.h"

#include <algorithm>
#include <iterator>

#include "cli/Matte.h"
#include "cli/WindowFields.h"
#include "dwm/Attributes.h"

namespace cli {
namespace {

// Room for the shadow around the window rectangle, at 96 DPI.
constexpr int kMarginAt96 = 32;

std::optional<RECT> ReadRect(HWND window, const char* attribute) {
    const dwm::AttributeReading reading = dwm::ReadAttribute(window, *dwm::FindAttribute(attribute));
    if (reading.result < 0) return std::nullopt;
    return reading.value.rect;
}

std::string CaptionWords(const CaptionBand& caption) { return "caption " + ColourText(caption.colour); }

// "#0078D7" when every side agrees, else each side by name.
std::string BorderWords(const FrameLook& look) {
    const auto side = [&](int s) { return look.border[s].colour ? ColourText(*look.border[s].colour) : std::string("none"); };
    std::string all = side(0);
    bool same = true;
    for (int s = 1; s < 4; ++s) same = same && side(s) == all;
    if (same) return "border " + all;
    std::string text = "border";
    for (int s = 0; s < 4; ++s) text += std::string(s == 0 ? " " : ", ") + kSideNames[s] + " " + side(s);
    return text;
}

Seen CornerSeen(DWORD value, const FrameLook& look, int) {
    const std::string asked = dwm::NameOfValue(*dwm::FindAttribute("corner"), value);
    const std::string seen = look.corner.style != nullptr ? look.corner.style->name : "other";
    return {asked == seen, seen + " (radius " + std::to_string(look.corner.radius) + ")"};
}

Seen BorderSeen(DWORD value, const FrameLook& look, int tolerance) {
    const bool holds = std::all_of(look.border.begin(), look.border.end(), [&](const BorderSide& side) {
        return value == dwm::kColourNone ? !side.colour : side.colour && Near(*side.colour, value, tolerance);
    });
    return {holds, BorderWords(look)};
}

Seen CaptionSeen(DWORD value, const FrameLook& look, int tolerance) {
    if (!look.caption) return {false, "no caption band"};
    return {Near(look.caption->colour, value, tolerance), CaptionWords(*look.caption)};
}

Seen TextSeen(DWORD value, const FrameLook& look, int tolerance) {
    if (!look.caption) return {false, "no caption band"};
    if (!look.caption->text) return {false, "no text on the " + CaptionWords(*look.caption)};
    return {Near(*look.caption->text, value, tolerance), "text " + ColourText(*look.caption->text)};
}

Seen DarkSeen(DWORD value, const FrameLook& look, int) {
    if (!look.caption) return {false, "no caption band"};
    return {look.caption->dark == (value != 0), (look.caption->dark ? "dark " : "light ") + CaptionWords(*look.caption)};
}

Seen ShadowSeen(DWORD value, const FrameLook& look, int) {
    const int reach = *std::max_element(look.shadow.begin(), look.shadow.end());
    return {(reach > 0) == (value != 0), reach > 0 ? "shadow on (reaches " + std::to_string(reach) + ")" : "shadow off"};
}

// Everything but the shadow is a name and value of `set`.
constexpr Telling kTellings[] = {
    {"corner", &CornerSeen},
    {"border-color", &BorderSeen},
    {"caption-color", &CaptionSeen},
    {"text-color", &TextSeen},
    {"dark-mode", &DarkSeen},
    {"shadow", &ShadowSeen},
};

}  // namespace

std::span<const Telling> Tellings() { return kTellings; }

const Telling* FindTelling(std::string_view name) {
    const auto found = std::find_if(std::begin(kTellings), std::end(kTellings), [&](const Telling& t) { return name == t.name; });
    return found != std::end(kTellings) ? &*found : nullptr;
}

std::optional<DWORD> ParseTold(const Telling& telling, std::string_view text, std::string& error) {
    const std::string name = telling.name;
    const dwm::Attribute* attribute = dwm::FindAttribute(name);
    std::optional<DWORD> value;
    if (attribute == nullptr) {
        if (text == "on" || text == "off") value = text == "on" ? 1 : 0;
    } else {
        value = dwm::ParseValue(*attribute, text);
    }
    if (!value) {
        error = "bad value '" + std::string(text) + "' for " + name + " (allowed: " +
                (attribute != nullptr ? dwm::AllowedValues(*attribute) : std::string("on, off")) + ")";
    } else if (text == "default") {
        error = name + "=default is whatever the system picks: the pixels cannot tell it";
        value.reset();
    }
    return value;
}

Looked LookAtWindow(HWND window, int tolerance, HANDLE stop) {
    Looked looked;
    looked.margin = ::MulDiv(kMarginAt96, static_cast<int>(WindowDpi(window)), 96);
    looked.capture = CaptureMatte(window, CaptureArea::Window, looked.margin, stop);
    if (looked.capture.status != CaptureStatus::Ok) return looked;
    FrameGeometry& g = looked.geometry;
    g.area = looked.capture.rect;
    g.dpi = looked.capture.dpi;
    ::GetWindowRect(window, &g.window);
    g.frame = ReadRect(window, "extended-frame-bounds").value_or(g.window);
    ::GetClientRect(window, &g.client);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&g.client), 2);
    if (auto buttons = ReadRect(window, "caption-button-bounds"); buttons && !::IsRectEmpty(&*buttons)) {
        ::OffsetRect(&*buttons, g.window.left, g.window.top);
        g.buttons = buttons;
    }
    if (!::IsWindow(window)) {
        looked.capture.status = CaptureStatus::Closed;
        return looked;
    }
    looked.look = LookAtFrame(looked.capture.picture, g, tolerance);
    return looked;
}

Facts LookFacts(const Looked& looked) {
    const FrameLook& look = looked.look;
    const FrameGeometry& g = looked.geometry;
    Facts corners;
    for (int at = 0; at < 4; ++at) corners.push_back({kCornerNames[at], Integer{look.radii[at]}});
    Table border{{"side", "color", "width"}, {}};
    for (int side = 0; side < 4; ++side) {
        border.rows.push_back({{"side", Word{kSideNames[side]}},
                               {"color", Colour{look.border[side].colour.value_or(dwm::kColourNone)}},
                               {"width", Integer{look.border[side].width}}});
    }
    Value caption = Word{"none"};
    if (look.caption) {
        caption = Group{{{"color", Colour{look.caption->colour}},
                         {"text", Colour{look.caption->text.value_or(dwm::kColourNone)}},
                         {"dark-mode", OnOff{look.caption->dark}}}};
    }
    const auto sides = [](int left, int top, int right, int bottom) { return Margins{MARGINS{left, right, top, bottom}}; };
    const auto& s = look.shadow;
    const RECT& in = look.insets;
    return {{"rect", Rect{g.window}},
            {"frame", Rect{g.frame}},
            {"dpi", Integer{g.dpi}},
            {"margin", Integer{looked.margin}},
            {"corners", Group{corners}},
            {"corner", Word{look.corner.style != nullptr ? look.corner.style->name : "other " + std::to_string(look.corner.radius)}},
            {"caption", caption},
            {"shadow", sides(s[kLeft], s[kTop], s[kRight], s[kBottom])},
            {"insets", sides(in.left, in.top, in.right, in.bottom)},
            {"border", border}};
}

}  // namespace cli
