// veltra-cli construct, run as a separate process: the net it writes decides the word under
// veltra-cli run, and every wrong call ends with its status and a message naming the place.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Construct : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("veltra_construct_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    Result Run(const std::vector<std::string>& args) {
        std::string command = "'" + std::string(VELTRA_CLI) + "'";
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        command += " >'" + (dir_ / "stdout").string() + "' 2>'" + (dir_ / "stderr").string() + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(dir_ / "stdout"),
                ReadBytes(dir_ / "stderr")};
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string Brackets() {
        return std::string(VELTRA_EXAMPLES) + "/machines/brackets.json";
    }

    fs::path dir_;
};

TEST_F(Construct, TheWrittenNetDecidesTheWordUnderRun) {
    const struct {
        std::string word;
        std::string accept; // the Accept row's history
    } cases[] = {{"(())", "00000000000000100"}, {"(()", "0000000000000"}, {"", "00100"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        const Result built = Run({"construct", Brackets(), "--word", c.word, Path("out.net")});
        ASSERT_EQ(built.status, 0) << built.err;
        EXPECT_EQ(built.out + built.err, "");
        const Result run = Run({"run", Path("out.net")});
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string row = "\toutput\tAccept\t" + c.accept + "\n";
        EXPECT_NE(run.out.find(row), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("finished=true"), std::string::npos);
    }
}

TEST_F(Construct, WrongCallsEndWithStatusAndPlace) {
    {
        std::ofstream(Path("bad.json")) << R"({"alphabet": ["a"], "states": ["q"], "start": "q",
 "accept": [], "stacks": 1, "transitions": [
 {"state": "q", "read": "a", "top": ["any"], "next": "q", "do": ["keep"]},
 {"state": "q", "read": "a", "top": ["0"], "next": "r", "do": ["keep"]}]})";
    }
    {
        // A state name no net file can carry as a label (it would end its line).
        std::ofstream(Path("newline.json")) << R"({"alphabet": ["a"], "states": ["sc\nan"],
 "start": "sc\nan", "accept": ["sc\nan"], "stacks": 1, "transitions": []})";
    }
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;
    } cases[] = {
        {{Path("newline.json"), "--word", "a", Path("o.net")},
         2,
         "veltra-cli construct: " + Path("newline.json") +
             ": A label cannot hold a line feed (a net file keeps each label on one line)\n"},
        {{Path("bad.json"), "--word", "a", Path("o.net")},
         2,
         "veltra-cli construct: " + Path("bad.json") +
             ": transitions[1].next: unknown state 'r'\n"},
        {{Brackets(), "--word", "(x)", Path("o.net")},
         2,
         "veltra-cli construct: word, character 2: 'x' is not a symbol of the alphabet\n"},
        {{Path("none.json"), "--word", "a", Path("o.net")}, 1, "Cannot open file"},
        {{Brackets(), Path("o.net")}, 2, "veltra-cli construct: no --word given\n"},
        {{Brackets(), "--word", "()"}, 2, "veltra-cli construct: no OUT.net given\n"},
        {{Brackets(), "--word"}, 2, "veltra-cli construct: --word needs a word\n"},
        {{Brackets(), "--word", "()", Path("o.net"), "--fast"},
         2,
         "veltra-cli construct: unknown option '--fast'\n"},
        {{Brackets(), "--word", "()", Path("no/such/dir/o.net")}, 1, "veltra-cli construct: "},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"construct"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Result r = Run(args);
        SCOPED_TRACE(r.err);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err);
        EXPECT_FALSE(fs::exists(Path("o.net")));
    }
}

} // namespace
