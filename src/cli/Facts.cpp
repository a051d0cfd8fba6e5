// Every kind of value in its two forms, side by side; the one file that includes the JSON library.
#include "cli/Facts.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "cli/Output.h"
#include "cli/TerminalText.h"
#include "dwm/Attributes.h"

namespace cli {
namespace {

using Json = nlohmann::ordered_json;

template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

std::string Format(const char* format, auto... args) {
    char text[128];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

std::string ColourName(DWORD colorref) {
    if (colorref == dwm::kColourDefault) return "default";
    if (colorref == dwm::kColourNone) return "none";
    return ColourText(colorref);
}

// Rounded to 1/steps, but never to 0 or 100 when it is not: 99.96 % of a window is not all of it.
double RoundShare(double percent, double steps) {
    double rounded = std::round(percent * steps) / steps;
    if (rounded >= 100.0 && percent < 100.0) rounded = 100.0 - 1.0 / steps;
    if (rounded <= 0.0 && percent > 0.0) rounded = 1.0 / steps;
    return rounded;
}

COLORREF RgbOf(DWORD argb) { return RGB(argb >> 16 & 0xFF, argb >> 8 & 0xFF, argb & 0xFF); }

Json RectJson(const RECT& r) { return Json{{"left", r.left}, {"top", r.top}, {"right", r.right}, {"bottom", r.bottom}}; }

Json ToJson(const Value& value);

Json ObjectJson(const Facts& facts) {
    Json object = Json::object();
    for (const Fact& fact : facts) object[fact.key] = ToJson(fact.value);
    return object;
}

Json ToJson(const Value& value) {
    return std::visit(
        Overloaded{
            [](const Unknown&) { return Json(); },
            [](const YesNo& v) { return Json(v.value); },
            [](const OnOff& v) { return Json(v.value); },
            [](const Integer& v) { return Json(v.value); },
            [](const Real& v) { return Json(v.value); },
            [](const Percent& v) { return Json(RoundShare(v.value, 100.0)); },
            [](const Word& v) { return Json(v.text); },
            [](const Untrusted& v) { return Json(v.text); },
            [](const Handle& v) { return Json(HexHandle(v.window)); },
            [](const Mark&) { return Json(true); },
            [](const Rect& v) { return RectJson(v.rect); },
            [](const Margins& v) {
                const MARGINS& m = v.margins;
                return Json{{"left", m.cxLeftWidth}, {"right", m.cxRightWidth}, {"top", m.cyTopHeight},
                            {"bottom", m.cyBottomHeight}};
            },
            [](const Colour& v) { return Json(ColourName(v.colorref)); },
            [](const Colorization& v) {
                return Json{{"rgb", ColourText(RgbOf(v.argb))},
                            {"alpha", v.argb >> 24},
                            {"argb", HexResult(static_cast<HRESULT>(v.argb))},
                            {"opaque-blend", v.opaqueBlend}};
            },
            [](const Rate& v) { return Json{{"numerator", v.numerator}, {"denominator", v.denominator}}; },
            [](const Version& v) { return Json{{"major", v.major}, {"minor", v.minor}, {"build", v.build}}; },
            [](const Done& v) { return Json{{"hresult", HexResult(v.result)}}; },
            [](const Failure& v) { return Json{{"hresult", HexResult(v.result)}, {"error", v.meaning}}; },
            [](const Painted& v) {
                Json painted{{"painted", v.holds}, {"seen", v.seen}, {"asked", v.asked}};
                if (!v.after.empty()) painted["after"] = v.after;
                return painted;
            },
            [](const Group& v) { return ObjectJson(v.facts); },
            [](const Change& v) {
                Json change{{"name", v.name}};
                change.update(ObjectJson(v.values));
                return change;
            },
            [](const Table& v) {
                Json rows = Json::array();
                for (const Facts& row : v.rows) rows.push_back(ObjectJson(row));
                return rows;
            },
        },
        value);
}

// UTF-8 as it is; a lone surrogate (WTF-8, Output.h) as its \u escape, which JSON allows and a
// reader turns back into the same UTF-16; a byte that starts no character as U+FFFD. The rest as
// the library escapes it.
void AppendString(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        const char32_t c = NextCodePoint(text, at);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || IsSurrogate(c)) out += Format("\\u%04x", static_cast<unsigned>(c));
                else out.append(c == 0xFFFD ? "\xEF\xBF\xBD" : text.substr(start, at - start));
        }
    }
    out += '"';
}

