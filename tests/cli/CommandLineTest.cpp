// velmora's command line in process, driven by the one list of commands: what each line parses to
// or what is wrong with it, that no argument list breaks the parser, the argument helpers at their
// edges, and that every value name maps to its number and back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>

#include "cli/Arguments.h"
#include "cli/Capture.h"
#include "cli/Facts.h"
#include "cli/Velmora.h"
#include "dwm/Attributes.h"

namespace {

using Args = std::vector<std::string>;
using Kind = cli::ParsedCommandLine::Kind;

cli::ParsedCommandLine Parse(const Args& args) { return cli::ParseCommandLine(cli::Commands(), args); }

// A line each command takes as it stands; a new command adds its own.
const std::map<std::string, Args> kValidLines = {
    {"windows", {"windows"}}, {"get", {"get", "0x10"}}, {"composition", {"composition"}}, {"watch", {"watch"}},
    {"set", {"set", "0x10", "corner=round"}}, {"frame", {"frame", "0x10", "all"}}, {"blur", {"blur", "0x10", "on"}},
    {"capture", {"capture", "0x10"}}, {"wait", {"wait", "0x10"}}, {"monitors", {"monitors"}}, {"explain", {"explain", "0x10"}},
    {"move", {"move", "0x10", "1", "2"}}, {"doctor", {"doctor"}}, {"look", {"look", "0x10"}},
};

TEST(CommandLineTest, EveryCommandParsesHasItsHelpAndRefusesWordsAfterItsArguments) {
    const cli::ParsedCommandLine programHelp = Parse({"--help"});
    ASSERT_EQ(programHelp.kind, Kind::Help);
    const auto options = cli::CommandOptions(cli::Commands());
    for (const cli::CommandRow& row : cli::Commands()) {
        SCOPED_TRACE(row.name);
        EXPECT_NE(programHelp.text.find(std::string("  ") + row.name), std::string::npos);
        const auto valid = kValidLines.find(row.name);
        ASSERT_NE(valid, kValidLines.end()) << "add a line the command takes to kValidLines";
        Args json{"--json"};
        json.insert(json.end(), valid->second.begin(), valid->second.end());
        for (const Args& line : {valid->second, json}) {
            const cli::ParsedCommandLine parsed = Parse(line);
            EXPECT_EQ(parsed.kind, Kind::Command) << parsed.text;
            EXPECT_EQ(parsed.command, row.name);
            EXPECT_TRUE(parsed.run);
        }
        const cli::ParsedCommandLine help = Parse({row.name, "--help"});
        ASSERT_EQ(help.kind, Kind::Help);
        EXPECT_NE(help.text.find(std::string("velmora ") + row.name), std::string::npos);
        EXPECT_NE(help.text.find("Exit status: 0 done"), std::string::npos);
        const auto declared = std::find_if(options.begin(), options.end(), [&](const auto& o) { return o.first == row.name; });
        ASSERT_NE(declared, options.end());
        for (const std::string& option : declared->second) EXPECT_NE(help.text.find(option), std::string::npos) << option;
        // "--" ends the options, not the count of arguments: one rule for every command.
        for (const Args& tail : {Args{"--", "stray", "words"}, Args{"--bogus"}}) {
            Args line = valid->second;
            line.insert(line.end(), tail.begin(), tail.end());
            const cli::ParsedCommandLine parsed = Parse(line);
            EXPECT_EQ(parsed.kind, Kind::Usage) << testing::PrintToString(line) << " ran as " << parsed.command;
        }
    }
}

// The arguments, and the command they parse to or "! part of the message".
using Row = std::pair<Args, std::string>;
const Row kRows[] = {
    {{"frob"}, "! unknown command 'frob' (windows, get, "}, {{"windows", "--bogus"}, "! --bogus"}, {{}, "! no command"},
    {{"set", "0x10", "x=on"}, "! 'x'"}, {{"get", "0x10", "nosuch"}, "! 'nosuch'"}, {{"get", "0x10", "nc-policy", "corner"}, "get"},
    {{"get", "0x10", "corner", "cloaked", "corner"}, "! 'corner' given twice"},
    {{"windows", "--fields", "handle,title,handle"}, "! 'handle' given twice"}, {{"get", "0x100010072"}, "! '0x100010072'"},
    {{"get", "0x10072", "--title", "x"}, "! '0x10072' and the selection options"},
    {{"--json", "windows", "--process", "Notepad.exe", "--fields", "handle"}, "windows"},
    {{"windows", "--pid", "x1"}, "! --pid: expected a process id, got 'x1'"},
    {{"watch", "--seconds", "abc"}, "! --seconds: expected a number of seconds, got 'abc'"},
    {{"watch", "--seconds", "0"}, "! --seconds"}, {{"watch", "--seconds", "nan"}, "! --seconds"},
    {{"blur", "0x10", "on", "off"}, "! expected on or off, got 'on off'"},
    {{"blur", "0x10", "on", "--circle", "-5"}, "! --circle: expected a size"}, {{"get", "0x10", "--title"}, "! --title: expected"},
    {{"composition", "extra"}, "! unexpected argument 'extra'"}, {{"set", "0x10", "ncrendering-enabled=on"}, "! 'ncrendering-enabled'"},
    {{"set", "0x10", "corner"}, "! 'corner'"}, {{"set", "0x10", "corner=roundish"}, "! 'roundish'"},
    {{"set", "0x10", "border-color=#12345"}, "! '#12345'"}, {{"set", "0x10", "caption-color=none"}, "! 'none'"},
    {{"set", "0x10"}, "! nothing to set"}, {{"frame", "0x10", "1,2,3"}, "! '1,2,3'"}, {{"frame", "0x10", "1,2,3,4,5"}, "! '1,2,3,4,5'"},
    {{"frame", "0x10", "1,,3,4"}, "! '1,,3,4'"}, {{"frame", "0x10", "--", "-1,0,0,0"}, "frame"}, {{"blur", "0x10", "maybe"}, "! 'maybe'"},
    {{"blur", "0x10", "on", "--circle", "100", "--rect", "50"}, "! --rect"}, {{"watch", "--count", "0"}, "! --count"},
    {{"windows", "--fields", "title,bogus"}, "! 'bogus'"}, {{"get", "0x"}, "! '0x'"}, {{"get", "12ab"}, "! '12ab'"},
    {{"get"}, "! no window given"}, {{"--version"}, "version"}, {{"set", "--help"}, "help"},
    {{"watch", "0x10", "--windows"}, "! watch WINDOW follows one window"}, {{"watch", "--events", "created,bogus"}, "! 'bogus'"},
    {{"watch", "--", "a", "b"}, "! unexpected argument 'b'"}, {{"windows", "--", "foo"}, "! unexpected argument 'foo'"},
    // A time-out that is no number would wait for ever.
    {{"wait", "--title", "x", "--timeout", "NaN"}, "! --timeout: expected a number of seconds or none, got 'NaN'"},
    {{"wait", "--title", "x", "--timeout", "nan"}, "! --timeout"}, {{"wait", "--title", "x", "--timeout", "-nan"}, "! --timeout"},
    {{"wait", "--title", "x", "--timeout", "inf"}, "! --timeout"}, {{"wait", "--title", "x", "--timeout", "1e400"}, "! --timeout"},
    {{"wait", "--title", "x", "--timeout", "none"}, "wait"}, {{"wait", "--title", "x", "--timeout", "0"}, "wait"},
    {{"wait", "desktop", "--cloaked", "--", "--timeout", "0.2"}, "! '--timeout'"}, {{"wait", "desktop", "extra"}, "! 'extra'"},
    {{"wait", "0x10", "--gone", "--visible"}, "! --gone waits for no window"}, {{"wait", "0x10", "--visible", "--cloaked"}, "! --visible"},
    {{"wait", "0x10", "--until", "corner=round"}, "! --until: the DWM reports no value of 'corner'"},
    {{"wait", "0x10", "--until", "cloaked=shell", "--until", "backdrop=mica"}, "wait"},
    {{"wait", "0x10", "--until", "backdrop=shiny"}, "! --until: bad value 'shiny'"},
    {{"wait", "0x10", "--interval", "9"}, "! --interval"}, {{"watch", "--interval", "60001"}, "! --interval"},
    {{"capture", "0x10", "--area", "middle"}, "! --area: expected frame, window or client, got 'middle'"},
    {{"capture", "0x10", "--method", "paint"}, "! --method: expected auto, screen or print"},
    {{"capture", "0x10", "-o", ""}, "! --output"}, {{"capture", "0x10", "extra"}, "! 'extra'"},
    {{"wait", "0x10", "--shown", "0"}, "! --shown: expected a share"}, {{"wait", "0x10", "--shown", "100.5"}, "! --shown"},
    {{"wait", "0x10", "--shown", "nan"}, "! --shown"}, {{"wait", "0x10", "--shown", "12.5"}, "wait"},
    {{"wait", "0x10", "--shown", "50", "--cloaked"}, "! --shown and --cloaked"}, {{"wait", "0x10", "--gone", "--shown", "5"}, "! --gone"},
    {{"explain", "--title", "x", "--backdrop"}, "explain"}, {{"explain", "0x10", "extra"}, "! 'extra'"},
    {{"move", "0x10", "1"}, "! expected a position and maybe a size"}, {{"move", "0x10", "1", "2", "3"}, "! expected a position"},
    {{"move", "--title", "x", "--by", "window", "--", "-8", "-8", "640", "480"}, "move"}, {{"move", "--title", "x", "560", "300"}, "move"},
    {{"move", "0x10", "1", "2", "0", "480"}, "! bad size '0'"}, {{"move", "0x10", "1", "y"}, "! bad position 'y'"},
    {{"move", "0x10", "1", "2", "--by", "middle"}, "! --by: expected frame or window, got 'middle'"},
    {{"move", "0x10", "1", "2", "--monitor", "0"}, "! --monitor: expected a monitor's number from 1"},
    {{"capture", "0x10", "--margin", "4"}, "! give --matte too"}, {{"capture", "0x10", "--matte", "--method", "print"}, "! --matte"},
    {{"capture", "0x10", "--matte", "--margin", "-1"}, "! --margin"}, {{"set", "0x10", "corner=round", "--nudge"}, "! --nudge"},
    {{"look", "0x10", "--expect", "corner=round", "--expect", "shadow=on", "--tolerance", "0"}, "look"},
    {{"look", "0x10", "--expect", "corner=default"}, "! the pixels cannot tell it"}, {{"look", "0x10", "--expect", "cloak=on"},
    "! --expect: the pixels cannot tell 'cloak'"}, {{"look", "0x10", "--expect", "shadow=maybe"}, "! 'maybe'"},
    {{"look", "0x10", "--tolerance", "256"}, "! --tolerance"}, {{"look", "0x10", "extra"}, "! 'extra'"},
};

TEST(CommandLineTest, EachCommandLineParsesToItsCommandOrNamesWhatIsWrong) {
    for (const auto& [args, expected] : kRows) {
        const cli::ParsedCommandLine parsed = Parse(args);
        const std::string got = parsed.kind == Kind::Usage     ? "! " + parsed.text
                                : parsed.kind == Kind::Help    ? "help"
                                : parsed.kind == Kind::Version ? "version"
                                                               : parsed.command;
        EXPECT_TRUE(expected[0] == '!' ? got.rfind("! ", 0) == 0 && got.find(expected.substr(2)) != std::string::npos
                                       : got == expected)
            << testing::PrintToString(args) << "\n  parsed: " << got << "\n  expected: " << expected;
    }
}

TEST(CommandLineTest, RandomAndTruncatedArgumentListsNeverBreakTheParser) {
    // The commands and every option they declare, then values and some garbage.
    std::vector<std::string> commands, words{"0x1a2b", "6698", "foreground", "desktop", "--", "-", "-h", "--title=x", "on",
        "off", "round", "#FF8000", "#12345", "none", "default", "all", "reset", "1,2,3,4", "1,,3", "-1,0,0,0", ",", "=", "=on",
        "frob=on", "a=b=c", "0", "1", "-1", "0x", "18446744073709551616", "1e308", "nan", "-nan", "inf", "", "frame", "print",
        std::string(5000, 'x'), "日本語のタイトル 🎌", "\xff\xfe", "title,handle", "created,moved", "bogus"};
    for (const cli::CommandRow& row : cli::Commands()) commands.push_back(row.name);
    std::set<std::string> options;
    for (const auto& [command, names] : cli::CommandOptions(cli::Commands())) options.insert(names.begin(), names.end());
    words.insert(words.end(), options.begin(), options.end());
    for (const dwm::Attribute& a : dwm::Attributes()) words.insert(words.end(), {a.name, a.name + std::string("=on")});
    const auto expectSound = [&](const Args& args) {
        const cli::ParsedCommandLine parsed = Parse(args);
        SCOPED_TRACE(testing::PrintToString(args));
        if (parsed.kind == Kind::Usage) {
            EXPECT_FALSE(parsed.text.empty());
            EXPECT_EQ(parsed.text.find('\n'), std::string::npos) << parsed.text;
        } else if (parsed.kind == Kind::Command) {
            EXPECT_TRUE(parsed.run);
            EXPECT_NE(std::find(commands.begin(), commands.end(), parsed.command), commands.end());
        }
    };
    for (const auto& [whole, expected] : kRows) {
        for (Args prefix = whole; !prefix.empty(); prefix.pop_back()) expectSound(prefix);
    }
    std::mt19937 random(20240611);
    for (int i = 0; i < 3000; ++i) {
        Args args(2 + random() % 6);
        for (std::string& arg : args) arg = random() % 3 == 0 ? commands[random() % commands.size()] : words[random() % words.size()];
        // Mostly a command and a window first, to get deep into each command's checks.
        if (i % 5 != 0) args[0] = commands[random() % commands.size()], args[1] = words[random() % 4];
        expectSound(args);
    }
}

TEST(ArgumentsTest, HandlesSecondsIntervalsAndChoicesAtTheirEdges) {
    const std::pair<const char*, std::optional<DWORD>> kHandles[] = {{"0x1A2b", 0x1a2b}, {"6698", 6698}, {"0xFFFFFFFF", 0xFFFFFFFF},
        {"0x100000000", std::nullopt}, {"4294967296", std::nullopt}, {"0x", std::nullopt}, {"12ab", std::nullopt},
        {"-1", std::nullopt}, {"", std::nullopt}, {"0X10", 16}};
    for (const auto& [typed, handle] : kHandles) EXPECT_EQ(cli::ParseHandle(typed), handle) << typed;
    const std::pair<const char*, double> kSeconds[] = {{"0", 0}, {"0.5", 0.5}, {"31536000", 31536000}, {"31536000.5", -1},
        {"-0.1", -1}, {"nan", -1}, {"NaN", -1}, {"-nan", -1}, {"inf", -1}, {"1e400", -1}, {"1e-400", -1}, {"2s", -1}};
    for (const auto& [typed, expected] : kSeconds) {
        double seconds = -1;
        const cli::Message message = cli::ParseSeconds("--timeout", typed, true, seconds);
        EXPECT_EQ(message.has_value(), expected < 0) << typed;
        if (expected >= 0) { EXPECT_EQ(seconds, expected) << typed; }
    }
    double seconds = -1;
    EXPECT_TRUE(cli::ParseSeconds("--seconds", "0", false, seconds).has_value());
    const std::pair<const char*, DWORD> kIntervals[] = {{"9", 0}, {"10", 10}, {"60000", 60000}, {"60001", 0}, {"1e3", 0}};
    for (const auto& [typed, expected] : kIntervals) {
        DWORD ms = 0;
        EXPECT_EQ(cli::ParseInterval(std::string(typed), ms).has_value(), expected == 0) << typed;
        EXPECT_EQ(ms, expected) << typed;
    }
    // Each name of a table chooses its own value.
    for (const auto& [name, area] : cli::kCaptureAreaNames) {
        cli::CaptureArea chosen = area == cli::CaptureArea::Frame ? cli::CaptureArea::Client : cli::CaptureArea::Frame;
        EXPECT_FALSE(cli::ParseChoice("--area", std::optional<std::string>(name), cli::kCaptureAreaNames, chosen));
        EXPECT_EQ(chosen, area) << name;
        EXPECT_STREQ(cli::NameOf(cli::kCaptureAreaNames, area), name);
    }
}

TEST(AttributeTableTest, IdsAreUniqueAndTheSdksAndEveryNameMapsToItsNumberAndBack) {
    std::set<DWORD> ids;
    for (const dwm::Attribute& a : dwm::Attributes()) {
        EXPECT_TRUE(ids.insert(a.id).second) << a.name << " shares its number";
        EXPECT_EQ(dwm::FindAttribute(a.name), &a) << a.name;
        EXPECT_TRUE(dwm::CanGet(a) || dwm::CanSet(a)) << a.name;
    }
    // Where the SDK's headers have the number, the table's is it.
    const std::pair<const char*, DWORD> kSdkIds[] = {{"ncrendering-enabled", DWMWA_NCRENDERING_ENABLED},
        {"nc-policy", DWMWA_NCRENDERING_POLICY}, {"transitions", DWMWA_TRANSITIONS_FORCEDISABLED},
        {"allow-ncpaint", DWMWA_ALLOW_NCPAINT}, {"caption-button-bounds", DWMWA_CAPTION_BUTTON_BOUNDS},
        {"nc-rtl-layout", DWMWA_NONCLIENT_RTL_LAYOUT}, {"force-iconic", DWMWA_FORCE_ICONIC_REPRESENTATION},
        {"flip3d", DWMWA_FLIP3D_POLICY}, {"extended-frame-bounds", DWMWA_EXTENDED_FRAME_BOUNDS},
        {"has-iconic-bitmap", DWMWA_HAS_ICONIC_BITMAP}, {"disallow-peek", DWMWA_DISALLOW_PEEK},
        {"excluded-from-peek", DWMWA_EXCLUDED_FROM_PEEK}, {"cloak", DWMWA_CLOAK}, {"cloaked", DWMWA_CLOAKED},
        {"freeze-representation", DWMWA_FREEZE_REPRESENTATION}};
    for (const auto& [name, id] : kSdkIds) EXPECT_EQ(dwm::FindAttribute(name)->id, id) << name;
    for (const dwm::Attribute& a : dwm::Attributes()) {
        for (const dwm::ValueName& v : a.names) {
            EXPECT_EQ(dwm::ParseValue(a, v.name), v.value) << a.name << '=' << v.name;
            EXPECT_EQ(dwm::NameOfValue(a, v.value), v.name) << a.name << '=' << v.name;
        }
        if (a.kind != dwm::ValueKind::Colour) continue;
        EXPECT_EQ(dwm::ParseValue(a, "#FF8000"), 0x000080FFu) << a.name;  // COLORREF: red in the low byte
        for (const char* text : {"#FF8000", "default"}) EXPECT_EQ(cli::ValueText(cli::Colour{*dwm::ParseValue(a, text)}), text);
    }
    const std::pair<DWORD, const char*> kCloaked[] = {{0, "no"}, {1, "app"}, {2, "shell"}, {6, "shell+inherited"},
                                                      {7, "app+shell+inherited"}, {9, "app+0x8"}};
    for (const auto& [bits, text] : kCloaked) EXPECT_EQ(dwm::DescribeCloaked(bits), text);
}

}  // namespace
