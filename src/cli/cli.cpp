// The command-line tool as a library: the command table and the dispatcher, so that tests run
// commands in process and main.cpp stays a thin shell.
#include "cli/cli.h"

#include "cli/commands.h"
#include "cli/loadnet.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <new>
#include <sstream>
#include <string>

namespace veltra::cli {

namespace {

std::vector<Command>& Table() {
    static std::vector<Command> table;
    return table;
}

void PrintUsage(std::ostream& out) {
    out << "Usage: veltra-cli <command> [arguments]\n"
           "       veltra-cli <command> --help\n"
           "       veltra-cli --version\n\n"
           "Commands:\n";
    std::vector<Command> sorted = Table();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return a.name < b.name; });
    for (const Command& c : sorted) {
        out << "  " << c.name << std::string(c.name.size() < 12 ? 12 - c.name.size() : 1, ' ')
            << c.summary << '\n';
    }
}

bool IsHelp(std::string_view arg) {
    return arg == "--help" || arg == "-h";
}

bool TakesValue(const Command& command, std::string_view option) {
    std::string_view list = command.valueOptions;
    while (!list.empty()) {
        const std::size_t space = list.find(' ');
        if (list.substr(0, space) == option) return true;
        list = space == std::string_view::npos ? std::string_view() : list.substr(space + 1);
    }
    return false;
}

// "--option=value" becomes "--option" "value" for the options that take a value; anything
// else (a flag given a value, a file named so) reaches the command as it was written.
std::vector<std::string_view> SplitValues(const Command& command,
                                          const std::vector<std::string_view>& args) {
    std::vector<std::string_view> split;
    split.reserve(args.size());
    for (const std::string_view arg : args) {
        const std::size_t equals = arg.find('=');
        if (arg.substr(0, 2) == "--" && equals != std::string_view::npos &&
            TakesValue(command, arg.substr(0, equals))) {
            split.push_back(arg.substr(0, equals));
            split.push_back(arg.substr(equals + 1));
        } else {
            split.push_back(arg);
        }
    }
    return split;
}

} // namespace

const std::vector<Command>& Commands() {
    return Table();
}

CommandRegistration::CommandRegistration(const Command& command) {
    Table().push_back(command);
}

bool ReadWholeFile(std::string_view path, std::string& text) {
    std::ifstream in{std::string(path), std::ios::binary};
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return false;
    text = std::move(buffer).str();
    return true;
}

namespace {

// Rows that never reached their reader (a full disk, a closed file) make the command fail,
// said once, whatever the command found.
int Written(std::string_view name, int status, std::ostream& out, std::ostream& err) {
    errno = 0;
    out.flush();
    if (out) return status;
    const int cause = errno;
    err << "veltra-cli " << name << ": cannot write to standard output"
        << (cause != 0 ? std::string(": ") + std::strerror(cause) : std::string()) << '\n';
    return ExitFailure;
}

} // namespace

int Run(const std::vector<std::string_view>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        PrintUsage(err);
        return ExitUsage;
    }
    const std::string_view name = args.front();
    if (IsHelp(name)) {
        PrintUsage(out);
        return ExitOk;
    }
    if (name == "--version") {
        out << "veltra-cli " << VELTRA_VERSION << '\n';
        return ExitOk;
    }
    const auto& table = Commands();
    const auto it =
        std::find_if(table.begin(), table.end(), [&](const Command& c) { return c.name == name; });
    if (it == table.end()) {
        err << "veltra-cli: unknown command '" << name << "'\n";
        PrintUsage(err);
        return ExitUsage;
    }
    const std::vector<std::string_view> rest =
        SplitValues(*it, std::vector<std::string_view>(args.begin() + 1, args.end()));
    if (!rest.empty() && IsHelp(rest.front())) {
        out << it->usage;
        return ExitOk;
    }
    try {
        return Written(name, it->run(rest, out, err), out, err);
    } catch (const std::bad_alloc&) {
        out.flush();
        err << "veltra-cli " << name << ": out of memory\n";
        return ExitFailure;
    } catch (const std::exception& error) {
        // A value too long for its Positions, memory running out: the command fails with a
        // message instead of aborting the process.
        out.flush();
        err << "veltra-cli " << name << ": " << EscapeField(error.what()) << '\n';
        return ExitFailure;
    }
}

} // namespace veltra::cli