// Compact, as the library dumps it, but with strings written by AppendString.
void AppendJson(std::string& out, const Json& value) {
    if (value.is_string()) return AppendString(out, value.get_ref<const std::string&>());
    if (!value.is_structured()) {
        out += value.dump();
        return;
    }
    out += value.is_object() ? '{' : '[';
    for (auto member = value.begin(); member != value.end(); ++member) {
        if (member != value.begin()) out += ',';
        if (value.is_object()) {
            AppendString(out, member.key());
            out += ':';
        }
        AppendJson(out, *member);
    }
    out += value.is_object() ? '}' : ']';
}

std::string Dump(const Json& document) {
    std::string text;
    AppendJson(text, document);
    return text + "\n";
}

std::string Pad(const std::string& text, std::size_t width) {
    return text + std::string(width - std::min(width, DisplayWidth(text)), ' ');
}

// Each column as wide as its widest cell, two blanks between, the last column not padded.
std::string Aligned(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    }
    std::string text;
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) text += i + 1 < row.size() ? Pad(row[i], widths[i]) + "  " : row[i];
        text += "\n";
    }
    return text;
}

std::string TableText(const Table& table) {
    std::vector<std::vector<std::string>> rows{table.columns};
    for (const Facts& facts : table.rows) {
        rows.emplace_back();
        for (const Fact& fact : facts) rows.back().push_back(ValueText(fact.value, true, table.shortFailures));
    }
    return Aligned(rows);
}

// The foreseen refusals that did not count, a line each reason: "set-only (not reported): a, b".
std::string GatheredLines(const Facts& facts) {
    std::string setOnly, newer;
    for (const Fact& fact : facts) {
        const auto* failure = std::get_if<Failure>(&fact.value);
        if (failure == nullptr || failure->counts) continue;
        if (failure->foreseen == Foreseen::SetOnly) setOnly += (setOnly.empty() ? "" : ", ") + fact.key;
        if (failure->foreseen == Foreseen::Newer) newer += (newer.empty() ? "" : ", ") + fact.key + " (" + failure->need + ")";
    }
    return (setOnly.empty() ? "" : "set-only (not reported): " + setOnly + "\n") +
           (newer.empty() ? "" : "newer than this Windows: " + newer + "\n");
}

bool IsGathered(const Fact& fact) {
    const auto* failure = std::get_if<Failure>(&fact.value);
    return failure != nullptr && !failure->counts &&
           (failure->foreseen == Foreseen::SetOnly || failure->foreseen == Foreseen::Newer);
}

// The pairs of key and value; the gathered lines and the tables, which follow them, in their own texts.
void CollectPairs(const Facts& facts, const std::string& prefix, std::vector<std::vector<std::string>>& pairs,
                  std::string& gathered, std::string& tables) {
    for (const Fact& fact : facts) {
        if (const auto* group = std::get_if<Group>(&fact.value)) {
            const std::string inner = group->prefixed ? prefix + fact.key + " " : prefix;
            if (!group->gathersForeseen) {
                CollectPairs(group->facts, inner, pairs, gathered, tables);
                continue;
            }
            Facts own;
            std::copy_if(group->facts.begin(), group->facts.end(), std::back_inserter(own),
                         [](const Fact& f) { return !IsGathered(f); });
            CollectPairs(own, inner, pairs, gathered, tables);
            gathered += GatheredLines(group->facts);
        } else if (const auto* table = std::get_if<Table>(&fact.value)) {
            if (table->rows.empty()) pairs.push_back({prefix + fact.key, "none"});
            else tables += "\n" + prefix + fact.key + ":\n" + TableText(*table);
        } else {
            pairs.push_back({prefix + fact.key, ValueText(fact.value)});
        }
    }
}

}  // namespace

