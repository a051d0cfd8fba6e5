#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <iterator>
#include <memory>

namespace cli {
namespace {

constexpr const char* kFieldNames[] = {"handle", "pid",    "process", "class", "visible", "minimized",
                                       "cloaked", "rect", "frame",   "dpi",   "title"};

constexpr const char* kCommands = "windows, get, composition, watch, set, frame or blur";

constexpr const char* kWindowHelp =
    "WINDOW: a handle (0x1a2b or decimal), foreground or desktop; or --title, --class, --pid, --process\n"
    "(all must match) among the windows that `velmora windows` lists, every top-level window with --all.\n"
    "No match, or several without --first: exit 3.";

// The positionals of a command that takes a window: the first names it unless an option does.
struct Positionals {
    std::string window;
    std::vector<std::string> rest;
};

template <typename T>
std::optional<T> ParseNumber(std::string_view text, int base = 10) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

void AddSelectorOptions(CLI::App& command, WindowSelector& selector, Positionals& positionals,
                        const char* restName, const char* restHelp) {
    command.add_option("WINDOW", positionals.window, "the window (see below)");
    command.add_option(restName, positionals.rest, restHelp);
    command.add_option("--title", selector.title, "a window whose title contains TEXT (any case)")
        ->type_name("TEXT");
    command.add_option("--class", selector.className, "a window of this class")->type_name("NAME");
    command.add_option("--pid", selector.pid, "a window of this process id")->type_name("N");
    command.add_option("--process", selector.process, "a window of this process image (notepad.exe)")
        ->type_name("NAME.exe");
    command.add_flag("--first", selector.first, "take the first match (in z-order) when several match");
    command.add_flag("--all", selector.all, "choose among every top-level window, hidden ones too");
    command.footer(kWindowHelp);
}

bool HasSelectorOption(const WindowSelector& s) { return s.title || s.className || s.pid || s.process; }

// Settles what the first positional was; a message when it cannot name a window.
std::optional<std::string> SettleWindow(WindowSelector& selector, Positionals& positionals) {
    if (HasSelectorOption(selector)) {
        if (!positionals.window.empty()) positionals.rest.insert(positionals.rest.begin(), positionals.window);
        return std::nullopt;
    }
    const std::string& typed = positionals.window;
    if (typed.empty()) return "no window given (a handle, foreground, desktop, --title, --class, --pid or --process)";
    selector.typed = typed;
    if (typed == "foreground") {
        selector.name = WindowName::Foreground;
    } else if (typed == "desktop") {
        selector.name = WindowName::Desktop;
    } else {
        const bool hex = typed.size() > 2 && typed[0] == '0' && (typed[1] == 'x' || typed[1] == 'X');
        const auto handle = hex ? ParseNumber<std::uint64_t>(std::string_view(typed).substr(2), 16)
                                : ParseNumber<std::uint64_t>(typed);
        if (!handle) return "not a window: " + Quoted(typed) + " (a handle such as 0x1a2b, foreground or desktop)";
        selector.name = WindowName::Handle;
        selector.handle = *handle;
    }
    return std::nullopt;
}

std::optional<std::string> ParseFields(const std::vector<std::string>& names, std::vector<Field>& fields) {
    fields.clear();
    for (const std::string& name : names) {
        const auto found = std::find_if(std::begin(kFieldNames), std::end(kFieldNames),
                                        [&](const char* field) { return name == field; });
        if (found == std::end(kFieldNames)) {
            return "unknown field " + Quoted(name) + " (fields: handle, pid, process, class, visible, minimized, "
                   "cloaked, rect, frame, dpi, title)";
        }
        fields.push_back(static_cast<Field>(found - std::begin(kFieldNames)));
    }
    return std::nullopt;
}

std::string AttributeNames(bool (*keep)(const dwm::Attribute&)) {
    std::string text;
    for (const dwm::Attribute& attribute : dwm::Attributes()) {
        if (keep(attribute)) text += (text.empty() ? "" : ", ") + std::string(attribute.name);
    }
    return text;
}

bool IsReadable(const dwm::Attribute& attribute) { return attribute.readable; }
bool IsSettable(const dwm::Attribute& attribute) { return attribute.settable; }

std::optional<std::string> ParseGetNames(const std::vector<std::string>& names, GetCommand& command) {
    for (const std::string& name : names) {
        const dwm::Attribute* attribute = dwm::FindAttribute(name);
        if (attribute == nullptr || !attribute->readable) {
            return std::string(attribute == nullptr ? "unknown attribute " : "the DWM does not report ") +
                   Quoted(name) + " (readable: " + AttributeNames(&IsReadable) + ")";
        }
        command.attributes.push_back(attribute);
    }
    if (command.attributes.empty()) {
        for (const dwm::Attribute& attribute : dwm::Attributes()) {
            if (attribute.readable) command.attributes.push_back(&attribute);
        }
    }
    return std::nullopt;
}

std::optional<std::string> ParseAssignments(const std::vector<std::string>& typed, SetCommand& command) {
    if (typed.empty()) return "nothing to set (NAME=VALUE, e.g. corner=round)";
    for (const std::string& assignment : typed) {
        const size_t equals = assignment.find('=');
        if (equals == std::string::npos) return "expected NAME=VALUE, got " + Quoted(assignment);
        const std::string name = assignment.substr(0, equals);
        const std::string text = assignment.substr(equals + 1);
        const dwm::Attribute* attribute = dwm::FindAttribute(name);
        if (attribute == nullptr || !attribute->settable) {
            return std::string(attribute == nullptr ? "unknown attribute " : "the DWM does not take ") + Quoted(name) +
                   " (settable: " + AttributeNames(&IsSettable) + ")";
        }
        const auto value = dwm::ParseValue(*attribute, text);
        if (!value) {
            return "bad value " + Quoted(text) + " for " + name + " (allowed: " + dwm::AllowedValues(*attribute) + ")";
        }
        command.assignments.push_back({attribute, text, *value});
    }
    return std::nullopt;
}

std::optional<std::string> ParseMargins(const std::vector<std::string>& typed, FrameCommand& command) {
    const std::string expected = " (LEFT,RIGHT,TOP,BOTTOM, all or reset; write -- before negative numbers)";
    if (typed.size() != 1) return "expected one margins argument" + expected;
    command.text = typed[0];
    if (command.text == "all") {
        command.margins = MARGINS{-1, -1, -1, -1};
        return std::nullopt;
    }
    if (command.text == "reset") {
        command.margins = MARGINS{0, 0, 0, 0};
        return std::nullopt;
    }
    int values[4] = {};
    std::string_view rest = command.text;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? rest.find(',') : rest.size();
        const auto value = comma == std::string_view::npos ? std::nullopt : ParseNumber<int>(rest.substr(0, comma));
        if (!value) return "bad margins " + Quoted(command.text) + expected;
        values[i] = *value;
        rest.remove_prefix(std::min(rest.size(), comma + 1));
    }
    command.margins = MARGINS{values[0], values[1], values[2], values[3]};
    return std::nullopt;
}

std::optional<std::string> ParseBlurSwitch(const std::vector<std::string>& typed, BlurCommand& command) {
    if (typed.size() != 1 || (typed[0] != "on" && typed[0] != "off")) {
        return "expected on or off" + (typed.empty() ? std::string() : ", got " + Quoted(typed[0]));
    }
    command.enable = typed[0] == "on";
    return std::nullopt;
}

// The parser and the targets its options write to, built anew for every parse.
class Parser {
public:
    Parser() {
        m_app.description("velmora: the DWM state of any window, from a console. Text for people, --json for "
                          "machines.\nExit status: 0 done, 1 a DWM call failed, 2 usage error, 3 no such or "
                          "ambiguous window.");
        m_app.require_subcommand(0, 1);
        m_app.add_flag("--version", m_version, "print the product name and version");
        AddWindows();
        AddGet();
        AddComposition();
        AddWatch();
        AddSet();
        AddFrame();
        AddBlur();
    }

