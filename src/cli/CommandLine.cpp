// The parser of velmora's command line: CLI11 behind the face of Command.h, built anew for every
// parse from the list of commands.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>

#include "cli/Arguments.h"
#include "cli/Command.h"

namespace cli {

CommandDefinition::CommandDefinition(CLI::App& command, const bool& globalJson)
    : m_command(command), m_globalJson(globalJson) {
    // Every command takes it, first in its help.
    m_command.add_flag("--json", m_ownJson, "one JSON document instead of text");
}

void CommandDefinition::Positional(const char* name, std::string& target, const char* type, const char* help) {
    m_command.add_option(name, target, help)->type_name(type);
}

void CommandDefinition::Positionals(const char* name, std::vector<std::string>& target, const char* type,
                                    const char* help) {
    m_command.add_option(name, target, help)->type_name(type);
}

void CommandDefinition::Flag(const char* names, bool& target, const char* help) { m_command.add_flag(names, target, help); }

void CommandDefinition::Option(const char* names, std::optional<std::string>& target, const char* type,
                               const char* help) {
    m_command.add_option(names, target, help)->type_name(type);
}

void CommandDefinition::List(const char* names, std::vector<std::string>& target, const char* type, const char* help,
                             char delimiter) {
    CLI::Option* option = m_command.add_option(names, target, help)->type_name(type);
    if (delimiter != '\0') option->delimiter(delimiter);
}

void CommandDefinition::Json(bool& target) { m_json = &target; }

void CommandDefinition::SettleJson() const {
    if (m_json != nullptr) *m_json = m_ownJson || m_globalJson;
}

void CommandDefinition::Footer(const std::string& text) { m_command.footer(text + "\n" + kExitStatusHelp); }

void CommandDefinition::OnParsed(std::function<Message()> check, std::function<int()> run) {
    m_check = std::move(check);
    m_run = std::move(run);
}

namespace {

std::string CommandNames(std::span<const CommandRow> commands) {
    std::string text;
    for (size_t i = 0; i < commands.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == commands.size() ? " or " : ", ") + std::string(commands[i].name);
    }
    return text;
}

// What the library took as extra: an option the command does not have, or an argument too many,
// also after "--", which ends the options but not the count of positionals. The library hands
// what follows a "--" that a command has no positional for back to the program's level.
Message Unexpected(const CLI::App& where, const std::string& command) {
    std::vector<std::string> extras = where.remaining();
    extras.erase(std::remove(extras.begin(), extras.end(), "--"), extras.end());
    if (extras.empty()) return std::nullopt;
    const std::string& first = extras.front();
    const std::string name = command.empty() ? "velmora" : "velmora " + command;
    if (first.size() > 1 && first[0] == '-') return "unknown option " + Quoted(first) + " ('" + name + " --help' lists them)";
    return "unexpected argument " + Quoted(first) + " ('" + name + " --help' tells what it takes)";
}

std::string InOwnWords(const CLI::ParseError& error) {
    const std::string what = error.what();
    const std::string option = what.substr(0, what.find(':'));
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr && option.rfind("--", 0) == 0) {
        return option + ": expected a value";
    }
    return what;
}

// The parser and every command's definition, alive until the parse is over.
class Parser {
public:
    explicit Parser(std::span<const CommandRow> commands) : m_commands(commands) {
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
        for (const CommandRow& row : commands) {
            CLI::App* command = m_app.add_subcommand(row.name, row.help);
            command->allow_extras();
            command->footer(kExitStatusHelp);
            m_definitions.push_back(std::make_unique<CommandDefinition>(*command, m_json));
            row.define(*m_definitions.back());
            m_apps.push_back(command);
        }
    }

    ParsedCommandLine Parse(const std::vector<std::string>& args) {
        ParsedCommandLine parsed;
        if (!args.empty() && !args[0].empty() && args[0][0] != '-' && !IsCommand(args[0])) {
            parsed.text = "unknown command " + Quoted(args[0]) + " (" + CommandNames(m_commands) + ")";
            return parsed;
        }
        // The library takes the arguments last first.
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        try {
            m_app.parse(reversed);
        } catch (const CLI::CallForHelp&) {
            return Help(m_app.help());
        } catch (const CLI::CallForAllHelp&) {
            return Help(m_app.help("", CLI::AppFormatMode::All));
        } catch (const CLI::ParseError& error) {
            parsed.text = InOwnWords(error);
            return parsed;
        }
        if (m_version) {
            parsed.kind = ParsedCommandLine::Kind::Version;
            return parsed;
        }
        for (size_t i = 0; i < m_apps.size(); ++i) {
            if (!m_apps[i]->parsed()) continue;
            const CommandDefinition& definition = *m_definitions[i];
            parsed.command = m_commands[i].name;
            definition.SettleJson();
            Message message = Unexpected(*m_apps[i], parsed.command);
            if (!message) message = Unexpected(m_app, parsed.command);
            if (!message && definition.Check()) message = definition.Check()();
            if (message) {
                parsed.text = std::move(*message);
                return parsed;
            }
            parsed.kind = ParsedCommandLine::Kind::Command;
            parsed.run = definition.Run();
            return parsed;
        }
        if (Message message = Unexpected(m_app, "")) {
            parsed.text = std::move(*message);
        } else {
            parsed.text = "no command given (" + CommandNames(m_commands) + ")";
        }
        return parsed;
    }

    std::vector<std::pair<std::string, std::vector<std::string>>> Options() const {
        std::vector<std::pair<std::string, std::vector<std::string>>> options;
        for (const CLI::App* command : m_apps) {
            std::vector<std::string> names;
            for (const CLI::Option* option : command->get_options()) {
                for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
                for (const std::string& name : option->get_snames()) names.push_back("-" + name);
            }
            options.emplace_back(command->get_name(), std::move(names));
        }
        return options;
    }

private:
    static ParsedCommandLine Help(std::string text) {
        ParsedCommandLine parsed;
        parsed.kind = ParsedCommandLine::Kind::Help;
        parsed.text = std::move(text);
        return parsed;
    }

    bool IsCommand(const std::string& name) const {
        return std::any_of(m_apps.begin(), m_apps.end(), [&](const CLI::App* c) { return c->check_name(name); });
    }

    std::span<const CommandRow> m_commands;
    CLI::App m_app{"", "velmora"};
    bool m_version = false;
    bool m_json = false;
    std::vector<std::unique_ptr<CommandDefinition>> m_definitions;
    std::vector<CLI::App*> m_apps;
};

}  // namespace

ParsedCommandLine ParseCommandLine(std::span<const CommandRow> commands, const std::vector<std::string>& args) {
    try {
        return Parser(commands).Parse(args);
    } catch (const std::exception& error) {
        ParsedCommandLine parsed;
        parsed.text = error.what();
        return parsed;
    }
}

std::vector<std::pair<std::string, std::vector<std::string>>> CommandOptions(std::span<const CommandRow> commands) {
    return Parser(commands).Options();
}

}  // namespace cli
