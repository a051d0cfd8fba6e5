#pragma once
// What the console tool knows about DWM window attributes, as one table: number, stable name,
// value type, whether the DWM reports and accepts it, the names of its values and the first
// Windows that knows it. Reading, setting, help and JSON keys are all driven by it.
#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dwm {

enum class ValueKind {
    Switch,     // on/off
    Choice,     // one of the named values
    Colour,     // COLORREF, or the DWM's "default" and "none" markers
    Rectangle,  // RECT
    Cloaked,    // DWM_CLOAKED_* bits
    Count       // an unsigned number
};

struct ValueName {
    DWORD value;
    const char* name;
};

struct Attribute {
    DWORD id;
    const char* name;
    ValueKind kind;
    bool readable;
    bool settable;
    std::span<const ValueName> names;  // Switch and Choice: every value that has a name
    const char* since;                 // the first Windows that knows it
    DWORD olderId;                     // the number earlier builds of Windows answered to, or 0
    const char* help;
};

// The DWM's markers in a colour attribute.
inline constexpr DWORD kColourDefault = 0xFFFFFFFF;
inline constexpr DWORD kColourNone = 0xFFFFFFFE;

std::span<const Attribute> Attributes();
const Attribute* FindAttribute(std::string_view name);

// A value as the DWM holds it: one DWORD, or a rectangle.
struct AttributeValue {
    DWORD scalar = 0;
    RECT rect{};
};

struct AttributeReading {
    HRESULT result = E_FAIL;
    AttributeValue value;
};

// Asks the DWM each time; an attribute with an older number is asked by it when the DWM does
// not know the current one.
AttributeReading ReadAttribute(HWND window, const Attribute& attribute);
HRESULT WriteAttribute(HWND window, const Attribute& attribute, DWORD value);

// A typed value ("round", "#FF8000", "on") as the DWM takes it; nothing when it is not one.
std::optional<DWORD> ParseValue(const Attribute& attribute, std::string_view text);
// What a value means, in the words ParseValue takes where it can.
std::string DescribeValue(const Attribute& attribute, const AttributeValue& value);
// The values ParseValue takes, for help and error messages: "default, square, round, small".
std::string AllowedValues(const Attribute& attribute);

// "no", or the cloaking parties joined by '+': "app", "shell+inherited".
std::string DescribeCloaked(DWORD bits);
// "10, 20, 810, 620 (800 x 600)": left, top, right, bottom and size.
std::string RectangleText(const RECT& rect);
// "#RRGGBB" of a COLORREF's red, green and blue.
std::string ColourText(COLORREF colour);

}  // namespace dwm
