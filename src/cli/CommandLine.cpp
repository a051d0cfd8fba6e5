#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <iterator>
#include <memory>

#include "cli/TerminalText.h"

namespace cli {
namespace {

constexpr const char* kCommands = "windows, get, composition, watch, set, frame or blur";

constexpr const char* kWindowHelp =
    "WINDOW: a handle (0x1a2b or decimal, 32-bit), foreground or desktop; or --title, --class, --pid, --process\n"
    "(all must match) among the windows that `velmora windows` lists, every top-level window with --all.\n"
    "No match, or several without --first: exit 3.";

using Message = std::optional<std::string>;

std::string Quoted(std::string_view text) { return "'" + TerminalSafe(text) + "'"; }

template <typename T>
std::optional<T> ParseNumber(std::string_view text, int base = 10) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// "0x1a2b" or "6698": a 32-bit handle.
std::optional<DWORD> ParseHandle(std::string_view text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    return hex ? ParseNumber<DWORD>(text.substr(2), 16) : ParseNumber<DWORD>(text);
}

// The options every command on a window takes, as typed; the positionals after WINDOW in rest.
struct WindowArguments {
    std::string window;
    std::vector<std::string> rest;
    std::optional<std::string> title, className, pid, process;
    bool first = false, all = false;
};

void AddSelectorOptions(CLI::App& command, WindowArguments& a) {
    command.add_option("--title", a.title, "a window whose title contains TEXT (any case)")->type_name("TEXT");
    command.add_option("--class", a.className, "a window of this class")->type_name("NAME");
    command.add_option("--pid", a.pid, "a window of this process id")->type_name("N");
    command.add_option("--process", a.process, "a window of this process image (notepad.exe)")->type_name("NAME.exe");
    command.add_flag("--all", a.all, "choose among every top-level window, hidden ones too");
}

void AddWindowPositionals(CLI::App& command, WindowArguments& a, const char* restName, const char* restType,
                          const char* restHelp) {
    command.add_option("window", a.window, "the window (see below)")->type_name("WINDOW");
    command.add_option(restName, a.rest, restHelp)->type_name(restType);
    AddSelectorOptions(command, a);
    command.add_flag("--first", a.first, "take the first match (in z-order) when several match");
}

bool HasSelectorOption(const WindowArguments& a) { return a.title || a.className || a.pid || a.process; }

Message SettleFilter(const WindowArguments& a, WindowSelector& selector) {
    selector.title = a.title;
    selector.className = a.className;
    selector.process = a.process;
    selector.all = a.all;
    selector.first = a.first;
    if (a.pid) {
        selector.pid = ParseNumber<DWORD>(*a.pid);
        if (!selector.pid) return "--pid: expected a process id, got " + Quoted(*a.pid);
    }
    return std::nullopt;
}

// Settles what the first positional was; a message when it cannot name a window.
Message SettleWindow(WindowArguments& a, WindowSelector& selector) {
    if (auto message = SettleFilter(a, selector)) return message;
    const std::string& typed = a.window;
    const bool named = typed == "foreground" || typed == "desktop" || ParseHandle(typed).has_value();
    if (HasSelectorOption(a)) {
        if (named) return Quoted(typed) + " and the selection options both name the window: give one of them";
        if (!typed.empty()) a.rest.insert(a.rest.begin(), typed);
        return std::nullopt;
    }
    if (typed.empty()) return "no window given (a handle, foreground, desktop, --title, --class, --pid or --process)";
    if (typed == "foreground") {
        selector.name = WindowName::Foreground;
    } else if (typed == "desktop") {
        selector.name = WindowName::Desktop;
    } else if (const auto handle = ParseHandle(typed)) {
        selector.name = WindowName::Handle;
        selector.handle = *handle;
    } else {
        return "not a window: " + Quoted(typed) + " (a 32-bit handle such as 0x1a2b, foreground or desktop)";
    }
    return std::nullopt;
}

std::string FieldNames() {
    std::string text;
    for (const WindowField& field : WindowFields()) text += (text.empty() ? "" : ", ") + std::string(field.name);
    return text;
}

Message ParseFields(const std::vector<std::string>& names, std::vector<const WindowField*>& fields) {
    fields.clear();
    if (names.empty()) {
        for (const WindowField& field : WindowFields()) fields.push_back(&field);
        return std::nullopt;
    }
    for (const std::string& name : names) {
        const WindowField* field = FindWindowField(name);
        if (field == nullptr) return "--fields: unknown field " + Quoted(name) + " (fields: " + FieldNames() + ")";
        if (std::find(fields.begin(), fields.end(), field) != fields.end()) {
            return "--fields: " + Quoted(name) + " given twice";
        }
        fields.push_back(field);
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

bool Any(const dwm::Attribute&) { return true; }

Message ParseGetNames(const std::vector<std::string>& names, GetCommand& command) {
    command.named = !names.empty();
    for (const std::string& name : names) {
        const dwm::Attribute* attribute = dwm::FindAttribute(name);
        if (attribute == nullptr) return "unknown attribute " + Quoted(name) + " (attributes: " + AttributeNames(&Any) + ")";
        if (std::find(command.attributes.begin(), command.attributes.end(), attribute) != command.attributes.end()) {
            return "attribute " + Quoted(name) + " given twice";
        }
        command.attributes.push_back(attribute);
    }
    if (command.attributes.empty()) {
        for (const dwm::Attribute& attribute : dwm::Attributes()) command.attributes.push_back(&attribute);
    }
    return std::nullopt;
}

Message ParseAssignments(const std::vector<std::string>& typed, SetCommand& command) {
    if (typed.empty()) return "nothing to set (NAME=VALUE, e.g. corner=round)";
    for (const std::string& assignment : typed) {
        const size_t equals = assignment.find('=');
        if (equals == std::string::npos) return "expected NAME=VALUE, got " + Quoted(assignment);
        const std::string name = assignment.substr(0, equals);
        const std::string text = assignment.substr(equals + 1);
        const dwm::Attribute* attribute = dwm::FindAttribute(name);
        if (attribute == nullptr || !dwm::CanSet(*attribute)) {
            return std::string(attribute == nullptr ? "unknown attribute " : "the DWM does not take ") + Quoted(name) +
                   " (settable: " + AttributeNames(&dwm::CanSet) + ")";
        }
        const auto value = dwm::ParseValue(*attribute, text);
        if (!value) {
            return "bad value " + Quoted(text) + " for " + name + " (allowed: " + dwm::AllowedValues(*attribute) + ")";
        }
        command.assignments.push_back({attribute, *value});
    }
    return std::nullopt;
}

Message ParseMargins(const std::vector<std::string>& typed, FrameCommand& command) {
    const std::string expected = " (LEFT,RIGHT,TOP,BOTTOM, all or reset; write -- before negative numbers)";
    if (typed.size() != 1) return "expected one margins argument" + expected;
    const std::string& text = typed[0];
    if (text == "all" || text == "reset") {
        const int side = text == "all" ? -1 : 0;
        command.margins = MARGINS{side, side, side, side};
        return std::nullopt;
    }
    int values[4] = {};
    std::string_view rest = text;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? rest.find(',') : rest.size();
        const auto value = comma == std::string_view::npos ? std::nullopt : ParseNumber<int>(rest.substr(0, comma));
        if (!value) return "bad margins " + Quoted(text) + expected;
        values[i] = *value;
        rest.remove_prefix(std::min(rest.size(), comma + 1));
    }
    command.margins = MARGINS{values[0], values[1], values[2], values[3]};
    return std::nullopt;
}

Message ParseSize(const char* option, const std::optional<std::string>& typed, int& size) {
    const auto value = typed ? ParseNumber<int>(*typed) : std::nullopt;
    if (!value || *value < 0 || *value > 100000) {
        return std::string(option) + ": expected a size in pixels from 0 to 100000, got " + Quoted(typed.value_or(""));
    }
    size = *value;
    return std::nullopt;
}

std::string SettableHelp() {
    std::string text = "Attributes and values (set-only unless marked get):";
    for (const dwm::Attribute& attribute : dwm::Attributes()) {
        if (!dwm::CanSet(attribute)) continue;
        text += "\n  " + std::string(attribute.name) + " = " + dwm::AllowedValues(attribute) + "  (" + attribute.help +
                "; " + attribute.since->name + (dwm::CanGet(attribute) ? "; get" : "") + ")";
    }
    return text;
}

std::string GetHelp() {
    std::string text = "Attributes (the DWM reports only those marked get; the others read as set-only):";
    for (const dwm::Attribute& attribute : dwm::Attributes()) {
        text += "\n  " + std::string(attribute.name) + "  (" + attribute.help + "; " + dwm::FirstRelease(attribute).name +
                (dwm::CanGet(attribute) ? "; get" : "") + ")";
    }
    return text;
}

// The parser and the targets its options write to, built anew for every parse.
class Parser {
public:
    Parser() {
        m_app.description(std::string("velmora: the DWM state of any window, from a console. Text for people, --json "
                                      "for machines.\n") + kExitStatusHelp);
        m_app.require_subcommand(0, 1);
        m_app.allow_extras();
        m_app.add_flag("--version", m_version, "print the product name and version");
        m_app.add_flag("--json", m_json, "one JSON document instead of text (also after the command)");
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
            return UsageError{InOwnWords(error)};
        }
        if (m_version) return VersionRequest{};
        for (auto& [command, settle] : m_settles) {
            if (!command->parsed()) continue;
            if (auto message = Unexpected(*command)) return UsageError{*message};
            if (auto message = settle()) return UsageError{*message};
            return m_result;
        }
        if (auto message = Unexpected(m_app)) return UsageError{*message};
        return UsageError{std::string("no command given (") + kCommands + ")"};
    }

private:
    bool IsCommand(const std::string& name) const {
        const auto commands = m_app.get_subcommands([](const CLI::App*) { return true; });
        return std::any_of(commands.begin(), commands.end(), [&](const CLI::App* c) { return c->check_name(name); });
    }

    // What the library took as extra: an option the command does not have, or one argument too many.
    static Message Unexpected(const CLI::App& command) {
        std::vector<std::string> extras = command.remaining();
        // The library keeps the "--" that ends the options among what it did not take.
        extras.erase(std::remove(extras.begin(), extras.end(), "--"), extras.end());
        if (extras.empty()) return std::nullopt;
        const std::string& first = extras.front();
        const std::string name = command.get_name().empty() ? "velmora" : "velmora " + command.get_name();
        if (first.size() > 1 && first[0] == '-') return "unknown option " + Quoted(first) + " ('" + name + " --help' lists them)";
        return "unexpected argument " + Quoted(first) + " ('" + name + " --help' tells what it takes)";
    }

    static std::string InOwnWords(const CLI::ParseError& error) {
        const std::string what = error.what();
        const std::string option = what.substr(0, what.find(':'));
        if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr && option.rfind("--", 0) == 0) {
            return option + ": expected a value";
        }
        return what;
    }

