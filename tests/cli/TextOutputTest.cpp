// Text from other programs on its way out, in process: escaped for a terminal and measured in
// columns, exact in JSON down to a lone surrogate in a window's title; and bytes that a writer
// takes a few at a time, or refuses.
#include "cli/Output.h"
#include "cli/TerminalText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "cli/Facts.h"
#include "cli/WindowFields.h"

namespace {

std::string Utf8(char32_t c) {
    if (c < 0x10000) return cli::ToUtf8(std::wstring(1, static_cast<wchar_t>(c)));
    const wchar_t pair[] = {static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)), static_cast<wchar_t>(0xDC00 + (c & 0x3FF))};
    return cli::ToUtf8(std::wstring_view(pair, 2));
}

TEST(TerminalTextTest, ControlsAndDirectionOverridesAreEscapedAndWideCharactersTakeTwoColumns) {
    const std::tuple<std::string, bool, std::string> kSafe[] = {
        {"two\nlines", false, "two\\nlines"}, {"a\nb\r\tc", false, "a\\nb\\r\\tc"},
        {"\x1b[31mred", false, "\\x1b[31mred"}, {"del\x7f c1\xc2\x9b", false, "del\\x7f c1\\x9b"},
        {"evil\xe2\x80\xaetxt.exe", false, "evil\\u202etxt.exe"}, {"\xe2\x81\xa6iso", false, "\\u2066iso"},
        {"say \"hi\" \\o/", true, "\"say \\\"hi\\\" \\\\o/\""}, {"say \"hi\"", false, "say \"hi\""},
        {"日本語 🎌", true, "\"日本語 🎌\""}, {"\xff", false, "\xef\xbf\xbd"}};
    for (const auto& [text, quoted, safe] : kSafe) EXPECT_EQ(cli::TerminalSafe(text, quoted), safe) << text;
    const std::pair<const char*, size_t> kWidths[] = {{"abc", 3}, {"日本語のタイトル 🎌", 19}, {"e\xcc\x81", 1},
                                                      {"ｶﾀｶﾅ", 4}, {"한국어", 6}, {"", 0}};
    for (const auto& [text, width] : kWidths) EXPECT_EQ(cli::DisplayWidth(text), width) << text;
}

TEST(TerminalTextTest, InvisibleCharactersAreEscapedUpToTheEdgesOfTheirRanges) {
    // Each escaped range's ends, and the characters just outside, which stay as they are (null).
    const std::pair<char32_t, const char*> kEscapes[] = {
        {0x1F, "\\x1f"}, {0x20, nullptr}, {0x7E, nullptr}, {0x7F, "\\x7f"}, {0x9F, "\\x9f"}, {0xA0, nullptr},
        {0xAD, "\\xad"}, {0xAE, nullptr}, {0x200A, nullptr}, {0x200B, "\\u200b"}, {0x200D, "\\u200d"},
        {0x200F, "\\u200f"}, {0x2010, nullptr}, {0x2027, nullptr}, {0x2028, "\\u2028"}, {0x2029, "\\u2029"},
        {0x202F, nullptr}, {0x205F, nullptr}, {0x2060, "\\u2060"}, {0x206F, "\\u206f"}, {0x2070, nullptr},
        {0xD7FF, nullptr}, {0xD800, "\\ud800"}, {0xDFFF, "\\udfff"}, {0xFEFF, "\\ufeff"}, {0xFF01, nullptr}};
    for (const auto& [c, escape] : kEscapes) {
        EXPECT_EQ(cli::TerminalSafe("<" + Utf8(c) + ">"), "<" + (escape ? escape : Utf8(c)) + ">") << std::hex << static_cast<unsigned>(c);
    }
    // The ends of the supplementary ideographs.
    const std::pair<char32_t, size_t> kWidths[] = {{0x1FFFF, 1}, {0x20000, 2}, {0x2FFFD, 2}, {0x2FFFE, 1}};
    for (const auto& [c, width] : kWidths) EXPECT_EQ(cli::DisplayWidth(Utf8(c)), width) << std::hex << static_cast<unsigned>(c);
}

TEST(TextOutputTest, ATitleWithALoneSurrogateIsEscapedInTextAndExactInJson) {
    struct Row { std::wstring title; std::string json, text; };
    const Row rows[] = {
        {L"a\xD800z", "a\\ud800z", "a\\ud800z"},
        {L"\xDC00\xD83C", "\\udc00\\ud83c", "\\udc00\\ud83c"},  // low before high: two lone ones
        {L"\xD83C\xDF8C!", "🎌!", "🎌!"},
        {L"q\"\\\x1f", "q\\\"\\\\\\u001f", "q\\\"\\\\\\x1f"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.json);
        const HWND window = ::CreateWindowExW(0, L"STATIC", row.title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                              nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        cli::ProcessNames names;
        cli::WindowProbe probe(window, names);
        const cli::Facts facts = cli::ReadFields(probe, {"title"});
        ::DestroyWindow(window);
        EXPECT_EQ(cli::DocumentJson(facts), "{\"title\":\"" + row.json + "\"}\n");
        EXPECT_EQ(cli::DocumentText(facts), "title  \"" + row.text + "\"\n");
        EXPECT_EQ(cli::ToWide(cli::ToUtf8(row.title)), row.title);
    }
    // What a file or a pipe gets where such text is not escaped: valid UTF-8.
    EXPECT_EQ(cli::ToStrictUtf8(cli::ToUtf8(L"a\xD800\xD83C\xDF8C")), "a\xEF\xBF\xBD🎌");
}

TEST(TextOutputTest, AWriterGetsEveryByteInOrderHoweverFewItTakesAndItsFailureIsTheResult) {
    const std::string text = "0123456789abcdefghij";
    struct Row { const char* name; DWORD take; int failingCall; DWORD result; size_t delivered; };
    const Row rows[] = {
        {"three at a time", 3, -1, 0, 20},
        {"one at a time", 1, -1, 0, 20},
        {"fails at the third call", 3, 2, ERROR_NO_DATA, 6},
        {"takes nothing", 0, -1, ERROR_WRITE_FAULT, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string arrived;
        int calls = 0;
        const DWORD result = cli::WriteAll(text, [&](std::string_view bytes, DWORD& written) -> DWORD {
            if (calls++ == row.failingCall) return ERROR_NO_DATA;
            written = static_cast<DWORD>(std::min<size_t>(row.take, bytes.size()));
            arrived.append(bytes.substr(0, written));
            return 0;
        });
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(arrived, text.substr(0, row.delivered));
    }
}

}  // namespace
