// Options that take a value take it in either form, "--option value" or "--option=value".
#include "cli/commands.h"
#include "clirun.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <unistd.h>

namespace veltra::testing {
namespace {

namespace fs = std::filesystem;

// The options a command's synopsis (its usage text up to the first blank line) shows with a
// value after them ("[--steps N]", "--word WORD"), as opposed to flags ("[--trace]").
std::set<std::string> ValueOptionsOfSynopsis(std::string_view usage) {
    const std::string_view synopsis = usage.substr(0, usage.find("\n\n"));
    std::set<std::string> found;
    for (std::size_t at = synopsis.find("--"); at != std::string_view::npos;
         at = synopsis.find("--", at + 2)) {
        std::size_t end = at + 2;
        while (end < synopsis.size() && (std::islower(synopsis[end]) || synopsis[end] == '-'))
            ++end;
        if (end + 1 < synopsis.size() && synopsis[end] == ' ' && synopsis[end + 1] != '[' &&
            synopsis.substr(at, end - at) != "--help")
            found.emplace(synopsis.substr(at, end - at));
        at = end - 2;
    }
    return found;
}

std::set<std::string> Declared(const cli::Command& command) {
    std::set<std::string> declared;
    std::string_view list = command.valueOptions;
    while (!list.empty()) {
        const std::size_t space = list.find(' ');
        declared.emplace(list.substr(0, space));
        list = space == std::string_view::npos ? std::string_view() : list.substr(space + 1);
    }
    return declared;
}

TEST(CliOptions, EveryOptionShownWithAValueIsDeclaredSo) {
    std::size_t total = 0;
    for (const cli::Command& command : cli::Commands()) {
        EXPECT_EQ(Declared(command), ValueOptionsOfSynopsis(command.usage)) << command.name;
        total += Declared(command).size();
    }
    EXPECT_GE(total, 9u); // the scan found the options at all
}

struct OptionsTest : ::testing::Test {
    void SetUp() override {
        dir = fs::temp_directory_path() / ("veltra_options_" + std::to_string(::getpid()));
        fs::create_directories(dir);
#ifdef VELTRA_RENDER
        ::setenv("VELTRA_RENDER_HELPER", VELTRA_RENDER, 1);
#endif
    }
    void TearDown() override {
        fs::remove_all(dir);
        ::unsetenv("VELTRA_RENDER_HELPER");
    }
    std::string Out(const std::string& name) const {
        return (dir / name).string();
    }
    fs::path dir;
};

// Each row runs a command twice, the value given apart and then joined by "="; the two runs
// must agree in status, output, messages and the files they write.
TEST_F(OptionsTest, AValueJoinedByAnEqualsSignMeansTheSame) {
    const std::string worked = std::string(VELTRA_EXAMPLES) + "/worked.net";
    const std::string machine = std::string(VELTRA_EXAMPLES) + "/machines/brackets.json";
    struct Row {
        std::vector<std::string> before; // the command and what comes before the option
        std::string option;
        std::string value;
        std::vector<std::string> after;
        std::string written; // a file the command writes, compared between the two forms
    };
    const std::vector<Row> rows = {
        {{"run", worked}, "--steps", "2", {}, {}},
        {{"run", worked}, "--max-steps", "3", {}, {}},
        {{"run", worked}, "--max-digits", "1", {}, {}},
        {{"run", worked}, "--until", "N = 1", {}, {}},
        {{"run", worked}, "--format", "json", {"--steps", "1"}, {}},
        {{"run", worked, "--steps", "1"}, "--save", Out("saved.net"), {}, "saved.net"},
        {{"run", worked}, "--input", "In=1", {"--steps", "1"}, {}},
        {{"run", worked}, "--tag", "x=1,y", {"--format", "csv"}, {}},
        {{"run", worked}, "--input", "no=such=label=1", {}, {}}, // refused the same way
        {{"run", worked}, "--steps", "x", {}, {}},               // refused the same way
        {{"construct", machine}, "--word", "(()", {Out("built.net")}, "built.net"},
        {{"construct"}, "--tm", "1RB1LB_1LA1RZ", {Out("tm.net")}, "tm.net"},
        {{"construct", "--tm", "1RB1LB_1LA1RZ"}, "--tape", "11", {Out("tape.net")}, "tape.net"},
        {{"construct"}, "--tm", "1RB1LB_1LA1RZ", {Out("tm.net")}, "tm.net"},
        {{"construct", "--tm", "1RB1LB_1LA1RZ"}, "--tape", "101", {Out("tm.net")}, "tm.net"},
#ifdef VELTRA_RENDER
        {{"render", worked, Out("a.png")}, "--scale", "50", {}, "a.png"},
#endif
    };
    std::set<std::string> covered;
    for (const Row& row : rows) {
        std::vector<std::string> apart = row.before;
        apart.push_back(row.option);
        apart.push_back(row.value);
        apart.insert(apart.end(), row.after.begin(), row.after.end());
        std::vector<std::string> joined = row.before;
        joined.push_back(row.option + "=" + row.value);
        joined.insert(joined.end(), row.after.begin(), row.after.end());
        const TCliResult a = RunCli(apart);
        const std::string writtenA = row.written.empty() ? "" : ReadBytes(Out(row.written));
        if (!row.written.empty()) {
            EXPECT_FALSE(writtenA.empty()) << row.option;
            fs::remove(Out(row.written));
        }
        const TCliResult b = RunCli(joined);
        const std::string writtenB = row.written.empty() ? "" : ReadBytes(Out(row.written));
        EXPECT_EQ(a.status, b.status) << row.option << "=" << row.value;
        EXPECT_EQ(a.out, b.out) << row.option << "=" << row.value;
        EXPECT_EQ(a.err, b.err) << row.option << "=" << row.value;
        EXPECT_EQ(writtenA, writtenB) << row.option << "=" << row.value;
        covered.insert(row.option);
    }
    // Every declared option has a row of its own.
    for (const cli::Command& command : cli::Commands())
        for (const std::string& option : Declared(command))
            if (command.name != "render" || covered.count("--scale") != 0) {
                EXPECT_EQ(covered.count(option), 1u) << command.name << " " << option;
            }
}

TEST_F(OptionsTest, AFlagGivenAValueIsRefusedAsAnUnknownOption) {
    const std::string worked = std::string(VELTRA_EXAMPLES) + "/worked.net";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"run", worked, "--trace=1"}, {"equations", worked, "--printout=yes"}}) {
        const TCliResult r = RunCli(args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_NE(r.err.find(args.back()), std::string::npos) << r.err;
    }
}

} // namespace
} // namespace veltra::testing
