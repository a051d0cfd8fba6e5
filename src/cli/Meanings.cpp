#include "cli/Meanings.h"

#include <iterator>

#include "cli/Output.h"
#include "dwm/DwmCalls.h"

namespace cli {
namespace {

struct KnownResult {
    HRESULT result;
    const char* meaning;
};

constexpr KnownResult kKnownResults[] = {
    {E_INVALIDARG, "the DWM refused it (E_INVALIDARG)"},
    {E_HANDLE, "not a window (E_HANDLE)"},
    {E_ACCESSDENIED, "refused (E_ACCESSDENIED)"},
    {E_NOTIMPL, "not implemented (E_NOTIMPL)"},
    {E_FAIL, "failed (E_FAIL)"},
    {E_POINTER, "bad pointer (E_POINTER)"},
    {E_OUTOFMEMORY, "out of memory (E_OUTOFMEMORY)"},
    {static_cast<HRESULT>(0x80263001), "composition is off (DWM_E_COMPOSITIONDISABLED)"},
    {HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND), "not in this dwmapi.dll"},
};

// Below Vista, and where dwmapi.dll is missing altogether, alike.
bool IsNoDwm(HRESULT result) { return result == kDwmNotSupported || result == HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND); }

std::string Meaning(HRESULT result) {
    for (const KnownResult& known : kKnownResults) {
        if (known.result == result) return known.meaning;
    }
    return SystemMessage(static_cast<DWORD>(result));
}

std::string SystemVersionText() {
    const OSVERSIONINFOW os = ReportedOsVersion();
    return std::to_string(os.dwMajorVersion) + "." + std::to_string(os.dwMinorVersion) + "." +
           std::to_string(os.dwBuildNumber);
}

Failure SetOnly(HRESULT result, bool readBack, Asked asked) {
    return Failure{result, readBack ? "set-only: not reported" : "set-only: the DWM does not report it", Foreseen::SetOnly,
                   asked == Asked::ByName};
}

Failure NoDwm(HRESULT result) { return Failure{result, "no DWM", Foreseen::NoDwm, false}; }

Failure Newer(HRESULT result, const dwm::Attribute& attribute, Asked asked) {
    const dwm::WindowsRelease& release = dwm::FirstRelease(attribute);
    const std::string build = "build " + std::to_string(release.build);
    return Failure{result, std::string("needs ") + release.name + " (" + build + "); this is " + SystemVersionText(),
                   Foreseen::Newer, asked == Asked::ByName, build};
}

bool IsNewerThanSystem(const dwm::Attribute& attribute) {
    return dwm::IsNewerThan(attribute, ReportedOsVersion());
}

}  // namespace

bool IsGoneResult(HRESULT result) { return result == E_HANDLE || result == HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE); }

Value CallResult(HRESULT result) {
    if (result >= 0) return Done{result};
    if (IsNoDwm(result)) return NoDwm(result);
    return Failure{result, Meaning(result)};
}

Value AttributeValue(const dwm::Attribute& attribute, const dwm::AttributeValue& value) {
    switch (attribute.kind) {
        case dwm::ValueKind::Switch: return OnOff{value.scalar != 0};
        case dwm::ValueKind::Choice: return Word{dwm::NameOfValue(attribute, value.scalar)};
        case dwm::ValueKind::Colour: return Colour{value.scalar};
        case dwm::ValueKind::Rectangle: return Rect{value.rect};
        case dwm::ValueKind::Cloaked: return Word{dwm::DescribeCloaked(value.scalar)};
        case dwm::ValueKind::Count: return Integer{value.scalar};
    }
    return Unknown{};
}

Value ReadingValue(const dwm::Attribute& attribute, const dwm::AttributeReading& reading, Asked asked, bool readBack) {
    // A future Windows may answer a set-only attribute: then its value is what it says.
    if (reading.result >= 0) return AttributeValue(attribute, reading.value);
    if (IsNoDwm(reading.result)) return NoDwm(reading.result);
    if (reading.result == E_INVALIDARG) {
        if (IsNewerThanSystem(attribute)) return Newer(reading.result, attribute, asked);
        if (!dwm::CanGet(attribute)) return SetOnly(reading.result, readBack, asked);
    }
    return Failure{reading.result, Meaning(reading.result)};
}

Value WriteResult(const dwm::Attribute& attribute, HRESULT result) {
    if (result >= 0) return Done{result};
    if (IsNoDwm(result)) return NoDwm(result);
    if (result == E_INVALIDARG && IsNewerThanSystem(attribute)) return Newer(result, attribute, Asked::ByName);
    return Failure{result, Meaning(result)};
}

}  // namespace cli
