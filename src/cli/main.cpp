// veltra-cli: run, check and compute on nets and exact decimals without a window.
#include "commands.h"
#include "loadnet.h"

#include <algorithm>
#include <fstream>
#include <iostream>
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
           "       veltra-cli <command> --help\n\n"
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

} // namespace veltra::cli

int main(int argc, char** argv) {
    using namespace veltra::cli;
    std::ios::sync_with_stdio(false);
    if (argc < 2) {
        PrintUsage(std::cerr);
        return ExitUsage;
    }
    const std::string_view name = argv[1];
    if (IsHelp(name)) {
        PrintUsage(std::cout);
        return ExitOk;
    }
    const auto& table = Commands();
    const auto it =
        std::find_if(table.begin(), table.end(), [&](const Command& c) { return c.name == name; });
    if (it == table.end()) {
        std::cerr << "veltra-cli: unknown command '" << name << "'\n";
        PrintUsage(std::cerr);
        return ExitUsage;
    }
    std::vector<std::string_view> args(argv + 2, argv + argc);
    if (!args.empty() && IsHelp(args.front())) {
        std::cout << it->usage;
        return ExitOk;
    }
    try {
        return it->run(args, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        std::cout.flush();
        std::cerr << "veltra-cli " << name << ": out of memory\n";
        return ExitFailure;
    } catch (const std::exception& error) {
        // A value too long for its Positions, memory running out: the command fails with a
        // message instead of aborting the process.
        std::cout.flush();
        std::cerr << "veltra-cli " << name << ": " << EscapeField(error.what()) << '\n';
        return ExitFailure;
    }
}