    CLI::App* AddCommand(const char* name, const char* description) {
        CLI::App* command = m_app.add_subcommand(name, description);
        command->allow_extras();
        command->add_flag("--json", m_json, "one JSON document instead of text");
        command->footer(kExitStatusHelp);
        return command;
    }

    void OnParsed(CLI::App* command, std::function<Message()> settle) { m_settles.emplace_back(command, std::move(settle)); }

    // A command on one window: the window settled first, then the positionals after it.
    template <typename Command, typename ParseRest>
    void OnWindowCommandParsed(CLI::App* command, Command& target, ParseRest parseRest) {
        OnParsed(command, [this, &target, parseRest]() -> Message {
            target.json = m_json;
            if (auto message = SettleWindow(m_arguments, target.window)) return message;
            if (auto message = parseRest(m_arguments.rest, target)) return message;
            m_result = target;
            return std::nullopt;
        });
    }

    void AddWindows() {
        CLI::App* command = AddCommand("windows", "list the top-level windows in z-order");
        AddSelectorOptions(*command, m_arguments);
        command->add_option("--fields", m_fieldNames, "the columns (JSON keys) and their order")
            ->delimiter(',')
            ->type_name("LIST");
        command->footer("The selection options narrow the list; --all lists hidden and untitled windows too.\nFields: " +
                        FieldNames() + ".\n" + kExitStatusHelp);
        OnParsed(command, [this]() -> Message {
            m_windows.json = m_json;
            if (auto message = SettleFilter(m_arguments, m_windows.filter)) return message;
            if (auto message = ParseFields(m_fieldNames, m_windows.fields)) return message;
            m_result = m_windows;
            return std::nullopt;
        });
    }

