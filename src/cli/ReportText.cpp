// Text pieces that the text and the JSON forms of the reports share.
#include "cli/Output.h"
#include "cli/Reports.h"
#include "dwm/DwmCalls.h"

namespace cli {

std::string ColorizationText(DWORD argb) {
    return dwm::ColourText(RGB(argb >> 16 & 0xFF, argb >> 8 & 0xFF, argb & 0xFF)) + " alpha " +
           std::to_string(argb >> 24);
}

std::string EventName(UINT message) {
    switch (message) {
        case WM_DWMCOMPOSITIONCHANGED: return "composition-changed";
        case WM_DWMCOLORIZATIONCOLORCHANGED: return "colorization-changed";
        case WM_DWMNCRENDERINGCHANGED: return "ncrendering-changed";
        case WM_DWMWINDOWMAXIMIZEDCHANGE: return "maximized-changed";
        default: return "message-" + std::to_string(message);
    }
}

std::string FailureText(HRESULT result) {
    if (result == kDwmNotSupported) return "no DWM";
    return "error " + HexResult(result) + ": " + ResultMeaning(result);
}

std::string ResultText(HRESULT result) { return result >= 0 ? "DWM OK" : FailureText(result); }

std::string ReadingText(const dwm::Attribute& attribute, const dwm::AttributeReading& reading) {
    return reading.result >= 0 ? dwm::DescribeValue(attribute, reading.value) : FailureText(reading.result);
}

bool IsFailure(HRESULT result) { return result < 0 && result != kDwmNotSupported; }

}  // namespace cli
