#pragma once
// What each command found out, before it is written as text or JSON: both show the same facts.
#include <windows.h>
#include <dwmapi.h>

#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/WindowFacts.h"
#include "dwm/Attributes.h"

namespace cli {

struct AttributeLine {
    const dwm::Attribute* attribute;
    dwm::AttributeReading reading;
};

struct MonitorFacts {
    bool known = false;
    std::string name;
    RECT rect{};
    RECT work{};
    bool primary = false;
};

struct GetReport {
    WindowFacts window;
    RECT clientRect{};  // on the screen
    MonitorFacts monitor;
    std::vector<AttributeLine> attributes;
};

struct CompositionReport {
    OSVERSIONINFOW os{};
    HRESULT compositionResult = E_FAIL;
    BOOL enabled = FALSE;
    HRESULT colorizationResult = E_FAIL;
    DWORD colorization = 0;
    BOOL opaqueBlend = FALSE;
    HRESULT timingResult = E_FAIL;
    DWM_TIMING_INFO timing{};
    LONGLONG qpcFrequency = 0;
};

struct WatchEvent {
    std::string time;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    HWND window = nullptr;       // the window the notification was about, where it names one
    HRESULT queryResult = S_OK;  // composition changed: the query of the new state
    BOOL composition = FALSE;
};

struct SetLine {
    const Assignment* assignment;
    HRESULT result;
    dwm::AttributeReading readBack;  // only for readable attributes
};

struct SetReport {
    WindowFacts window;
    std::vector<SetLine> lines;
};

struct FrameReport {
    WindowFacts window;
    const FrameCommand* command;
    HRESULT result;
    dwm::AttributeReading frame;
};

struct BlurReport {
    WindowFacts window;
    const BlurCommand* command;
    DWM_BLURBEHIND blurBehind;  // the region's box, not the region: it is gone after the call
    RECT regionBox;
    HRESULT result;
};

// One JSON document each (a JSON line for an event), UTF-8, ending in a newline.
std::string WindowsJson(const std::vector<WindowFacts>& windows, const std::vector<Field>& fields);
std::string GetJson(const GetReport& report);
std::string CompositionJson(const CompositionReport& report);
std::string EventJson(const WatchEvent& event);
std::string SetJson(const SetReport& report);
std::string FrameJson(const FrameReport& report);
std::string BlurJson(const BlurReport& report);

// Text shared by the text and JSON forms.
std::string ColorizationText(DWORD argb);        // "#0078D7 alpha 196"
std::string EventName(UINT message);             // "colorization-changed"
// "DWM OK", or FailureText.
std::string ResultText(HRESULT result);
// A failed call's "error 0x80070057: not supported by this Windows", or "no DWM".
std::string FailureText(HRESULT result);
std::string ReadingText(const dwm::Attribute& attribute, const dwm::AttributeReading& reading);
// Whether a result counts as a failure for the exit status: the missing DWM below Vista does not.
bool IsFailure(HRESULT result);

}  // namespace cli