    void AddGet() {
        CLI::App* command = AddCommand("get", "every DWM attribute of a window as the DWM answers, or those named");
        AddWindowPositionals(*command, m_arguments, "attributes", "NAME", "attribute names (default: all)");
        command->footer(std::string(kWindowHelp) + "\n" + GetHelp() + "\n" + kExitStatusHelp);
        OnWindowCommandParsed(command, m_get, &ParseGetNames);
    }

    void AddComposition() {
        CLI::App* command =
            AddCommand("composition", "OS version, composition, colorization colour and composition timing");
        OnParsed(command, [this]() -> Message {
            m_result = CompositionCommand{m_json};
            return std::nullopt;
        });
    }

    void AddWatch() {
        CLI::App* command = AddCommand("watch", "one line per DWM notification, until Ctrl+C, --count or --seconds");
        command->add_option("--count", m_count, "stop after N notifications")->type_name("N");
        command->add_option("--seconds", m_seconds, "stop after S seconds")->type_name("S");
        OnParsed(command, [this]() -> Message {
            WatchCommand watch{m_json, std::nullopt, std::nullopt};
            if (m_count) {
                watch.count = ParseNumber<unsigned>(*m_count);
                if (!watch.count || *watch.count == 0) return "--count: expected a number from 1, got " + Quoted(*m_count);
            }
            if (m_seconds) {
                double seconds = 0;
                const auto [end, error] = std::from_chars(m_seconds->data(), m_seconds->data() + m_seconds->size(), seconds);
                if (error != std::errc() || end != m_seconds->data() + m_seconds->size() || !(seconds > 0) ||
                    seconds > 31536000.0) {
                    return "--seconds: expected a number of seconds, got " + Quoted(*m_seconds);
                }
                watch.seconds = seconds;
            }
            m_result = watch;
            return std::nullopt;
        });
    }

