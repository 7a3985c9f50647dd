// veltra-cli calc in process: results, messages and exit statuses.
#include "clirun.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Outcome = veltra::testing::TCliResult;
const auto Calc = veltra::testing::RunCli;

TEST(CliCalc, ResultsMessagesAndStatuses) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string errPart; // a part of standard error ("" expects it empty)
    } cases[] = {
        {{"calc", "1.0", "sum", ".25"}, 0, "1.25\n", ""},
        {{"calc", "1.0", "mult", ".25"}, 0, "0.25\n", ""},
        {{"calc", "1.0", "bigger", ".25"}, 0, "Bigger\n", ""},
        {{"calc", "1.0", "equal", ".25"}, 0, "Not Equal\n", ""},
        {{"calc", "1.0", "equal", "1"}, 0, "Equal\n", ""},
        {{"calc", "-1", "bigger", "-100000000"}, 0, "Bigger\n", ""},
        {{"calc", "0", "equal", "-0"}, 0, "Equal\n", ""},
        {{"calc", "0.1", "bigger", "0.1"}, 0, "Not bigger\n", ""},
        {{"calc", "99999999.99999999", "sum", "0.00000001"}, 0, "100000000\n", ""},
        {{"calc", "123456789012345678901234567890", "mult", "123456789012345678901234567890"},
         0,
         "15241578753238836750495351562536198787501905199875019052100\n",
         ""},
        {{"calc", "", "sum", "3"}, 0, "3\n", ""},
        {{"calc", "-5", "sum", "-0"}, 0, "-5\n", ""},
        // "." and "-." are zero, as in a net file.
        {{"calc", ".", "sum", "-2.5"}, 0, "-2.5\n", ""},
        {{"calc", "1", "equal", "."}, 0, "Not Equal\n", ""},
        {{"calc", "-.", "equal", "0"}, 0, "Equal\n", ""},
        // A typed operand that is not a number as a whole is never taken as 0, and whichever
        // part is wrong, the message names the whole operand.
        {{"calc", "1.2a", "sum", "5"}, 1, "", "'1.2a' is not a valid floating point value\n"},
        {{"calc", "1", "mult", "0.2.5"}, 1, "", "'0.2.5' is not a valid floating point value"},
        {{"calc", "-", "bigger", "1"}, 1, "", "'-' is not a valid floating point value"},
        {{"calc", "12a", "sum", "1"}, 1, "", "'12a' is not a valid floating point value"},
        {{"calc", "123456789a.5", "sum", "1"},
         1,
         "",
         "'123456789a.5' is not a valid floating point value"},
        {{"calc", "x", "sum", "y"}, 1, "", "'x' is not a valid floating point value"},
        {{"calc", "1", "div", "2"}, 2, "", "unknown operation 'div'"},
        {{"calc", "1", "sum"}, 2, "", "expected X OP Y"},
        {{"frobnicate"}, 2, "", "unknown command 'frobnicate'"},
        {{}, 2, "", "Usage"},
        {{"calc", "@/nonexistent/operand", "sum", "1"}, 2, "", "cannot read"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const std::string& a : c.args)
            shown += "'" + a + "' ";
        SCOPED_TRACE(shown);
        const Outcome r = Calc(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        if (c.errPart.empty())
            EXPECT_EQ(r.err, "");
        else
            EXPECT_NE(r.err.find(c.errPart), std::string::npos) << r.err;
    }
}

TEST(CliCalc, OperandsFromFilesWithTrailingBreaksAndOfAnyLength) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("veltra_calc_" + std::to_string(::getpid()) + ".txt");
    std::ofstream(path) << std::string(3000, '9') << "\n";
    const std::string operand = "@" + path.string();
    EXPECT_EQ(Calc({"calc", operand, "sum", "1"}).out, "1" + std::string(3000, '0') + "\n");
    EXPECT_EQ(Calc({"calc", operand, "bigger", "99999999"}).out, "Bigger\n");
    std::filesystem::remove(path);
}

TEST(CliCalc, HelpTexts) {
    EXPECT_NE(Calc({"--help"}).out.find("calc"), std::string::npos);
    const Outcome help = Calc({"calc", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: veltra-cli calc X OP Y"), std::string::npos);
}

} // namespace
