#pragma once
// What the console tool knows about DWM window attributes, as one table: number, stable name,
// value type, the calls Microsoft documents for it (get, set or both), the names of its values and
// the first Windows build that knows it. Reading, setting, help, meanings and JSON keys are all
// driven by it.
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

// The documented calls: DwmGetWindowAttribute, DwmSetWindowAttribute or both.
enum class Access { Get = 1, Set = 2, Both = 3 };

struct WindowsRelease {
    DWORD major, minor, build;
    const char* name;  // "Windows 11 22H2"
};

struct Attribute {
    DWORD id;
    const char* name;
    ValueKind kind;
    Access access;
    std::span<const ValueName> names;  // Switch and Choice: every value that has a name
    const WindowsRelease* since;       // the first release that knows this number
    DWORD olderId;                     // the number earlier builds answered to, or 0
    const WindowsRelease* olderSince;  // the first release that knew the older number
    const char* help;
};

inline bool CanGet(const Attribute& a) { return (static_cast<int>(a.access) & static_cast<int>(Access::Get)) != 0; }
inline bool CanSet(const Attribute& a) { return (static_cast<int>(a.access) & static_cast<int>(Access::Set)) != 0; }
// The first release that knows the attribute under either of its numbers.
const WindowsRelease& FirstRelease(const Attribute& attribute);
// Whether a system of this version is older than every release that knows the attribute.
bool IsNewerThan(const Attribute& attribute, const OSVERSIONINFOW& system);

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
// A Choice or Switch value in the words ParseValue takes: "round", "on", or "unknown (7)".
std::string NameOfValue(const Attribute& attribute, DWORD value);
// The values ParseValue takes, for help and error messages: "default, square, round, small".
std::string AllowedValues(const Attribute& attribute);

// "no", or the cloaking parties joined by '+': "app", "shell+inherited".
std::string DescribeCloaked(DWORD bits);

}  // namespace dwm