std::string ValueText(const Value& value, bool inTable, bool shortFailure) {
    return std::visit(
        Overloaded{
            [shortFailure](const Unknown& v) { return v.why.empty() || shortFailure ? std::string("?") : "unknown: " + v.why; },
            [](const YesNo& v) { return std::string(v.value ? "yes" : "no"); },
            [](const OnOff& v) { return std::string(v.value ? "on" : "off"); },
            [](const Integer& v) { return std::to_string(v.value); },
            [](const Real& v) { return Format("%.3f", v.value); },
            [](const Percent& v) {
                // One decimal, none for a whole number: 100 %, 37.5 %.
                const double share = RoundShare(v.value, 10.0);
                return std::fmod(share, 1.0) == 0.0 ? Format("%.0f %%", share) : Format("%.1f %%", share);
            },
            [](const Word& v) { return v.text; },
            [inTable](const Untrusted& v) { return TerminalSafe(v.text, v.quoted && !inTable); },
            [](const Handle& v) { return HexHandle(v.window); },
            [](const Mark& v) { return v.word; },
            [](const Rect& v) {
                const RECT& r = v.rect;
                return Format("%ld, %ld, %ld, %ld (%ld x %ld)", r.left, r.top, r.right, r.bottom, r.right - r.left,
                              r.bottom - r.top);
            },
            [](const Margins& v) {
                const MARGINS& m = v.margins;
                return Format("left %d, right %d, top %d, bottom %d", m.cxLeftWidth, m.cxRightWidth, m.cyTopHeight,
                              m.cyBottomHeight);
            },
            [](const Colour& v) { return ColourName(v.colorref); },
            [](const Colorization& v) {
                return ColourText(RgbOf(v.argb)) + " alpha " + std::to_string(v.argb >> 24) + " (" +
                       HexResult(static_cast<HRESULT>(v.argb)) + "), " + (v.opaqueBlend ? "opaque blend" : "blended");
            },
            [](const Rate& v) {
                const double hz = v.denominator != 0 ? static_cast<double>(v.numerator) / v.denominator : 0.0;
                return Format("%.3f Hz (%u/%u)", hz, v.numerator, v.denominator);
            },
            [](const Version& v) { return Format("%lu.%lu.%lu", v.major, v.minor, v.build); },
            [](const Done&) { return std::string("DWM OK"); },
            [shortFailure](const Failure& v) {
                // A listing's cell has no room for the reason: "?", or the one that explains a whole column.
                if (shortFailure) return std::string(v.foreseen == Foreseen::NoDwm ? "no DWM" : "?");
                return v.predicted() ? v.meaning : "error " + HexResult(v.result) + ": " + v.meaning;
            },
            [](const Painted& v) {
                if (!v.holds) return "not painted: " + v.seen + ", asked " + v.asked;
                return "painted" + (v.after.empty() ? std::string() : " after " + v.after) + ": " + v.seen;
            },
            [](const Group& v) {
                std::string text;
                for (const Fact& fact : v.facts) text += (text.empty() ? "" : ", ") + ValueText(fact.value, true);
                return text;
            },
            [](const Change& v) {
                std::string text = v.name + ":";
                for (const Fact& fact : v.values) text += (fact.key == "to" ? " -> " : " ") + ValueText(fact.value);
                return text;
            },
            [](const Table& v) { return std::to_string(v.rows.size()) + " rows"; },
        },
        value);
}

std::string DocumentText(const Facts& facts) {
    if (facts.size() == 1) {
        if (const auto* table = std::get_if<Table>(&facts.front().value)) return TableText(*table);
    }
    std::vector<std::vector<std::string>> pairs;
    std::string gathered, tables;
    CollectPairs(facts, "", pairs, gathered, tables);
    return Aligned(pairs) + gathered + tables;
}

std::string DocumentJson(const Facts& facts) {
    if (facts.size() == 1 && std::holds_alternative<Table>(facts.front().value)) return Dump(ToJson(facts.front().value));
    return Dump(ObjectJson(facts));
}

std::string LineText(const Facts& facts) {
    std::string text;
    for (const Fact& fact : facts) text += (text.empty() ? "" : "  ") + ValueText(fact.value);
    return text + "\n";
}

std::string LineJson(const Facts& facts) { return Dump(ObjectJson(facts)); }

bool HasFailure(const Facts& facts) {
    return std::any_of(facts.begin(), facts.end(), [](const Fact& fact) {
        if (const auto* failure = std::get_if<Failure>(&fact.value)) return failure->counts;
        if (const auto* painted = std::get_if<Painted>(&fact.value)) return !painted->holds;
        if (const auto* group = std::get_if<Group>(&fact.value)) return HasFailure(group->facts);
        if (const auto* table = std::get_if<Table>(&fact.value)) {
            return std::any_of(table->rows.begin(), table->rows.end(), [](const Facts& row) { return HasFailure(row); });
        }
        return false;
    });
}

std::string HexResult(HRESULT result) { return Format("0x%08lx", static_cast<unsigned long>(static_cast<DWORD>(result))); }

std::string HexHandle(HWND window) {
    return Format("0x%08lx", static_cast<unsigned long>(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window))));
}

std::string ColourText(COLORREF colour) { return Format("#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour)); }

}  // namespace cli
