// veltra-cli run --input LABEL=SEQUENCE: one net run over other inputs without editing it,
// and the arguments it refuses; veltra-cli --version.
#include "clirun.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using veltra::testing::RunCli;
using Result = veltra::testing::TCliResult;
const auto Bytes = veltra::testing::ReadBytes;

const std::string kWorked = std::string(VELTRA_EXAMPLES) + "/worked.net";
const std::string kTwoInputs = std::string(VELTRA_TEST_DATA) + "/run/two_inputs.net";

TEST(CliInput, ReplacesTheSequenceForThisRunOnly) {
    const std::string before = Bytes(kWorked);
    struct Case {
        std::vector<std::string> inputs;
        std::string history;
        int steps;
    };
    const Case cases[] = {
        // A last 1 leaves the neuron at 1: one more step brings it back to 0.
        {{"In=1011"}, "10110", 5},
        {{"In="}, "", 0}, // nothing to consume: the net is finished before the first step
        {{"In=" + std::string(40, '1')}, std::string(40, '1') + "0", 41},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"run", kWorked};
        for (const std::string& input : c.inputs)
            args.insert(args.end(), {"--input", input});
        const Result r = RunCli(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("\toutput\tOut\t" + c.history + "\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("steps=" + std::to_string(c.steps) + " finished=true"),
                  std::string::npos)
            << r.out;
    }
    EXPECT_EQ(Bytes(kWorked), before);
}

TEST(CliInput, EachLabelReachesItsOwnInput) {
    // A and B feed an AND neuron; labels with '=' split at the last '='.
    const Result r = RunCli({"run", kTwoInputs, "--input", "A=1101", "--input", "B=x=0111"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\toutput\tOut\t01010\n"), std::string::npos) << r.out;
}

TEST(CliInput, WrongArgumentsExitWithTwo) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"--input", "Nobody=01"}, "no top-level input labelled 'Nobody'"},
        {{"--input", "B=1"}, "no top-level input labelled 'B'"}, // B is a bias there
        {{"--input", "In=0120"}, "holds '2' at position 3"},
        {{"--input", "In=1 0"}, "holds ' ' at position 2"},
        {{"--input", "In"}, "'In' is not LABEL=SEQUENCE"},
        {{"--input"}, "--input needs LABEL=SEQUENCE"},
        // Which of two sequences was meant is not known: neither silently wins.
        {{"--input", "In=0", "--input", "In=11"}, "--input In is given twice"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"run", kWorked};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Result r = RunCli(args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    // Two inputs with one label: which one was meant is not known.
    const Result twice = RunCli({"run", kTwoInputs, "--input", "Same=1"});
    EXPECT_EQ(twice.status, 2);
    EXPECT_NE(twice.err.find("2 inputs labelled 'Same'"), std::string::npos) << twice.err;
}

TEST(CliInput, VersionIsTheProjectVersion) {
    const Result r = RunCli({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("veltra-cli ") + VELTRA_VERSION + "\n");
}

} // namespace
