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

constexpr const char* kCommands = "windows, get, composition, watch, wait, set, frame, blur or capture";

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
    if (restName != nullptr) command.add_option(restName, a.rest, restHelp)->type_name(restType);
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
        fields = DefaultWindowFields();
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

// One of a few words, each standing for a value: "--area: expected frame, window or client, got 'x'".
template <typename T, size_t N>
Message ParseChoice(const char* option, const std::optional<std::string>& typed,
                    const std::pair<const char*, T> (&choices)[N], T& value) {
    if (!typed) return std::nullopt;
    std::string expected;
    for (size_t i = 0; i < N; ++i) {
        if (*typed == choices[i].first) {
            value = choices[i].second;
            return std::nullopt;
        }
        expected += (i == 0 ? "" : i + 1 == N ? " or " : ", ") + std::string(choices[i].first);
    }
    return std::string(option) + ": expected " + expected + ", got " + Quoted(*typed);
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
#if CLI11_VERSION_MAJOR > 2 || (CLI11_VERSION_MAJOR == 2 && CLI11_VERSION_MINOR >= 6)
        // Newer releases re-wrap descriptions and footers; ours are laid out by hand. Set before
        // any command is added: each copies its parent's formatter.
        auto formatter = std::make_shared<CLI::Formatter>();
        formatter->enable_description_formatting(false);
        formatter->enable_footer_formatting(false);
        formatter->right_column_width(80);
        m_app.formatter(formatter);
#endif
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
        AddCapture();
        AddWait();
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
        CLI::App* command = AddCommand("watch", "one line per DWM notification and, with --windows or a WINDOW, per window "
                                       "event, until Ctrl+C, --count or --seconds");
        command->add_option("window", m_arguments.window, "one window to follow: its events and each change of its "
                            "attributes")->type_name("WINDOW");
        command->add_flag("--windows", m_watchWindows, "the events of every top-level window (narrowed by the "
                          "selection options), after a snapshot of them");
        AddSelectorOptions(*command, m_arguments);
        command->add_option("--events", m_events, "the window events to show (default: all)")->delimiter(',')->type_name("LIST");
        command->add_option("--interval", m_interval, "look again every MS milliseconds for what raised no event "
                            "(default 250)")->type_name("MS");
        command->add_option("--count", m_count, "stop after N lines (the snapshot not counted)")->type_name("N");
        command->add_option("--seconds", m_seconds, "stop after S seconds")->type_name("S");
        command->footer(std::string("Window events: ") + WindowEventNames() +
                        ".\nA moving window reports \"moved\" at most once an interval, with its latest rectangle.\n" +
                        kExitStatusHelp);
        OnParsed(command, [this]() -> Message {
            WatchCommand watch;
            watch.json = m_json;
            if (auto message = SettleFilter(m_arguments, watch.filter)) return message;
            watch.windows = m_watchWindows || HasSelectorOption(m_arguments) || !m_events.empty();
            if (!m_arguments.window.empty()) {
                if (watch.windows) return "watch WINDOW follows one window: --windows, --events and the selection options watch many";
                WindowArguments named;
                named.window = m_arguments.window;
                WindowSelector selector;
                if (auto message = SettleWindow(named, selector)) return message;
                watch.window = selector;
            }
            if (!m_events.empty()) {
                watch.kinds = 0;
                for (const std::string& name : m_events) {
                    const auto kind = FindWindowEventKind(name);
                    if (!kind) return "--events: unknown event " + Quoted(name) + " (events: " + WindowEventNames() + ")";
                    watch.kinds |= EventBit(*kind);
                }
            }
            if (m_interval) {
                const auto ms = ParseNumber<DWORD>(*m_interval);
                if (!ms || *ms < 10 || *ms > 60000) return "--interval: expected milliseconds from 10 to 60000, got " + Quoted(*m_interval);
                watch.intervalMs = *ms;
            }
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

    void AddCapture() {
        CLI::App* command = AddCommand("capture", "save a picture of a window, as the DWM shows it, as a PNG");
        AddWindowPositionals(*command, m_arguments, nullptr, nullptr, nullptr);
        command->add_option("-o,--output", m_capture.output, "the PNG file, - for standard output (default: "
                            "HANDLE-AREA.png here)")->type_name("FILE.png");
        command->add_option("--area", m_area, "frame (the window as seen), window (its rectangle) or client")
            ->type_name("AREA");
        command->add_option("--method", m_method, "screen (what the DWM composed), print (the window renders "
                            "itself) or auto")->type_name("METHOD");
        command->footer(std::string(kWindowHelp) + "\n" + kExitStatusHelp);
        OnWindowCommandParsed(command, m_capture, [this](const std::vector<std::string>& rest, CaptureCommand& capture) -> Message {
            if (!rest.empty()) return "unexpected argument " + Quoted(rest.front()) + " ('velmora capture --help' tells what it takes)";
            const std::pair<const char*, CaptureArea> areas[] = {
                {"frame", CaptureArea::Frame}, {"window", CaptureArea::Window}, {"client", CaptureArea::Client}};
            const std::pair<const char*, CaptureMethod> methods[] = {
                {"auto", CaptureMethod::Auto}, {"screen", CaptureMethod::Screen}, {"print", CaptureMethod::Print}};
            if (auto message = ParseChoice("--area", m_area, areas, capture.area)) return message;
            if (auto message = ParseChoice("--method", m_method, methods, capture.method)) return message;
            if (capture.output && capture.output->empty()) return "--output: expected a file name or -";
            return std::nullopt;
        });
    }

    void AddWait() {
        CLI::App* command = AddCommand("wait", "wait until a window exists, or holds every condition given, then print it");
        AddWindowPositionals(*command, m_arguments, nullptr, nullptr, nullptr);
        command->add_flag("--visible", m_wait.visible, "visible and not cloaked: on the screen");
        command->add_flag("--cloaked", m_wait.cloaked, "cloaked (by its app, the shell or its owner)");
        command->add_flag("--foreground", m_wait.foreground, "the foreground window");
        command->add_flag("--gone", m_wait.gone, "no window matches any more (or the handle has closed)");
        command->add_option("--until", m_until, "an attribute the DWM reports has this value (several: all)")
            ->type_name("NAME=VALUE");
        command->add_option("--timeout", m_timeout, "give up after S seconds: exit 4 (default 30; none: never)")
            ->type_name("S");
        command->add_option("--interval", m_interval, "look again every MS milliseconds besides the system's "
                            "events (default 500)")->type_name("MS");
        command->footer(std::string(kWindowHelp) + "\nwait looks at every top-level window, hidden ones too: "
                        "--visible asks for one on the screen.\n" + kExitStatusHelp);
        OnWindowCommandParsed(command, m_wait, [this](const std::vector<std::string>& rest, WaitCommand& wait) -> Message {
            if (!rest.empty()) return "unexpected argument " + Quoted(rest.front()) + " ('velmora wait --help' tells what it takes)";
            // Every top-level window may be the one awaited: --visible says whether it must show.
            wait.window.all = true;
            if (wait.gone && (wait.visible || wait.cloaked || wait.foreground || !m_until.empty())) {
                return "--gone waits for no window: it takes no other condition";
            }
            if (wait.visible && wait.cloaked) return "--visible and --cloaked cannot both hold";
            for (const std::string& typed : m_until) {
                if (auto message = ParseCondition(typed, wait.until)) return message;
            }
            if (m_timeout) {
                if (*m_timeout == "none") {
                    wait.timeoutSeconds.reset();
                } else {
                    double seconds = 0;
                    const auto [end, error] = std::from_chars(m_timeout->data(), m_timeout->data() + m_timeout->size(), seconds);
                    if (error != std::errc() || end != m_timeout->data() + m_timeout->size() || seconds < 0 ||
                        seconds > 31536000.0) {
                        return "--timeout: expected a number of seconds or none, got " + Quoted(*m_timeout);
                    }
                    wait.timeoutSeconds = seconds;
                }
            }
            if (m_interval) {
                const auto ms = ParseNumber<DWORD>(*m_interval);
                if (!ms || *ms < 10 || *ms > 60000) return "--interval: expected milliseconds from 10 to 60000, got " + Quoted(*m_interval);
                wait.intervalMs = *ms;
            }
            return std::nullopt;
        });
    }

    static Message ParseCondition(const std::string& typed, std::vector<AttributeCondition>& until) {
        const size_t equals = typed.find('=');
        if (equals == std::string::npos) return "--until: expected NAME=VALUE, got " + Quoted(typed);
        const std::string name = typed.substr(0, equals), text = typed.substr(equals + 1);
        const dwm::Attribute* attribute = dwm::FindAttribute(name);
        if (attribute == nullptr || !dwm::CanGet(*attribute) || attribute->kind == dwm::ValueKind::Rectangle) {
            std::string comparable;
            for (const dwm::Attribute& a : dwm::Attributes()) {
                if (dwm::CanGet(a) && a.kind != dwm::ValueKind::Rectangle) comparable += (comparable.empty() ? "" : ", ") + std::string(a.name);
            }
            return "--until: the DWM reports no value of " + Quoted(name) + " to wait for (it reports " + comparable + ")";
        }
        std::optional<DWORD> value = dwm::ParseValue(*attribute, text);
        if (attribute->kind == dwm::ValueKind::Cloaked) {
            const std::pair<const char*, DWORD> states[] = {{"no", 0}, {"app", DWM_CLOAKED_APP}, {"shell", DWM_CLOAKED_SHELL},
                                                            {"inherited", DWM_CLOAKED_INHERITED}};
            for (const auto& [state, bits] : states) {
                if (text == state) value = bits;
            }
        } else if (attribute->kind == dwm::ValueKind::Count) {
            value = ParseNumber<DWORD>(text);
        }
        if (!value) return "--until: bad value " + Quoted(text) + " for " + name;
        until.push_back({attribute, *value, text});
        return std::nullopt;
    }

    CLI::App m_app{"", "velmora"};
    bool m_version = false;
    bool m_json = false;
    WindowArguments m_arguments;
    std::vector<std::string> m_fieldNames;
    std::optional<std::string> m_count, m_seconds, m_circle, m_rect, m_area, m_method;
    CaptureCommand m_capture;
    WaitCommand m_wait;
    std::vector<std::string> m_until, m_events;
    bool m_watchWindows = false;
    std::optional<std::string> m_timeout, m_interval;
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
