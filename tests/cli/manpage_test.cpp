// The man page and the bash completion of veltra-cli keep up with the tool: every command
// and every option its --help names is in both.
#include "cli/commands.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>

namespace {

std::string Text(const std::string& relative) {
    std::ifstream in(std::string(VELTRA_EXAMPLES) + "/../" + relative, std::ios::binary);
    EXPECT_TRUE(in) << relative;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// roff writes a hyphen as \- where it must stay one.
std::string Unescaped(std::string roff) {
    for (std::size_t at; (at = roff.find("\\-")) != std::string::npos;)
        roff.erase(at, 1);
    return roff;
}

// Every "--word" in a usage text but --help.
std::set<std::string> Options(std::string_view usage) {
    std::set<std::string> found;
    const auto optionChar = [](char c) { return (c >= 'a' && c <= 'z') || c == '-'; };
    for (std::size_t at = usage.find("--"); at != std::string_view::npos;
         at = usage.find("--", at + 2)) {
        std::size_t end = at + 2;
        while (end < usage.size() && optionChar(usage[end]))
            ++end;
        const std::string option(usage.substr(at, end - at));
        // "---" (an undefined case in a machine's notation) is no option.
        if (option.size() > 2 && option[2] != '-' && option != "--help") found.insert(option);
        at = end - 2;
    }
    return found;
}

TEST(ManPage, NamesEveryCommandAndOption) {
    const std::string man = Unescaped(Text("docs/man/veltra-cli.1"));
    const std::string completion = Text("resources/completion/veltra-cli");
    ASSERT_FALSE(veltra::cli::Commands().empty());
    std::set<std::string> all;
    for (const veltra::cli::Command& c : veltra::cli::Commands()) {
        const std::string name(c.name);
        EXPECT_NE(man.find(".SS \"" + name + " "), std::string::npos) << name;
        EXPECT_NE(completion.find("    " + name + ")"), std::string::npos) << name;
        for (const std::string& option : Options(c.usage)) {
            all.insert(option);
            EXPECT_NE(man.find(option), std::string::npos) << name << " " << option;
            EXPECT_NE(completion.find(option), std::string::npos) << name << " " << option;
        }
    }
    // The scan itself finds the options (a scan that finds none would pass vacuously).
    EXPECT_TRUE(all.count("--max-digits") && all.count("--input") && all.count("--word"));
}

} // namespace
