// velmora's command line and attribute table, in process: what each command line parses to, that no
// argument list breaks the parser, that every value name maps to its number and back, and what
// text from other programs looks like on a terminal.
#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include "cli/Facts.h"
#include "cli/TerminalText.h"

#include <algorithm>
#include <random>
#include <sstream>
#include <tuple>

namespace {

using Args = std::vector<std::string>;

std::string Window(const cli::WindowSelector& s) {
    const char* names[] = {"", " h=", " foreground", " desktop"};
    std::string t = names[static_cast<int>(s.name)] + (s.name == cli::WindowName::Handle ? std::to_string(s.handle) : "");
    t += (s.title ? " title=" + *s.title : "") + (s.className ? " class=" + *s.className : "");
    t += (s.pid ? " pid=" + std::to_string(*s.pid) : "") + (s.process ? " process=" + *s.process : "");
    return t + (s.first ? " first" : "") + (s.all ? " all" : "");
}

// The parsed command's kind and key fields in one line; "! message" for a usage error.
std::string Summary(const cli::ParsedCommand& p) {
    std::ostringstream o;
    if (auto* e = std::get_if<cli::UsageError>(&p)) o << "! " << e->message;
    if (std::holds_alternative<cli::HelpRequest>(p)) o << "help";
    if (std::holds_alternative<cli::VersionRequest>(p)) o << "version";
    if (auto* c = std::get_if<cli::CompositionCommand>(&p)) o << "composition" << (c->json ? " json" : "");
    if (auto* c = std::get_if<cli::WindowsCommand>(&p)) {
        o << "windows" << Window(c->filter) << (c->json ? " json" : "");
        for (const cli::WindowField* f : c->fields) o << ' ' << f->name;
    }
    if (auto* c = std::get_if<cli::GetCommand>(&p)) {
        o << "get" << Window(c->window) << (c->json ? " json" : "");
        for (const dwm::Attribute* a : c->attributes) o << ' ' << a->id;
    }
    if (auto* c = std::get_if<cli::SetCommand>(&p)) {
        o << "set" << Window(c->window);
        for (const cli::Assignment& a : c->assignments) o << ' ' << a.attribute->id << "=0x" << std::hex << a.value << std::dec;
        o << (c->json ? " json" : "");
    }
    if (auto* c = std::get_if<cli::FrameCommand>(&p)) {
        o << "frame" << Window(c->window) << ' ' << c->margins.cxLeftWidth << ',' << c->margins.cxRightWidth << ','
          << c->margins.cyTopHeight << ',' << c->margins.cyBottomHeight;
    }
    if (auto* c = std::get_if<cli::BlurCommand>(&p)) {
        o << "blur" << Window(c->window) << (c->enable ? " on " : " off ") << static_cast<int>(c->shape) << ' ' << c->size
          << (c->transitionOnMaximized ? " max" : "");
    }
    if (auto* c = std::get_if<cli::WatchCommand>(&p)) o << "watch" << (c->json ? " json" : "") << " " << c->count.value_or(0);
    return o.str();
}

using Row = std::pair<Args, std::string>;  // the arguments, and their Summary or "! part of the message"

const Row kRows[] = {
    {{"frob"}, "! 'frob'"}, {{"windows", "--bogus"}, "! --bogus"}, {{}, "! no command"}, {{"set", "0x10", "x=on"}, "! 'x'"},
    {{"get", "0x10", "nosuch"}, "! 'nosuch'"}, {{"get", "0x10", "nc-policy", "corner"}, "get h=16 2 33"},
    {{"get", "0x10", "corner", "cloaked", "corner"}, "! 'corner' given twice"},
    {{"windows", "--fields", "handle,title,handle"}, "! 'handle' given twice"},
    {{"get", "0x100010072"}, "! '0x100010072'"}, {{"get", "0xFFFFFFFF", "corner"}, "get h=4294967295 33"},
    {{"get", "0x10072", "--title", "x"}, "! '0x10072' and the selection options"},
    {{"--json", "windows", "--process", "Notepad.exe", "--fields", "handle"}, "windows process=Notepad.exe json handle"},
    {{"windows", "--pid", "12", "--title", "a", "--all", "--fields", "pid"}, "windows title=a pid=12 all pid"},
    {{"windows", "--pid", "x1"}, "! --pid: expected a process id, got 'x1'"},
    {{"watch", "--seconds", "abc"}, "! --seconds: expected a number of seconds, got 'abc'"},
    {{"watch", "--seconds", "0"}, "! --seconds"}, {{"blur", "0x10", "on", "off"}, "! expected on or off, got 'on off'"},
    {{"blur", "0x10", "on", "--circle", "-5"}, "! --circle: expected a size"}, {{"get", "0x10", "--title"}, "! --title: expected"},
    {{"composition", "extra"}, "! unexpected argument 'extra'"}, {{"set", "0x10", "corner=round", "--json"}, "set h=16 33=0x2 json"},
    {{"set", "0x10", "ncrendering-enabled=on"}, "! 'ncrendering-enabled'"}, {{"set", "0x10", "corner"}, "! 'corner'"},
    {{"set", "0x10", "corner=roundish"}, "! 'roundish'"}, {{"set", "0x10", "border-color=#12345"}, "! '#12345'"},
    {{"set", "0x10", "caption-color=none"}, "! 'none'"}, {{"set", "0x10"}, "! nothing to set"},
    {{"set", "0x10", "text-color=#a0B1c2", "border-color=none", "caption-color=default"},
     "set h=16 36=0xc2b1a0 34=0xfffffffe 35=0xffffffff"},
    {{"set", "0x10", "corner=round", "backdrop=mica", "nc-policy=enabled", "flip3d=above", "transitions=off", "dark-mode=on"},
     "set h=16 33=0x2 38=0x2 2=0x2 8=0x2 3=0x1 20=0x1"},
    {{"set", "foreground", "corner=small", "flip3d=below", "nc-policy=disabled"}, "set foreground 33=0x3 8=0x1 2=0x1"},
    {{"frame", "0x10", "1,2,3"}, "! '1,2,3'"}, {{"frame", "0x10", "1,2,3,4,5"}, "! '1,2,3,4,5'"},
    {{"frame", "0x10", "1,,3,4"}, "! '1,,3,4'"}, {{"frame", "0x10", "1,2,3,4"}, "frame h=16 1,2,3,4"},
    {{"frame", "0x10", "all"}, "frame h=16 -1,-1,-1,-1"}, {{"frame", "0x10", "reset"}, "frame h=16 0,0,0,0"},
    {{"frame", "0x10", "--", "-1,0,0,0"}, "frame h=16 -1,0,0,0"},
    {{"blur", "0x10", "on", "--circle", "100"}, "blur h=16 on 1 100"}, {{"blur", "0x10", "maybe"}, "! 'maybe'"},
    {{"blur", "0x10", "on", "--circle", "100", "--rect", "50"}, "! --rect"},
    {{"blur", "0x10", "off", "--rect", "20", "--transition-on-maximized"}, "blur h=16 off 2 20 max"},
    {{"watch", "--count", "0"}, "! --count"}, {{"watch", "--json", "--count", "3"}, "watch json 3"},
    {{"windows"}, "windows handle pid process class visible minimized cloaked rect frame dpi title"},
    {{"windows", "--all", "--fields", "title,handle"}, "windows all title handle"},
    {{"windows", "--fields", "title,bogus"}, "! 'bogus'"}, {{"get", "0x1A2b", "corner"}, "get h=6699 33"},
    {{"get", "6698"}, "get h=6698 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 17 20 33 34 35 36 37 38"}, {{"get", "0x"}, "! '0x'"}, {{"get", "12ab"}, "! '12ab'"},
    {{"get", "--title", "Note", "corner", "backdrop"}, "get title=Note 33 38"}, {{"get"}, "! no window given"},
    {{"get", "--class", "Edit", "--pid", "42", "--process", "a.exe", "--first", "--all", "cloaked"},
     "get class=Edit pid=42 process=a.exe first all 14"},
    {{"get", "desktop", "--json", "cloaked"}, "get desktop json 14"}, {{"composition", "--json"}, "composition json"},
    {{"--version"}, "version"}, {{"set", "--help"}, "help"},
};

TEST(CommandLineTest, EachCommandLineParsesToItsCommandOrNamesWhatIsWrong) {
    for (const auto& [args, expected] : kRows) {
        const std::string summary = Summary(cli::ParseCommandLine(args));
        EXPECT_TRUE(expected[0] == '!' ? summary.rfind("! ", 0) == 0 && summary.find(expected.substr(2)) != std::string::npos
                                       : summary == expected)
            << testing::PrintToString(args) << "\n  parsed: " << summary << "\n  expected: " << expected;
    }
}

// What any parsed command must hold, whatever the arguments were.
void ExpectSound(const Args& args, const cli::ParsedCommand& p) {
    SCOPED_TRACE(testing::PrintToString(args));
    ASSERT_FALSE(p.valueless_by_exception());
    const cli::WindowSelector* window = nullptr;
    if (auto* e = std::get_if<cli::UsageError>(&p)) { EXPECT_FALSE(e->message.empty()); }
    if (auto* c = std::get_if<cli::WatchCommand>(&p)) { EXPECT_NE(c->count.value_or(1), 0u); }
    if (auto* c = std::get_if<cli::FrameCommand>(&p)) window = &c->window;
    if (auto* c = std::get_if<cli::BlurCommand>(&p)) window = &c->window;
    if (auto* c = std::get_if<cli::GetCommand>(&p)) {
        window = &c->window;
        EXPECT_FALSE(c->attributes.empty());
        if (c->named) { EXPECT_NE(std::find(args.begin(), args.end(), c->attributes.front()->name), args.end()); }
    }
    if (auto* c = std::get_if<cli::SetCommand>(&p)) {
        window = &c->window;
        EXPECT_FALSE(c->assignments.empty());
        for (const cli::Assignment& a : c->assignments) {
            EXPECT_TRUE(dwm::CanSet(*a.attribute)) << a.attribute->name;
        }
    }
    if (const cli::WindowSelector* s = window) {
        EXPECT_TRUE(s->name != cli::WindowName::None || s->title || s->className || s->pid || s->process);
    }
}

TEST(CommandLineTest, RandomAndTruncatedArgumentListsNeverBreakTheParser) {
    // Commands first, then window names, then the rest of the vocabulary and some garbage.
    std::vector<std::string> words{"windows", "get", "composition", "watch", "set", "frame", "blur", "0x1a2b", "6698",
        "foreground", "desktop", "--title", "--pid", "--json", "--all", "--fields", "--class", "--process", "--first",
        "--count", "--seconds", "--circle", "--rect", "--transition-on-maximized", "--help", "-h", "--version", "--", "-",
        "--title=x", "on", "off", "round", "#FF8000", "#12345", "none", "default", "all", "reset", "1,2,3,4", "1,,3",
        "-1,0,0,0", ",", "=", "=on", "frob=on", "a=b=c", "0", "1", "-1", "0x", "18446744073709551616", "1e308", "nan", "",
        std::string(5000, 'x'), "日本語のタイトル 🎌", "\xff\xfe", "title,handle", "bogus"};
    for (const dwm::Attribute& a : dwm::Attributes()) words.insert(words.end(), {a.name, a.name + std::string("=on")});
    for (const auto& [whole, expected] : kRows) {
        for (Args prefix = whole; !prefix.empty(); prefix.pop_back()) ExpectSound(prefix, cli::ParseCommandLine(prefix));
    }
    std::mt19937 random(20240611);
    for (int i = 0; i < 3000; ++i) {
        Args args(2 + random() % 6);
        for (std::string& arg : args) arg = words[random() % words.size()];
        // Mostly a command and its window first, to get deep into each command's checks.
        if (i % 5 != 0) args[0] = words[random() % 7], args[1] = words[7 + random() % 6];
        ExpectSound(args, cli::ParseCommandLine(args));
    }
}

TEST(AttributeTableTest, EveryValueNameMapsToItsNumberAndBack) {
    // Numbers after 16 from the Windows 11 SDK's dwmapi.h, which MinGW's headers lack.
    const std::pair<const char*, DWORD> kSdkIds[] = {{"ncrendering-enabled", DWMWA_NCRENDERING_ENABLED},
        {"nc-policy", DWMWA_NCRENDERING_POLICY}, {"transitions", DWMWA_TRANSITIONS_FORCEDISABLED},
        {"allow-ncpaint", DWMWA_ALLOW_NCPAINT}, {"caption-button-bounds", DWMWA_CAPTION_BUTTON_BOUNDS},
        {"nc-rtl-layout", DWMWA_NONCLIENT_RTL_LAYOUT}, {"force-iconic", DWMWA_FORCE_ICONIC_REPRESENTATION},
        {"flip3d", DWMWA_FLIP3D_POLICY}, {"extended-frame-bounds", DWMWA_EXTENDED_FRAME_BOUNDS},
        {"has-iconic-bitmap", DWMWA_HAS_ICONIC_BITMAP}, {"disallow-peek", DWMWA_DISALLOW_PEEK},
        {"excluded-from-peek", DWMWA_EXCLUDED_FROM_PEEK}, {"cloak", DWMWA_CLOAK}, {"cloaked", DWMWA_CLOAKED},
        {"freeze-representation", DWMWA_FREEZE_REPRESENTATION}, {"host-backdrop-brush", 17}, {"dark-mode", 20},
        {"corner", 33}, {"border-color", 34}, {"caption-color", 35}, {"text-color", 36},
        {"visible-frame-border-thickness", 37}, {"backdrop", 38}};
    for (const auto& [name, id] : kSdkIds) EXPECT_EQ(dwm::FindAttribute(name)->id, id) << name;
    EXPECT_EQ(std::size(kSdkIds), dwm::Attributes().size());
    EXPECT_EQ(dwm::FindAttribute("dark-mode")->olderId, 19u);
    // DWMSBT_*, DWMWCP_*: the numbers the DWM takes, name by name.
    const std::pair<const char*, DWORD> kChoices[] = {{"backdrop=auto", 0}, {"backdrop=none", 1}, {"backdrop=mica", 2},
        {"backdrop=acrylic", 3}, {"backdrop=tabbed", 4}, {"corner=square", 1}, {"corner=round", 2}, {"corner=small", 3}};
    for (const auto& [assignment, value] : kChoices) {
        const std::string text = assignment, name = text.substr(0, text.find('='));
        EXPECT_EQ(dwm::ParseValue(*dwm::FindAttribute(name), text.substr(name.size() + 1)), value) << assignment;
    }
    for (const dwm::Attribute& a : dwm::Attributes()) {
        for (const dwm::ValueName& v : a.names) {
            EXPECT_EQ(dwm::ParseValue(a, v.name), v.value) << a.name << '=' << v.name;
            EXPECT_EQ(dwm::NameOfValue(a, v.value), v.name) << a.name << '=' << v.name;
        }
        if (a.kind != dwm::ValueKind::Colour) continue;
        EXPECT_EQ(dwm::ParseValue(a, "#FF8000"), 0x000080FFu) << a.name;
        for (const char* text : {"#FF8000", "default"}) EXPECT_EQ(cli::ValueText(cli::Colour{*dwm::ParseValue(a, text)}), text);
    }
    const std::pair<DWORD, const char*> kCloaked[] = {{0, "no"}, {1, "app"}, {2, "shell"}, {6, "shell+inherited"},
                                                      {7, "app+shell+inherited"}, {9, "app+0x8"}};
    for (const auto& [bits, text] : kCloaked) EXPECT_EQ(dwm::DescribeCloaked(bits), text);
}

}  // namespace
