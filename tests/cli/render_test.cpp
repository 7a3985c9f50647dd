// veltra-cli render: pictures without a display, and its refusals.
#include "clirun.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace veltra::testing {
namespace {

namespace fs = std::filesystem;

struct RenderTest : ::testing::Test {
    void SetUp() override {
        dir = fs::temp_directory_path() / ("veltra_render_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        ::setenv("VELTRA_RENDER_HELPER", VELTRA_RENDER, 1);
    }
    void TearDown() override {
        fs::remove_all(dir);
        ::unsetenv("VELTRA_RENDER_HELPER");
    }
    std::string Out(const char* name) const { return (dir / name).string(); }
    static std::string Worked() { return std::string(VELTRA_EXAMPLES) + "/worked.net"; }
    fs::path dir;
};

TEST_F(RenderTest, AnUnreadableNetIsAMessageAndStatusOne) {
    std::ofstream(Out("broken.net")) << "<TREDE=version 0.4>\n<TProtoLista=1>\nnonsense\n";
    for (const std::string& net : {Out("missing.net"), Out("broken.net")}) {
        const TCliResult r = RunCli({"render", net, Out("x.png")});
        EXPECT_EQ(r.status, 1) << net;
        EXPECT_FALSE(r.err.empty()) << net;
        EXPECT_FALSE(fs::exists(Out("x.png")));
    }
    // A picture that cannot be written is a failure too, not a silent success.
    const TCliResult r = RunCli({"render", Worked(), Out("no/such/dir/x.png")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot write"), std::string::npos) << r.err;
}

TEST_F(RenderTest, WrongArgumentsAreStatusTwo) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"render", Worked()},
                                               {"render", Worked(), Out("a.png"), "--scale", "5"},
                                               {"render", Worked(), Out("a.png"), "--scale"},
                                               {"render", Worked(), Out("a.png"), "--big"}}) {
        EXPECT_EQ(RunCli(args).status, 2) << args.back();
    }
    const TCliResult r = RunCli({"render", Worked(), Out("a.gif")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Unknown picture format"), std::string::npos);
}

// Width and height from a PNG's header chunk.
std::pair<long, long> PngSize(const std::string& bytes) {
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    auto be = [&](std::size_t at) {
        long v = 0;
        for (std::size_t i = 0; i < 4; ++i)
            v = v * 256 + static_cast<unsigned char>(bytes.at(at + i));
        return v;
    };
    return {be(16), be(20)};
}

TEST_F(RenderTest, ThePngGrowsWithTheScale) {
    ASSERT_EQ(RunCli({"render", Worked(), Out("a.png")}).status, 0);
    ASSERT_EQ(RunCli({"render", Worked(), Out("b.png"), "--scale", "200"}).status, 0);
    const auto [aw, ah] = PngSize(ReadBytes(Out("a.png")));
    const auto [bw, bh] = PngSize(ReadBytes(Out("b.png")));
    // The net with a border of 48 picture pixels on each side.
    EXPECT_GT(aw, 96 + 200);
    EXPECT_NEAR(bw - 96, 2 * (aw - 96), 2);
    EXPECT_NEAR(bh - 96, 2 * (ah - 96), 2);
}

TEST_F(RenderTest, WithoutTheDrawingProgramItSaysSo) {
    ::setenv("VELTRA_RENDER_HELPER", (dir / "nowhere").c_str(), 1);
    const TCliResult r = RunCli({"render", Worked(), Out("a.png")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not installed"), std::string::npos) << r.err;
}

TEST_F(RenderTest, SvgAndPdfCarryTheLabelsAsText) {
    ASSERT_EQ(RunCli({"render", Worked(), Out("n.svg"), "--labels", "--weights"}).status, 0);
    const std::string svg = ReadBytes(Out("n.svg"));
    for (const char* text : {">In<", ">B<", ">N<", ">Out<", ">-0.5<"})
        EXPECT_NE(svg.find(text), std::string::npos) << text;

    ASSERT_EQ(RunCli({"render", Worked(), Out("n.pdf"), "--labels", "--scale", "150"}).status, 0);
    const std::string text = Out("n.txt");
    const std::string command = "pdftotext '" + Out("n.pdf") + "' '" + text + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string words = ReadBytes(text);
    for (const char* label : {"In", "B", "N", "Out"})
        EXPECT_NE(words.find(label), std::string::npos) << label << " in " << words;
    // Without --labels there is no text at all.
    ASSERT_EQ(RunCli({"render", Worked(), Out("bare.svg")}).status, 0);
    EXPECT_EQ(ReadBytes(Out("bare.svg")).find(">Out<"), std::string::npos);
}

} // namespace
} // namespace veltra::testing
