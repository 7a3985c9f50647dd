#include "execution/dynamics.h"
#include "model/dados.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace veltra {
namespace {

std::vector<std::string> Equations(const std::string& path) {
    TDados document;
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(document.Load(in), "") << path;
    return BuildDynamics(document.Elements());
}

TEST(Dynamics, TermGroupsOrderSeparatorsAndCanonicalWeights) {
    const auto lines = Equations(std::string(VELTRA_TEST_DATA) + "/run/equations.net");
    const std::vector<std::string> expected{
        "Neuron[3] (+)= SIG( 0.5 x N[2] + 2 x N[3]   +   1 x In[1]   +   -1 x B[4] )",
        // Fed only by a module: nothing between the parentheses but two blanks.
        "Neuron[lone] (+)= SIG(  )",
        "Neuron[5] (+)= SIG( -1 x N[2] + 0 x N[2]   +   3 x Out[O]   +   0.25 x B[4] )",
    };
    EXPECT_EQ(lines, expected);
}

TEST(Dynamics, WorkedExampleSkipsGroupsWithoutTerms) {
    const auto lines = Equations(std::string(VELTRA_EXAMPLES) + "/worked.net");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Neuron[N] (+)= SIG( 1 x In[In]   +   -0.5 x B[B] )");
}

TEST(Dynamics, NetsWithoutFedNeuronsGiveNoLines) {
    TDados empty;
    EXPECT_TRUE(BuildDynamics(empty.Elements()).empty());
    // A module's inner neurons get no line; the hidden synapse out of the module names its
    // inner source, the module's own visible synapse adds nothing.
    const auto lines = Equations(std::string(VELTRA_EXAMPLES) + "/module_delay.net");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Neuron[Echo] (+)= SIG( 2 x N[Inner] )");
}

TEST(Dynamics, PrintoutCutsLongLinesAt131) {
    const std::string longLine(300, 'a');
    std::ostringstream scratch;
    ASSERT_TRUE(WriteDynamicsScratch(scratch, {"first", longLine, "", "after the gap"}));
    EXPECT_EQ(scratch.str(), "first\n" + longLine + "\n");

    std::istringstream back(scratch.str());
    const auto read = ReadDynamicsScratch(back);
    ASSERT_EQ(read.size(), 4u);
    EXPECT_EQ(read[0], "first");
    EXPECT_EQ(read[1].size(), 131u);
    EXPECT_EQ(read[2].size(), 131u);
    EXPECT_EQ(read[3].size(), 38u);

    const auto text = DynamicsPrintout("net1.net", read);
    ASSERT_EQ(text.size(), 7u);
    EXPECT_EQ(text[0], "DYNAMICS");
    EXPECT_EQ(text[1], "net1.net");
    EXPECT_EQ(text[2], "");
    EXPECT_EQ(text[3], "first");

    EXPECT_EQ(CutLine(std::string(131, 'b')).size(), 1u);
    EXPECT_EQ(CutLine(std::string(132, 'b')).size(), 2u);
    EXPECT_EQ(CutLine("").size(), 1u);
}

} // namespace
} // namespace veltra