    ParsedCommand Parse(const std::vector<std::string>& args) {
        if (!args.empty() && !args[0].empty() && args[0][0] != '-' && !IsCommand(args[0])) {
            return UsageError{"unknown command " + Quoted(args[0]) + " (" + kCommands + ")"};
        }
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        try {
            m_app.parse(reversed);
        } catch (const CLI::CallForHelp&) {
            return HelpRequest{m_app.help()};
        } catch (const CLI::CallForAllHelp&) {
            return HelpRequest{m_app.help("", CLI::AppFormatMode::All)};
        } catch (const CLI::ParseError& error) {
            return UsageError{error.what()};
        }
        if (m_version) return VersionRequest{};
        for (auto& [command, settle] : m_settles) {
            if (!command->parsed()) continue;
            if (auto message = settle()) return UsageError{*message};
            return m_result;
        }
        return UsageError{std::string("no command given (") + kCommands + ")"};
    }

private:
    bool IsCommand(const std::string& name) const {
        const auto commands = m_app.get_subcommands([](const CLI::App*) { return true; });
        return std::any_of(commands.begin(), commands.end(), [&](const CLI::App* c) { return c->check_name(name); });
    }

    CLI::App* AddCommand(const char* name, const char* description) {
        CLI::App* command = m_app.add_subcommand(name, description);
        command->add_flag("--json", m_json, "one JSON document instead of text");
        return command;
    }

