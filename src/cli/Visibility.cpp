#include "cli/Visibility.h"

#include "cli/Meanings.h"
#include "cli/Output.h"
#include "cli/WindowFields.h"
#include "dwm/Attributes.h"
#include "dwm/DwmCalls.h"

namespace cli {
namespace {

constexpr DWORD kBackdropAuto = 0, kBackdropNone = 1;
// The first build whose DWM draws system backdrops (DWMWA_SYSTEMBACKDROP_TYPE).
constexpr DWORD kBackdropBuild = 22621;

// Explain reports what the DWM would not say; it explains all the same.
Value Informative(Value value) {
    if (auto* failure = std::get_if<Failure>(&value)) failure->counts = false;
    return value;
}

std::string ShareText(std::int64_t part, std::int64_t whole) {
    return ValueText(Percent{PercentOf(part, whole)});
}

struct Reasons {
    Table table{{"reason", "detail"}, {}};
    bool unseen = false;  // one of them alone hides the window
    void Add(const char* reason, std::string detail, bool hides) {
        table.rows.push_back({{"reason", Word{reason}}, {"detail", Word{std::move(detail)}}});
        unseen = unseen || hides;
    }
};

std::string CloakDetail(DWORD bits, HWND window, Scene& scene) {
    std::string detail = "cloaked by " + dwm::DescribeCloaked(bits);
    if ((bits & DWM_CLOAKED_SHELL) != 0) {
        const Value desktop = scene.Desktops().DesktopId(window);
        const Value current = scene.Desktops().OnCurrentDesktop(window);
        if (std::holds_alternative<Unknown>(desktop)) {
            detail += " (its virtual desktop is unknown: " + std::get<Unknown>(desktop).why + ")";
        } else {
            const auto* yes = std::get_if<YesNo>(&current);
            detail += " (virtual desktop " + ValueText(desktop) +
                      (yes == nullptr ? "" : yes->value ? ", the current one" : ", not the current one") + ")";
        }
    }
    return detail;
}

Value AlphaOf(HWND window) {
    COLORREF key = 0;
    BYTE alpha = 255;
    DWORD flags = 0;
    if (!::GetLayeredWindowAttributes(window, &key, &alpha, &flags)) {
        return Unknown{"drawn through UpdateLayeredWindow: its alpha is per pixel"};
    }
    return Integer{(flags & LWA_ALPHA) != 0 ? alpha : 255};
}

Value Insets(const FrameReading& frame, const RECT& rect) {
    if (!frame.fromDwm) return Unknown{"the DWM gives no frame bounds"};
    return Margins{MARGINS{static_cast<int>(frame.frame.left - rect.left), static_cast<int>(rect.right - frame.frame.right),
                           static_cast<int>(frame.frame.top - rect.top), static_cast<int>(rect.bottom - frame.frame.bottom)}};
}

Table MonitorShares(const Sight& sight, const std::vector<MonitorInfo>& monitors) {
    Table table{{"number", "name", "share"}, {}};
    for (std::size_t i = 0; i < monitors.size() && i < sight.coverage.perMonitor.size(); ++i) {
        if (sight.coverage.perMonitor[i] == 0) continue;
        table.rows.push_back({{"number", Integer{static_cast<std::int64_t>(i + 1)}},
                              {"name", Word{ToUtf8(monitors[i].device)}},
                              {"share", Percent{PercentOf(sight.coverage.perMonitor[i], sight.coverage.frame)}}});
    }
    return table;
}

Table Covering(const Sight& sight, ProcessNames& names) {
    Table table{{"handle", "process", "share", "title"}, {}};
    for (const CoverShare& share : sight.coverage.top) {
        WindowProbe probe(sight.covers[share.index].window, names);
        Facts row = ReadFields(probe, {"handle", "process"});
        row.push_back({"share", Percent{PercentOf(share.area, sight.coverage.frame)}});
        row.push_back({"title", Untrusted{ToUtf8(probe.Title())}});
        table.rows.push_back(std::move(row));
    }
    return table;
}

// Whether a check blocks the backdrop: yes, no, or unknown when its finding is.
Value Blocks(const Setting& setting, bool blocksWhenOn) {
    if (!setting.on) return Unknown{};
    return YesNo{*setting.on == blocksWhenOn};
}

Facts BackdropChecks(HWND window, const Value& asked) {
    const OSVERSIONINFOW os = ReportedOsVersion();
    const bool newEnough = os.dwMajorVersion > 10 || (os.dwMajorVersion == 10 && os.dwBuildNumber >= kBackdropBuild);
    const HWND root = ::GetAncestor(window, GA_ROOT);
    const bool active = root != nullptr && ::GetForegroundWindow() == root;
    const Setting transparency = TransparencyEffects(), energy = EnergySaver(), contrast = HighContrast(),
                  composition = Composition();
    struct Check {
        const char* name;
        Value finding, blocks;
    };
    const Check checks[] = {
        {"build", Version{os.dwMajorVersion, os.dwMinorVersion, os.dwBuildNumber}, YesNo{!newEnough}},
        {"transparency-effects", SettingValue(transparency), Blocks(transparency, false)},
        {"energy-saver", SettingValue(energy), Blocks(energy, true)},
        {"high-contrast", SettingValue(contrast), Blocks(contrast, true)},
        {"active", YesNo{active}, YesNo{!active}},
        {"composition", SettingValue(composition), Blocks(composition, false)},
    };
    Table table{{"check", "finding", "blocks"}, {}};
    bool blocked = false, unsure = false;
    for (const Check& check : checks) {
        const auto* yes = std::get_if<YesNo>(&check.blocks);
        blocked = blocked || (yes != nullptr && yes->value);
        unsure = unsure || yes == nullptr;
        table.rows.push_back({{"check", Word{check.name}}, {"finding", check.finding}, {"blocks", check.blocks}});
    }
    const Value shows = blocked ? Value{YesNo{false}} : unsure ? Value{Unknown{"a check could not be read"}} : Value{YesNo{true}};
    return {{"asked", asked}, {"shows", shows}, {"checks", std::move(table)}};
}

}  // namespace

FrameReading VisibleFrame(HWND window) {
    WindowProbe probe(window);
    return VisibleFrame(probe);
}

FrameReading VisibleFrame(WindowProbe& probe) {
    FrameReading reading;
    const dwm::Attribute& bounds = *dwm::FindAttribute("extended-frame-bounds");
    const dwm::AttributeReading& frame = probe.Attribute(bounds);
    if (frame.result >= 0) {
        reading.frame = frame.value.rect;
        reading.fromDwm = true;
        return reading;
    }
    reading.dwmFailure = Informative(ReadingValue(bounds, frame, Asked::AsPart));
    if (const RECT* rect = probe.Rect()) reading.frame = *rect;
    return reading;
}

CloakReading Cloaking(const dwm::AttributeReading& reading) {
    if (reading.result >= 0) return {reading.value.scalar, Unknown{}};
    Value failure = ReadingValue(*dwm::FindAttribute("cloaked"), reading, Asked::AsPart);
    // No DWM, or one older than cloaking, cloaks nothing.
    if (std::get<Failure>(failure).predicted()) return {0, Unknown{}};
    return {std::nullopt, Informative(std::move(failure))};
}

const std::vector<MonitorInfo>& Scene::Monitors() {
    if (!m_monitors) m_monitors = ReadMonitors();
    return *m_monitors;
}

Scene::Scene(std::vector<HWND> order) : m_ordered(true), m_order(std::move(order)), m_entries(m_order.size()) {
    for (std::size_t i = 0; i < m_order.size(); ++i) m_index.emplace(m_order[i], i);
}

void Scene::ReadOrder() {
    if (m_ordered) return;
    m_ordered = true;
    m_order = TopLevelWindows();
    m_entries.resize(m_order.size());
    for (std::size_t i = 0; i < m_order.size(); ++i) m_index.emplace(m_order[i], i);
}

const Layer& Scene::LayerAt(Entry& entry, HWND window) {
    if (!entry.layer) {
        WindowProbe probe(window);
        entry.layer = Layer{window, {}, false};
        if (!probe.Minimized() && Cloaking(probe.Cloaked()).bits.value_or(0) == 0) {
            entry.layer->frame = VisibleFrame(probe).frame;
            entry.layer->covers = Area(entry.layer->frame) > 0;
        }
    }
    return *entry.layer;
}

std::vector<Layer> Scene::CoversAbove(HWND window, const RECT& area) {
    ReadOrder();
    auto found = m_index.find(window);
    if (found == m_index.end()) found = m_index.find(::GetAncestor(window, GA_ROOT));
    std::vector<Layer> covers;
    if (found == m_index.end()) return covers;
    for (std::size_t i = 0; i < found->second; ++i) {
        Entry& entry = m_entries[i];
        // The cheap questions first: most windows of a desktop are hidden, and a visible frame lies
        // within its window's rectangle, so a rectangle apart from the area covers none of it.
        if (!entry.visible) {
            entry.visible = ::IsWindowVisible(m_order[i]) != FALSE;
            if (*entry.visible && !::GetWindowRect(m_order[i], &entry.rect)) entry.rect = RECT{};
        }
        RECT overlap{};
        if (!*entry.visible || !::IntersectRect(&overlap, &entry.rect, &area)) continue;
        if (const Layer& layer = LayerAt(entry, m_order[i]); layer.covers) covers.push_back(layer);
    }
    return covers;
}

VirtualDesktops& Scene::Desktops() {
    if (!m_desktops) m_desktops = std::make_unique<VirtualDesktops>();
    return *m_desktops;
}

double Sight::ShownPercent() const { return Presented() ? PercentOf(coverage.shown, coverage.frame) : 0.0; }

Sight LookAt(WindowProbe& probe, Scene& scene) {
    Sight sight;
    sight.visible = probe.Visible();
    sight.minimized = probe.Minimized();
    sight.cloak = Cloaking(probe.Cloaked());
    sight.frame = VisibleFrame(probe);
    if (const RECT* rect = probe.Rect()) sight.rect = *rect;
    sight.covers = scene.CoversAbove(probe.Window(), sight.frame.frame);
    std::vector<RECT> monitors, covers;
    for (const MonitorInfo& monitor : scene.Monitors()) monitors.push_back(monitor.rect);
    for (const Layer& layer : sight.covers) covers.push_back(layer.frame);
    sight.coverage = ComputeCoverage(sight.frame.frame, monitors, covers);
    return sight;
}

Facts ExplainWindow(HWND window, Scene& scene, ProcessNames& names, bool backdrop) {
    WindowProbe probe(window, names);
    Facts facts = ReadFields(probe, {"handle", "pid", "process", "class", "title"});
    const Sight sight = LookAt(probe, scene);
    const Coverage& c = sight.coverage;
    const Value affinity = DisplayAffinity(window);
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    const bool layered = (exStyle & WS_EX_LAYERED) != 0;
    const Value alpha = layered ? AlphaOf(window) : Value{Integer{255}};

    Reasons reasons;
    if (!sight.visible) reasons.Add("hidden", "its visibility flag (WS_VISIBLE) is off", true);
    if (sight.minimized) reasons.Add("minimized", "it is minimized", true);
    if (c.frame == 0) reasons.Add("zero-size", "its visible frame has no area", true);
    if (sight.cloak.bits.value_or(0) != 0) reasons.Add("cloaked", CloakDetail(*sight.cloak.bits, window, scene), true);
    if (!sight.cloak.bits) {
        reasons.Add("cloaking-unknown", "the DWM cannot tell whether it is cloaked (" + ValueText(sight.cloak.failure) + ")", false);
    }
    if (c.frame > 0 && c.onMonitors < c.frame) {
        reasons.Add("off-screen", ShareText(c.frame - c.onMonitors, c.frame) + " of its frame lies on no monitor",
                    c.onMonitors == 0);
    }
    if (c.covered > 0) {
        const bool hidden = c.onMonitors > 0 && c.shown == 0;
        reasons.Add("covered", ShareText(c.covered, c.frame) + " of its frame lies under " + std::to_string(c.coverCount) +
                                   (c.coverCount == 1 ? " window" : " windows") + " above it",
                    hidden);
    }
    if (const auto* a = std::get_if<Integer>(&alpha); layered && a != nullptr && a->value == 0) {
        reasons.Add("transparent", "layered with alpha 0", true);
    }
    if (const auto* word = std::get_if<Word>(&affinity); word != nullptr && word->text != "none") {
        reasons.Add("capture", "display affinity " + word->text + ": seen on the screen, " +
                                   (word->text == "monitor" ? "black" : "absent") + " in captures",
                    false);
    }
    const double shown = sight.ShownPercent();
    const char* verdict = reasons.unseen || shown == 0.0 ? "not seen" : shown < 100.0 ? "partly seen" : "seen";

    facts.push_back({"verdict", Word{verdict}});
    facts.push_back({"reasons", std::move(reasons.table)});
    facts.push_back({"visible", YesNo{sight.visible}});
    facts.push_back({"minimized", YesNo{sight.minimized}});
    facts.push_back({"cloaked", sight.cloak.bits ? Value{Word{dwm::DescribeCloaked(*sight.cloak.bits)}} : sight.cloak.failure});
    // The shell cloaks the windows of the other virtual desktops: asked only then.
    if ((sight.cloak.bits.value_or(0) & DWM_CLOAKED_SHELL) != 0) {
        facts.push_back({"desktop", scene.Desktops().DesktopId(window)});
        facts.push_back({"current-desktop", scene.Desktops().OnCurrentDesktop(window)});
    }
    facts.push_back({"affinity", affinity});
    facts.push_back({"frame", Rect{sight.frame.frame}});
    facts.push_back({"frame-from", sight.frame.fromDwm ? Value{Word{"dwm"}} : sight.frame.dwmFailure});
    facts.push_back({"rect", Rect{sight.rect}});
    facts.push_back({"insets", Insets(sight.frame, sight.rect)});
    facts.push_back({"dpi", Integer{WindowDpi(window)}});
    facts.push_back({"dpi-awareness", WindowDpiAwareness(window)});
    facts.push_back({"process-dpi-awareness", ProcessDpiAwareness(probe.Pid())});
    facts.push_back({"on-monitors", Percent{PercentOf(c.onMonitors, c.frame)}});
    facts.push_back({"monitors", MonitorShares(sight, scene.Monitors())});
    facts.push_back({"covered", Percent{PercentOf(c.covered, c.frame)}});
    facts.push_back({"covered-by", Covering(sight, names)});
    facts.push_back({"shown", Percent{shown}});
    facts.push_back({"layered", YesNo{layered}});
    facts.push_back({"alpha", alpha});

    const dwm::Attribute& material = *dwm::FindAttribute("backdrop");
    const dwm::AttributeReading reading = dwm::ReadAttribute(window, material);
    const bool asks = reading.result >= 0 && reading.value.scalar != kBackdropAuto && reading.value.scalar != kBackdropNone;
    const Value asked = Informative(ReadingValue(material, reading, Asked::AsPart));
    if (asks || backdrop) {
        facts.push_back({"backdrop", Group{BackdropChecks(window, asked)}});
    } else {
        facts.push_back({"backdrop", Group{{{"asked", asked}}}});
    }
    return facts;
}

}  // namespace cli
