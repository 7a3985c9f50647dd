// veltra-cli render: pictures without a display, and its refusals.
#include "clirun.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
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

TEST_F(RenderTest, AnSvgIsWellFormedXmlWhateverTheLabelsHold) {
    // Labels and a sequence holding control characters (XML allows none of them but tab, LF
    // and CR), a byte that is no UTF-8, markup and a picture name with a control character.
    std::string text = ReadBytes(Worked());
    const auto put = [&](const std::string& from, const std::string& to) {
        text.replace(text.find(from), from.size(), to);
    };
    put("Etiqueta:In\r", std::string("Etiqueta:a\x01"
                                     "b\x1b[2J\x7f\r"));
    put("Etiqueta:N\r", std::string("Etiqueta:<N> & \"\xff\" \x0b\r"));
    put("Binario:0110", std::string("Binario:0\x02\t1"));
    const std::string net = Out("odd.net");
    std::ofstream(net, std::ios::binary) << text;
    const std::string svg = Out("odd\x01.svg");
    const TCliResult r = RunCli({"render", net, svg, "--labels", "--values"});
    ASSERT_EQ(r.status, 0) << r.err;
    // A real XML parser has the last word; it also gives the texts back.
    const std::string check = Out("check.py");
    std::ofstream(check) << "import sys, xml.etree.ElementTree as E\n"
                            "root = E.parse(sys.argv[1]).getroot()\n"
                            "print('|'.join(t.strip() for t in root.itertext() if t.strip()))\n";
    const std::string texts = Out("texts.txt");
    const std::string command = "PYTHONIOENCODING=utf-8 /usr/bin/python3 '" + check + "' '" + svg +
                                "' >'" + texts + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadBytes(texts);
    const std::string shown = ReadBytes(texts);
    for (const char* part :
         {"a\u2401b\u241b[2J\u2421", "<N> & \"\ufffd\" \u240b", "0\u2402\u24091"})
        EXPECT_NE(shown.find(part), std::string::npos) << part << " in " << shown;
}

TEST_F(RenderTest, AFileSizeLimitIsAMessageNotASignal) {
    const std::string png = Out("limited.png");
    const std::string command = "ulimit -f 1; '" + std::string(VELTRA_CLI) + "' render '" +
                                Worked() + "' '" + png + "' --scale 400 2>'" + Out("err") + "'";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(ReadBytes(Out("err")),
              "veltra-cli render: Cannot write " + png + ": File too large\n");
    EXPECT_FALSE(fs::exists(png));
}

} // namespace
} // namespace veltra::testing