    template <typename Settle>
    void OnParsed(CLI::App* command, Settle settle) {
        m_settles.emplace_back(command, std::function<std::optional<std::string>()>(settle));
    }

    // A command on one window: the window settled first, then the positionals after it.
    template <typename Command, typename ParseRest>
    void OnWindowCommandParsed(CLI::App* command, Command& target, ParseRest parseRest) {
        OnParsed(command, [this, &target, parseRest]() -> std::optional<std::string> {
            target.json = m_json;
            if (auto message = SettleWindow(target.window, m_positionals)) return message;
            if (auto message = parseRest(m_positionals.rest, target)) return message;
            m_result = target;
            return std::nullopt;
        });
    }

    void AddWindows() {
        CLI::App* command = AddCommand("windows", "list the top-level windows in z-order");
        command->add_flag("--all", m_windows.all, "every top-level window, not only the visible titled ones");
        command->add_option("--fields", m_fieldNames, "the columns (JSON keys) and their order")
            ->delimiter(',')
            ->type_name("LIST");
        command->footer("Fields: handle, pid, process, class, visible, minimized, cloaked (no, app, shell, "
                        "inherited), rect, frame (extended frame bounds), dpi, title.");
        OnParsed(command, [this]() -> std::optional<std::string> {
            m_windows.json = m_json;
            if (m_fieldNames.empty()) {
                m_windows.fields.clear();
                for (size_t i = 0; i < std::size(kFieldNames); ++i) m_windows.fields.push_back(static_cast<Field>(i));
            } else if (auto message = ParseFields(m_fieldNames, m_windows.fields)) {
                return message;
            }
            m_result = m_windows;
            return std::nullopt;
        });
    }

    void AddGet() {
        CLI::App* command = AddCommand("get", "every DWM attribute the DWM reports for a window, or those named");
        AddSelectorOptions(*command, m_get.window, m_positionals, "NAME", "attribute names (default: all)");
        command->footer(std::string(kWindowHelp) + "\nAttributes: " + AttributeNames(&IsReadable) + ".");
        OnWindowCommandParsed(command, m_get, &ParseGetNames);
    }

    void AddComposition() {
        CLI::App* command =
            AddCommand("composition", "OS version, composition, colorization colour and composition timing");
        OnParsed(command, [this]() -> std::optional<std::string> {
            m_result = CompositionCommand{m_json};
            return std::nullopt;
        });
    }

