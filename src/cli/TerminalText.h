#pragma once
// Text that other programs choose (window titles, class and image names) on its way to a
// terminal: nothing in it may move the cursor, colour the screen or reorder the line.
#include <cstddef>
#include <string>
#include <string_view>

namespace cli {

// The UTF-8 text with C0 and C1 controls, DEL and the bidirectional embedding, override and
// isolate characters written as escapes (\n, \t, \x1b, \u202e) and a backslash doubled; with
// quoted, inside double quotes, a quote inside escaped (\").
std::string TerminalSafe(std::string_view utf8, bool quoted = false);

// The columns the UTF-8 text takes on a terminal: East Asian wide and fullwidth characters and
// emoji two, combining marks and zero-width characters none, everything else one.
std::size_t DisplayWidth(std::string_view utf8);

}  // namespace cli