    void AddSet() {
        CLI::App* command = AddCommand("set", "set DWM attributes, then read back what the DWM reports of them");
        AddWindowPositionals(*command, m_arguments, "assignments", "NAME=VALUE", "assignments, applied in order");
        command->footer(std::string(kWindowHelp) + "\n" + SettableHelp() + "\n" + kExitStatusHelp);
        OnWindowCommandParsed(command, m_set, &ParseAssignments);
    }

    void AddFrame() {
        CLI::App* command = AddCommand("frame", "extend the frame into the client area");
        AddWindowPositionals(*command, m_arguments, "margins", "LEFT,RIGHT,TOP,BOTTOM",
                             "margins in pixels, all (-1 on every side) or reset (0)");
        command->footer(std::string(kWindowHelp) + "\n" + kExitStatusHelp);
        OnWindowCommandParsed(command, m_frame, &ParseMargins);
    }

    void AddBlur() {
        CLI::App* command = AddCommand("blur", "switch blur-behind on or off, with a region centred in the client area");
        AddWindowPositionals(*command, m_arguments, "state", "on|off", "blur-behind on or off");
        command->add_option("--circle", m_circle, "a circle of this diameter")->type_name("SIZE");
        command->add_option("--rect", m_rect, "a square of this side")->type_name("SIZE");
        command->add_flag("--transition-on-maximized", m_blur.transitionOnMaximized,
                          "the window takes the maximized colour when maximized");
        command->footer(std::string(kWindowHelp) + "\n" + kExitStatusHelp);
        OnWindowCommandParsed(command, m_blur, [this](const std::vector<std::string>& rest, BlurCommand& blur) -> Message {
            if (m_circle && m_rect) return "--circle and --rect cannot be combined: give one region";
            if (m_circle || m_rect) {
                blur.shape = m_circle ? BlurShape::Circle : BlurShape::Rect;
                if (auto message = ParseSize(m_circle ? "--circle" : "--rect", m_circle ? m_circle : m_rect, blur.size)) {
                    return message;
                }
            }
            if (rest.size() != 1 || (rest[0] != "on" && rest[0] != "off")) {
                std::string got;
                for (const std::string& word : rest) got += (got.empty() ? "" : " ") + word;
                return "expected on or off" + (rest.empty() ? std::string() : ", got " + Quoted(got));
            }
            blur.enable = rest[0] == "on";
            return std::nullopt;
        });
    }

    CLI::App m_app{"", "velmora"};
    bool m_version = false;
    bool m_json = false;
    WindowArguments m_arguments;
    std::vector<std::string> m_fieldNames;
    std::optional<std::string> m_count, m_seconds, m_circle, m_rect;
    WindowsCommand m_windows;
    GetCommand m_get;
    SetCommand m_set;
    FrameCommand m_frame;
    BlurCommand m_blur;
    ParsedCommand m_result;
    std::vector<std::pair<CLI::App*, std::function<Message()>>> m_settles;
};

}  // namespace

ParsedCommand ParseCommandLine(const std::vector<std::string>& args) {
    try {
        return Parser().Parse(args);
    } catch (const std::exception& error) {
        return UsageError{error.what()};
    }
}

}  // namespace cli