    void AddWatch() {
        CLI::App* command = AddCommand("watch", "one line per DWM notification, until Ctrl+C, --count or --seconds");
        command->add_option("--count", m_watchCount, "stop after N notifications")
            ->check(CLI::Range(1u, 1000000000u))
            ->type_name("N");
        command->add_option("--seconds", m_watchSeconds, "stop after S seconds")
            ->check(CLI::Range(0.001, 31536000.0))
            ->type_name("S");
        OnParsed(command, [this, command]() -> std::optional<std::string> {
            WatchCommand watch{m_json, std::nullopt, std::nullopt};
            if (command->count("--count") > 0) watch.count = m_watchCount;
            if (command->count("--seconds") > 0) watch.seconds = m_watchSeconds;
            m_result = watch;
            return std::nullopt;
        });
    }

    void AddSet() {
        CLI::App* command = AddCommand("set", "set DWM attributes, then read back what the DWM made of them");
        AddSelectorOptions(*command, m_set.window, m_positionals, "NAME=VALUE", "assignments, applied in order");
        command->footer(std::string(kWindowHelp) + "\n" + SettableHelp());
        OnWindowCommandParsed(command, m_set, &ParseAssignments);
    }

    void AddFrame() {
        CLI::App* command = AddCommand("frame", "extend the frame into the client area");
        AddSelectorOptions(*command, m_frame.window, m_positionals, "MARGINS",
                           "LEFT,RIGHT,TOP,BOTTOM in pixels, all (-1 on every side) or reset (0)");
        OnWindowCommandParsed(command, m_frame, &ParseMargins);
    }

    void AddBlur() {
        CLI::App* command = AddCommand("blur", "switch blur-behind on or off, with an optional centred region");
        AddSelectorOptions(*command, m_blur.window, m_positionals, "on|off", "blur-behind on or off");
        CLI::Option* circle = command->add_option("--circle", m_blurCircle, "a centred circle of this diameter")
                                  ->check(CLI::Range(0, 100000))
                                  ->type_name("SIZE");
        CLI::Option* rect = command->add_option("--rect", m_blurRect, "a centred square of this side")
                                ->check(CLI::Range(0, 100000))
                                ->type_name("SIZE");
        circle->excludes(rect);
        command->add_flag("--transition-on-maximized", m_blur.transitionOnMaximized,
                          "the window takes the maximized colour when maximized");
        OnWindowCommandParsed(command, m_blur, [this, circle, rect](const std::vector<std::string>& rest,
                                                                   BlurCommand& blur) {
            if (*circle) {
                blur.shape = BlurShape::Circle;
                blur.size = m_blurCircle;
            } else if (*rect) {
                blur.shape = BlurShape::Rect;
                blur.size = m_blurRect;
            }
            return ParseBlurSwitch(rest, blur);
        });
    }

    static std::string SettableHelp() {
        std::string text = "Attributes and values:";
        for (const dwm::Attribute& attribute : dwm::Attributes()) {
            if (!attribute.settable) continue;
            text += "\n  " + std::string(attribute.name) + " = " + dwm::AllowedValues(attribute) + "  (" +
                    attribute.help + "; Windows " + attribute.since + ")";
        }
        return text;
    }

    CLI::App m_app{"", "velmora"};
    bool m_version = false;
    bool m_json = false;
    Positionals m_positionals;
    std::vector<std::string> m_fieldNames;
    unsigned m_watchCount = 0;
    double m_watchSeconds = 0;
    int m_blurCircle = 0;
    int m_blurRect = 0;
    WindowsCommand m_windows;
    GetCommand m_get;
    SetCommand m_set;
    FrameCommand m_frame;
    BlurCommand m_blur;
    ParsedCommand m_result;
    std::vector<std::pair<CLI::App*, std::function<std::optional<std::string>()>>> m_settles;
};

}  // namespace

const char* FieldName(Field field) { return kFieldNames[static_cast<size_t>(field)]; }

ParsedCommand ParseCommandLine(const std::vector<std::string>& args) {
    try {
        return Parser().Parse(args);
    } catch (const std::exception& error) {
        return UsageError{error.what()};
    }
}

}  // namespace cli
