#pragma once
// Text that other programs choose (window titles, class and image names) on its way to a
// terminal: nothing in it may move the cursor, colour the screen or reorder the line.
#include <cstddef>
#include <string>
#include <string_view>

namespace cli {

// The text (UTF-8, or WTF-8 with lone surrogates: Output.h) with every character that a terminal
// would obey or that shows as nothing written as an escape (\n, \t, \x1b, \u202e) and a backslash
// doubled; with quoted, inside double quotes, a quote inside escaped (\"). Escaped: C0, DEL and C1;
// the bidirectional marks, embeddings, overrides and isolates (U+061C, U+200E-U+200F, U+202A-U+202E,
// U+2066-U+2069); the line and paragraph separators (U+2028, U+2029); the invisible format
// characters by which one title passes for another: soft hyphen (U+00AD), Mongolian vowel separator
// (U+180E), zero-width space, non-joiner and joiner (U+200B-U+200D), word joiner, invisible
// operators and the deprecated format characters (U+2060-U+206F), byte order mark (U+FEFF),
// interlinear annotation (U+FFF9-U+FFFB); and lone surrogates. An emoji sequence thus shows its
// joiners (\u200d). Left as they are: variation selectors and tag characters, which take part in
// emoji and flags, and combining marks, which show on the character they follow.
std::string TerminalSafe(std::string_view utf8, bool quoted = false);

// The columns the UTF-8 text takes on a terminal: East Asian wide and fullwidth characters and
// emoji two, combining marks and zero-width characters none, everything else one.
std::size_t DisplayWidth(std::string_view utf8);

}  // namespace cli
