#include "storage/sequencefile.h"

#include <gtest/gtest.h>
#include <sstream>

namespace veltra {
namespace {

std::string Load(const std::string& bytes) {
    std::istringstream in(bytes);
    return LoadSequence(in);
}

std::string Save(const std::string& text) {
    std::ostringstream out;
    EXPECT_TRUE(SaveSequence(out, text));
    return out.str();
}

TEST(SequenceFile, PlainSequenceRoundTripsByteForByte) {
    EXPECT_EQ(Save("0110"), "0110");
    EXPECT_EQ(Save("0110").size(), 4u);
    EXPECT_EQ(Load("0110"), "0110");
    EXPECT_EQ(Save(""), "");
    EXPECT_EQ(Load(""), "");
}

TEST(SequenceFile, EveryKindOfLineBreakBecomesCrLf) {
    EXPECT_EQ(Load("0110\n"), "0110\r\n");
    EXPECT_EQ(Load("01\n10\n"), "01\r\n10\r\n");
    EXPECT_EQ(Load("01\r10"), "01\r\n10");
    EXPECT_EQ(Load("01\r\n10"), "01\r\n10");
    // Mixed and consecutive breaks: each break is one pair, an LF CR is two breaks.
    EXPECT_EQ(Load("a\n\rb\r\r\nc\n\n"), "a\r\n\r\nb\r\n\r\nc\r\n\r\n");
    EXPECT_EQ(Load("\r"), "\r\n");
    EXPECT_EQ(Load("\n"), "\r\n");
}

TEST(SequenceFile, LfFileSavedAgainHoldsCrLfPairs) {
    EXPECT_EQ(Save(Load("1\n0\n")), "1\r\n0\r\n");
    // Loading what we saved changes nothing.
    EXPECT_EQ(Load(Save("1\r\n0 x\t\r\n")), "1\r\n0 x\t\r\n");
}

TEST(SequenceFile, OtherBytesPassUnchanged) {
    std::string bytes("0\0"
                      "1\xff 2",
                      6);
    EXPECT_EQ(Load(bytes), bytes);
    EXPECT_EQ(Save(bytes), bytes);
}

TEST(SequenceFile, SaveReportsAFailedStream) {
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    EXPECT_FALSE(SaveSequence(out, "01"));
}

TEST(SequenceFile, MessagesNameTheFile) {
    EXPECT_EQ(CannotOpenFileText("/tmp/a b.txt"), "Cannot open file /tmp/a b.txt");
    EXPECT_EQ(CannotCreateFileText("seq.txt"), "Cannot create file seq.txt");
}

} // namespace
} // namespace veltra
