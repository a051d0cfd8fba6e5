// Every JSON document of velmora: the one file that includes the JSON library.
#include <nlohmann/json.hpp>

#include "cli/Output.h"
#include "cli/Reports.h"
#include "dwm/DwmCalls.h"

namespace cli {
namespace {

using Json = nlohmann::ordered_json;

std::string Dump(const Json& document) {
    // Text is UTF-8 already; replace keeps a stray byte from breaking the document.
    return document.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

Json RectJson(const RECT& rect) {
    return Json{{"left", rect.left}, {"top", rect.top}, {"right", rect.right}, {"bottom", rect.bottom}};
}

Json FailureJson(HRESULT result) {
    if (result == kDwmNotSupported) return Json{{"error", "no DWM"}};
    return Json{{"hresult", HexResult(result)}, {"error", ResultMeaning(result)}};
}

Json ValueJson(const dwm::Attribute& attribute, const dwm::AttributeValue& value) {
    switch (attribute.kind) {
        case dwm::ValueKind::Switch:
            return value.scalar != 0;
        case dwm::ValueKind::Rectangle:
            return RectJson(value.rect);
        case dwm::ValueKind::Count:
        case dwm::ValueKind::Choice:
        case dwm::ValueKind::Cloaked:
            return value.scalar;
        case dwm::ValueKind::Colour:
            return HexResult(static_cast<HRESULT>(value.scalar));
    }
    return nullptr;
}

Json ReadingJson(const dwm::Attribute& attribute, const dwm::AttributeReading& reading) {
    Json entry{{"id", attribute.id}};
    if (reading.result < 0) {
        entry.update(FailureJson(reading.result));
    } else {
        entry["value"] = ValueJson(attribute, reading.value);
        entry["text"] = dwm::DescribeValue(attribute, reading.value);
    }
    return entry;
}

Json FieldJson(const WindowFacts& w, Field field) {
    switch (field) {
        case Field::Handle: return HexHandle(w.handle);
        case Field::Pid: return w.pid;
        case Field::Process: return w.process;
        case Field::Class: return w.className;
        case Field::Visible: return w.visible;
        case Field::Minimized: return w.minimized;
        case Field::Cloaked: return w.cloaked.result >= 0 ? Json(dwm::DescribeCloaked(w.cloaked.value.scalar)) : Json();
        case Field::Rect: return RectJson(w.rect);
        case Field::Frame: return w.frame.result >= 0 ? RectJson(w.frame.value.rect) : Json();
        case Field::Dpi: return w.dpi;
        case Field::Title: return w.title;
    }
    return nullptr;
}

Json WindowJson(const WindowFacts& w) {
    return Json{{"handle", HexHandle(w.handle)}, {"pid", w.pid},         {"process", w.process},
                {"class", w.className},          {"title", w.title}};
}

Json ColorizationJson(DWORD argb, BOOL opaqueBlend) {
    return Json{{"argb", HexResult(static_cast<HRESULT>(argb))},
                {"rgb", dwm::ColourText(RGB(argb >> 16 & 0xFF, argb >> 8 & 0xFF, argb & 0xFF))},
                {"alpha", argb >> 24},
                {"opaque-blend", opaqueBlend != FALSE}};
}

}  // namespace

std::string WindowsJson(const std::vector<WindowFacts>& windows, const std::vector<Field>& fields) {
    Json list = Json::array();
    for (const WindowFacts& window : windows) {
        Json entry = Json::object();
        for (const Field field : fields) entry[FieldName(field)] = FieldJson(window, field);
        list.push_back(std::move(entry));
    }
    return Dump(list);
}

std::string GetJson(const GetReport& report) {
    Json document = WindowJson(report.window);
    document["rect"] = RectJson(report.window.rect);
    document["client-rect"] = RectJson(report.clientRect);
    document["dpi"] = report.window.dpi;
    document["monitor"] = report.monitor.known ? Json{{"name", report.monitor.name},
                                                      {"rect", RectJson(report.monitor.rect)},
                                                      {"work", RectJson(report.monitor.work)},
                                                      {"primary", report.monitor.primary}}
                                               : Json();
    Json attributes = Json::object();
    for (const AttributeLine& line : report.attributes) {
        attributes[line.attribute->name] = ReadingJson(*line.attribute, line.reading);
    }
    document["attributes"] = std::move(attributes);
    return Dump(document);
}

std::string CompositionJson(const CompositionReport& r) {
    Json document{{"os",
                   {{"major", r.os.dwMajorVersion},
                    {"minor", r.os.dwMinorVersion},
                    {"build", r.os.dwBuildNumber},
                    {"dwm", r.os.dwMajorVersion >= 6}}}};
    document["composition"] = r.compositionResult >= 0 ? Json{{"enabled", r.enabled != FALSE}}
                                                       : FailureJson(r.compositionResult);
    document["colorization"] = r.colorizationResult >= 0 ? ColorizationJson(r.colorization, r.opaqueBlend)
                                                         : FailureJson(r.colorizationResult);
    if (r.timingResult >= 0) {
        const DWM_TIMING_INFO& t = r.timing;
        const double periodMs = r.qpcFrequency > 0 ? 1000.0 * static_cast<double>(t.qpcRefreshPeriod) /
                                                         static_cast<double>(r.qpcFrequency)
                                                   : 0.0;
        document["timing"] = Json{{"refresh-rate", {{"numerator", t.rateRefresh.uiNumerator},
                                                    {"denominator", t.rateRefresh.uiDenominator}}},
                                  {"refresh-period-ms", periodMs},
                                  {"frames-displayed", t.cFramesDisplayed},
                                  {"frames-dropped", t.cFramesDropped},
                                  {"frames-missed", t.cFramesMissed}};
    } else {
        document["timing"] = FailureJson(r.timingResult);
    }
    return Dump(document);
}

std::string EventJson(const WatchEvent& e) {
    Json line{{"time", e.time}, {"event", EventName(e.message)}};
    switch (e.message) {
        case WM_DWMCOMPOSITIONCHANGED:
            line["composition"] = e.queryResult >= 0 ? Json{{"enabled", e.composition != FALSE}}
                                                     : FailureJson(e.queryResult);
            break;
        case WM_DWMCOLORIZATIONCOLORCHANGED:
            line["colorization"] = ColorizationJson(static_cast<DWORD>(e.wParam), static_cast<BOOL>(e.lParam));
            break;
        case WM_DWMNCRENDERINGCHANGED:
            line["window"] = HexHandle(e.window);
            line["enabled"] = e.wParam != FALSE;
            break;
        case WM_DWMWINDOWMAXIMIZEDCHANGE:
            line["maximized"] = e.wParam != FALSE;
            break;
    }
    return Dump(line);
}

std::string SetJson(const SetReport& report) {
    Json document = WindowJson(report.window);
    Json lines = Json::array();
    for (const SetLine& line : report.lines) {
        const dwm::Attribute& attribute = *line.assignment->attribute;
        Json entry{{"name", attribute.name}, {"id", attribute.id}, {"requested", line.assignment->text}};
        entry["result"] = line.result >= 0 ? Json{{"hresult", HexResult(line.result)}} : FailureJson(line.result);
        entry["now"] = attribute.readable ? ReadingJson(attribute, line.readBack) : Json();
        lines.push_back(std::move(entry));
    }
    document["set"] = std::move(lines);
    return Dump(document);
}

std::string FrameJson(const FrameReport& report) {
    const MARGINS& m = report.command->margins;
    Json document = WindowJson(report.window);
    document["margins"] = Json{{"left", m.cxLeftWidth}, {"right", m.cxRightWidth}, {"top", m.cyTopHeight},
                               {"bottom", m.cyBottomHeight}};
    document["result"] = report.result >= 0 ? Json{{"hresult", HexResult(report.result)}} : FailureJson(report.result);
    document["extended-frame-bounds"] = ReadingJson(*dwm::FindAttribute("extended-frame-bounds"), report.frame);
    return Dump(document);
}

std::string BlurJson(const BlurReport& report) {
    const DWM_BLURBEHIND& b = report.blurBehind;
    const char* shapes[] = {"none", "circle", "rect"};
    Json document = WindowJson(report.window);
    document["blur"] = Json{{"flags", b.dwFlags},
                            {"enable", b.fEnable != FALSE},
                            {"region", shapes[static_cast<int>(report.command->shape)]},
                            {"region-box", report.command->shape != BlurShape::None ? RectJson(report.regionBox) : Json()},
                            {"transition-on-maximized", b.fTransitionOnMaximized != FALSE}};
    document["result"] = report.result >= 0 ? Json{{"hresult", HexResult(report.result)}} : FailureJson(report.result);
    return Dump(document);
}

}  // namespace cli
