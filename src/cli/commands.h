// Subcommands of veltra-cli. Each lives in its own cmd_<name>.cpp and registers itself with a
// file-scope CommandRegistration; main.cpp only dispatches on the table.
#pragma once

#include <iosfwd>
#include <string_view>
#include <vector>

namespace veltra::cli {

inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1; // the work itself failed (unreadable number, bad file)
inline constexpr int ExitUsage = 2;   // the command line was wrong

struct Command {
    std::string_view name;
    std::string_view summary; // one line in "veltra-cli --help"
    std::string_view usage;   // the whole text of "veltra-cli <name> --help"
    // Arguments after the command name; writes results to out and messages to err.
    int (*run)(const std::vector<std::string_view>& args, std::ostream& out, std::ostream& err);
    // The options that take a value, separated by spaces ("--steps --save"). The dispatcher
    // hands "--steps=5" to the command as "--steps" "5", so commands parse one form only.
    std::string_view valueOptions = {};
};

// All registered commands, in registration order.
const std::vector<Command>& Commands();

struct CommandRegistration {
    explicit CommandRegistration(const Command& command);
};

// Reads the whole of a file into text; false if it cannot be read.
// Reads the whole file; on failure `reason` (when given) says why ("is a directory", the
// system's text).
bool ReadWholeFile(std::string_view path, std::string& text, std::string* reason = nullptr);

} // namespace veltra::cli
