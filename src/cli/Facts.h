#pragma once
// What a command found out: an ordered list of facts, each a key and a typed value, gathered once.
// The text writer and the JSON writer both walk the same list, and each kind of value is written
// in both forms side by side (Facts.cpp), so the two forms cannot disagree.
#include <windows.h>
#include <dwmapi.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace cli {

struct Fact;
using Facts = std::vector<Fact>;

struct Unknown {  // nobody could tell: null; in text "?", or "unknown: why" where a reason is known but in a listing
    std::string why;
};
struct YesNo {
    bool value;
};
struct OnOff {
    bool value;
};
struct Integer {
    std::int64_t value;
};
struct Real {
    double value;  // three decimals in text
};
struct Percent {
    double value;  // "37.5 %", "100 %" in text; two decimals in JSON
};
struct Word {  // the tool's own words: a name, a time stamp
    std::string text;
};
struct Untrusted {  // chosen by a window's owner: escaped in text, exact in JSON
    std::string text;
    bool quoted = false;  // in text, where it is not a table cell
};
struct Handle {
    HWND window;
};
struct Mark {  // there only when it holds: its word in text, true in JSON
    std::string word;
};
struct Rect {
    RECT rect;
};
struct Margins {
    MARGINS margins;
};
struct Colour {  // a COLORREF, or the DWM's default and none markers
    DWORD colorref;
};
struct Colorization {
    DWORD argb;
    bool opaqueBlend;
};
struct Rate {  // a refresh rate
    UINT32 numerator, denominator;
};
struct Version {
    DWORD major, minor, build;
};
struct Done {  // a call that succeeded
    HRESULT result;
};
// Why the DWM's documentation predicts a refusal, where it does.
enum class Foreseen { No, NoDwm, SetOnly, Newer };
struct Failure {
    HRESULT result;
    std::string meaning;
    Foreseen foreseen = Foreseen::No;
    bool counts = true;  // makes the command exit 1
    std::string need{};  // Newer: the build that knows it ("build 22000")

    bool predicted() const { return foreseen != Foreseen::No; }
};
struct Painted {  // what `set --verify` saw of a value it set; not painted makes the command exit 1
    bool holds;
    std::string seen;   // "round (radius 8)", "caption #F3F3F3"
    std::string asked;  // the value as set takes it
    std::string after;  // the repaint after which it was painted, if one was needed
};
struct Group {
    Facts facts;
    bool prefixed = true;  // in text, each member keyed "group member"; else by its own key
    // In text, the members whose refusal was foreseen and does not count are named on one line per
    // reason after the others, rather than a line each.
    bool gathersForeseen = false;
};
struct Change {  // "backdrop: mica -> acrylic"; values holds "from" and "to"
    std::string name;
    Facts values;
};
struct Table {
    std::vector<std::string> columns;
    std::vector<Facts> rows;
    bool shortFailures = false;  // in text, a failed cell reads "?" (or "no DWM"), the JSON has the reason
};

using Value = std::variant<Unknown, YesNo, OnOff, Integer, Real, Percent, Word, Untrusted, Handle, Mark, Rect, Margins, Colour,
                           Colorization, Rate, Version, Done, Failure, Painted, Group, Change, Table>;

struct Fact {
    std::string key;
    Value value;
};

// The whole document a command writes: aligned text, or one JSON document (a document that is a
// single table is a JSON array).
std::string DocumentText(const Facts& facts);
std::string DocumentJson(const Facts& facts);
// One event: its values on one line, or one JSON object on one line.
std::string LineText(const Facts& facts);
std::string LineJson(const Facts& facts);
// The text of one value, as a table cell or a pair shows it.
std::string ValueText(const Value& value, bool inTable = false, bool shortFailure = false);

// Whether any failure in the facts makes the command exit 1.
bool HasFailure(const Facts& facts);

// "0x8007000e", "0x0001a2b4": the low 32 bits, which are all of a window handle.
std::string HexResult(HRESULT result);
std::string HexHandle(HWND window);
// "#RRGGBB" of a COLORREF's red, green and blue.
std::string ColourText(COLORREF colour);

}  // namespace cli
