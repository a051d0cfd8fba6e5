#include "cli/TerminalText.h"

#include <cstdio>
#include <iterator>

#include "cli/Output.h"

namespace cli {
namespace {

struct Range {
    char32_t first, last;
};

// East Asian Width W and F (Unicode 15), with the emoji presentation blocks.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x23F0, 0x23F0},
    {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},   {0x2648, 0x2653},   {0x267F, 0x267F},
    {0x2693, 0x2693},   {0x26A1, 0x26A1},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},
    {0x26CE, 0x26CE},   {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},
    {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},   {0x2757, 0x2757},   {0x2795, 0x2797},
    {0x27B0, 0x27B0},   {0x27BF, 0x27BF},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},
    {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
    {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},
    {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4}, {0x17000, 0x18CFF}, {0x1B000, 0x1B2FF},
    {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F251},
    {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

// Combining marks, joiners and variation selectors: they ride on the character before them.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
    {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x2064}, {0x2066, 0x206F}, {0x20D0, 0x20FF},
    {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}, {0x1F3FB, 0x1F3FF}, {0xE0100, 0xE01EF},
};

bool In(char32_t c, const Range* begin, const Range* end) {
    for (const Range* range = begin; range != end; ++range) {
        if (c >= range->first && c <= range->last) return true;
    }
    return false;
}

std::string Escape(char32_t c) {
    switch (c) {
        case '\n': return "\\n";
        case '\r': return "\\r";
        case '\t': return "\\t";
        default: break;
    }
    char text[16];
    if (c < 0x100) {
        std::snprintf(text, sizeof text, "\\x%02x", static_cast<unsigned>(c));
    } else {
        std::snprintf(text, sizeof text, "\\u%04x", static_cast<unsigned>(c));
    }
    return text;
}

// The characters TerminalSafe escapes (TerminalText.h says which and why).
constexpr Range kEscaped[] = {
    {0x0000, 0x001F}, {0x007F, 0x009F}, {0x00AD, 0x00AD}, {0x061C, 0x061C}, {0x180E, 0x180E},
    {0x200B, 0x200F}, {0x2028, 0x202E}, {0x2060, 0x206F}, {0xD800, 0xDFFF}, {0xFEFF, 0xFEFF},
    {0xFFF9, 0xFFFB},
};

bool NeedsEscape(char32_t c) { return In(c, std::begin(kEscaped), std::end(kEscaped)); }

}  // namespace

std::string TerminalSafe(std::string_view utf8, bool quoted) {
    std::string safe = quoted ? "\"" : "";
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t start = at;
        const char32_t c = NextCodePoint(utf8, at);
        if (NeedsEscape(c)) {
            safe += Escape(c);
        } else if (c == 0xFFFD) {
            safe += "\xEF\xBF\xBD";  // a byte that starts no character, as the JSON form shows it too
        } else if (c == '\\' || (quoted && c == '"')) {
            safe += '\\';
            safe += static_cast<char>(c);
        } else {
            safe.append(utf8.substr(start, at - start));
        }
    }
    return quoted ? safe + "\"" : safe;
}

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t c = NextCodePoint(utf8, at);
        if (In(c, std::begin(kZeroWidth), std::end(kZeroWidth))) continue;
        width += In(c, std::begin(kWide), std::end(kWide)) ? 2 : 1;
    }
    return width;
}

}  // namespace cli
