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
    {
        // An unknown state whose name would clear the screen, and is a megabyte long.
        std::ofstream(Path("loud.json"))
            << R"({"alphabet": ["a"], "states": ["q"], "start": "q", "accept": [], "stacks": 1,
 "transitions": [{"state": "q", "read": "a", "top": ["any"], "next": "\u001b[2J)"
            << std::string(1000000, 'z') << R"(", "do": ["keep"]}]})";
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
        {{Path("loud.json"), "--word", "a", Path("o.net")},
         2,
         "veltra-cli construct: " + Path("loud.json") +
             ": transitions[0].next: unknown state '\\x1B[2Jzzz"},
        {{Path(""), "--word", "a", Path("o.net")},
         1,
         "Cannot open file " + Path("") + ": is a directory\n"},
        {{Brackets(), "--word", "()", "--word", "(", Path("o.net")},
         2,
         "veltra-cli construct: --word is given twice\n"},
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
        EXPECT_LT(r.err.size(), 1000u) << "a long name is shortened";
        EXPECT_FALSE(fs::exists(Path("o.net")));
    }
}

// Binary increment: right to the end of the number, then carry leftwards.
const char* const kIncrement = R"({"symbols": ["_", "0", "1"], "states": ["right", "carry"],
  "halt": ["done"], "transitions": [
  {"state": "right", "read": "0", "write": "0", "move": "R", "next": "right"},
  {"state": "right", "read": "1", "write": "1", "move": "R", "next": "right"},
  {"state": "right", "read": "_", "write": "_", "move": "L", "next": "carry"},
  {"state": "carry", "read": "1", "write": "0", "move": "L", "next": "carry"},
  {"state": "carry", "read": "0", "write": "1", "move": "L", "next": "done"},
  {"state": "carry", "read": "_", "write": "1", "move": "L", "next": "done"}]})";

TEST_F(Construct, TuringMachinesRunByThemselvesAndTellWhereTheyStand) {
    std::ofstream(Path("inc.json")) << kIncrement;
    std::ofstream(Path("tape.txt")) << "1011\n";
    std::ofstream(Path("word.txt")) << "(())\r\n";
    const struct {
        std::vector<std::string> construct;
        std::vector<std::string> run; // after the file
        std::string machine;          // the machine line
        std::string last;
    } cases[] = {
        {{"--tm", "1RB1LB_1LA1RZ"},
         {},
         "machine: steps=6 halted=yes state=Z nonblank=4 head=2 tape=1111",
         "steps=14 finished=true"},
        {{"--tm", Path("inc.json"), "--tape", "@" + Path("tape.txt")},
         {},
         "machine: steps=8 halted=yes state=done nonblank=4 head=0 tape=1100",
         "steps=18 finished=true"},
        // Not halted: the line at the step --max-steps stopped, midway through a step too.
        {{"--tm", "1RA1RA"},
         {"--max-steps", "6"},
         "machine: steps=3 halted=no state=A nonblank=3 head=3 tape=111",
         "steps=6 finished=false"},
        {{"--tm", "1RA1RA"},
         {"--steps", "5"},
         "machine: steps=3 halted=no state=A nonblank=3 head=3 tape=111",
         "steps=5 finished=false"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.construct[1]);
        std::vector<std::string> args{"construct"};
        args.insert(args.end(), c.construct.begin(), c.construct.end());
        args.push_back(Path("tm.net"));
        const Result built = Run(args);
        ASSERT_EQ(built.status, 0) << built.err;
        std::vector<std::string> run{"run", Path("tm.net"), "--machine"};
        run.insert(run.end(), c.run.begin(), c.run.end());
        const Result r = Run(run);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("\n" + c.machine + "\n" + c.last + "\n"), std::string::npos) << r.out;
    }
    // A stack machine's word from a file, its line break left out.
    ASSERT_EQ(
        Run({"construct", Brackets(), "--word", "@" + Path("word.txt"), Path("b.net")}).status, 0);
    EXPECT_NE(Run({"run", Path("b.net")}).out.find("\toutput\tAccept\t00000000000000100\n"),
              std::string::npos);
}

TEST_F(Construct, WrongTuringCallsEndWithStatusAndPlace) {
    ASSERT_EQ(Run({"construct", Brackets(), "--word", "()", Path("b.net")}).status, 0);
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;
    } cases[] = {
        {{"construct", "--tm", "1RB1LB_1LA1RC", Path("o.net")},
         2,
         "veltra-cli construct: --tm: state B reading 1: '1RC' goes to 'C', which is not a "
         "state"},
        {{"construct", "--tm", "bb9.json", Path("o.net")},
         2,
         "veltra-cli construct: --tm: state A: 'bb9.json' is not one triple"},
        {{"construct", "--tm", "1RB1LB_1LA1RZ", "--tape", "012", Path("o.net")},
         2,
         "veltra-cli construct: tape, character 3: '2' is not a symbol of the machine (01)\n"},
        {{"construct", "--tm", "1RB1LB_1LA1RZ", "--tape", "@" + Path("none"), Path("o.net")},
         1,
         "veltra-cli construct: Cannot open file"},
        {{"construct", "--tm", "1RB1LB_1LA1RZ", "--word", "1", Path("o.net")},
         2,
         "veltra-cli construct: --word is for stack machines; a Turing machine's is --tape\n"},
        {{"construct", Brackets(), "--word", "()", "--tape", "1", Path("o.net")},
         2,
         "veltra-cli construct: --tape is for Turing machines (--tm)\n"},
        {{"construct", "--tm", "1RB1LB_1LA1RZ", Brackets(), Path("o.net")},
         2,
         "veltra-cli construct: --tm names the machine, so '"},
        {{"run", Path("b.net"), "--machine"},
         2,
         "veltra-cli run: --machine: " + Path("b.net") +
             " is not a net that construct --tm built: its first element is not 'steps'\n"},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.args);
        SCOPED_TRACE(r.err);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err);
        EXPECT_FALSE(fs::exists(Path("o.net")));
    }
}

} // namespace
