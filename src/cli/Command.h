#pragma once
// A command of velmora.exe, as the one list of commands names it: its name, one line of help, and
// the function that declares its arguments, checks them once parsed and runs. The parser library
// stays behind this face, compiled once; a command's file declares, checks and runs in one place.
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace cli {

// The one table of exit statuses, which --help and the README repeat.
enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,
    kExitUsage = 2,
    kExitNoWindow = 3,
    kExitTimedOut = 4,
    kExitInterrupted = 130,
};
inline constexpr const char* kExitStatusHelp =
    "Exit status: 0 done; 1 a DWM call or the output failed (read-backs included; a refusal the DWM's documentation\n"
    "predicts, set-only, newer than this Windows or no DWM, only where that attribute was named); 2 usage error;\n"
    "3 no such window, several match, or the window closed during the command; 4 wait timed out; 130 wait\n"
    "interrupted by Ctrl+C.";

// What was wrong with the arguments, in one line; nothing when all is well.
using Message = std::optional<std::string>;

// What a command's definition tells the parser. Every target must outlive the parse: a command
// keeps its options in an object made by Make(), which its run then owns.
class CommandDefinition {
public:
    CommandDefinition(CLI::App& command, const bool& globalJson);

    template <typename T>
    std::shared_ptr<T> Make() {
        auto options = std::make_shared<T>();
        m_keep.push_back(options);
        return options;
    }

    // Positionals, in the order declared; a list takes every one left.
    void Positional(const char* name, std::string& target, const char* type, const char* help);
    void Positionals(const char* name, std::vector<std::string>& target, const char* type, const char* help);
    void Flag(const char* names, bool& target, const char* help);
    // Taken as typed: the command's check turns it into a value and names what is wrong.
    void Option(const char* names, std::optional<std::string>& target, const char* type, const char* help);
    void List(const char* names, std::vector<std::string>& target, const char* type, const char* help,
              char delimiter = '\0');
    // Where --json goes, given here or before the command.
    void Json(bool& target);
    void Footer(const std::string& text);

    // What follows a parse that named this command: the checks the library cannot make (a message
    // makes it a usage error), then the run. A parse test calls the check alone.
    void OnParsed(std::function<Message()> check, std::function<int()> run);

    // For the parser.
    const std::function<Message()>& Check() const { return m_check; }
    const std::function<int()>& Run() const { return m_run; }
    void SettleJson() const;

private:
    CLI::App& m_command;
    const bool& m_globalJson;
    bool m_ownJson = false;
    bool* m_json = nullptr;
    std::vector<std::shared_ptr<void>> m_keep;
    std::function<Message()> m_check;
    std::function<int()> m_run;
};

struct CommandRow {
    const char* name;
    const char* help;
    void (*define)(CommandDefinition& command);
};

// A command line, parsed against the list of commands; nothing has run yet.
struct ParsedCommandLine {
    enum class Kind { Usage, Help, Version, Command };
    Kind kind = Kind::Usage;
    std::string text;     // the usage error (one line) or the help
    std::string command;  // the command named, when there is one
    std::function<int()> run;
};

// args as typed (UTF-8), without the program name.
ParsedCommandLine ParseCommandLine(std::span<const CommandRow> commands, const std::vector<std::string>& args);

// Every option the commands declare, by command: what a fuzz draws from.
std::vector<std::pair<std::string, std::vector<std::string>>> CommandOptions(std::span<const CommandRow> commands);

}  // namespace cli
