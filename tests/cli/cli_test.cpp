// The command-line tool's net commands, run in process through cli::Run (outputs and exit
// statuses); the few that need a process of their own (an address-space limit, the exit
// status the shell sees) run the built tool.
#include "cli/loadnet.h"
#include "clirun.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using Result = veltra::testing::TCliResult;
std::string ReadBytes(const fs::path& path) {
    return veltra::testing::ReadBytes(path.string());
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("veltra_cli_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static Result Run(const std::vector<std::string>& args) {
        return veltra::testing::RunCli(args);
    }
    // Runs the built veltra-cli with the arguments (single-quoted for the shell), within
    // `memoryKiB` of address space when given.
    Result RunProcess(const std::vector<std::string>& args, long memoryKiB = 0) {
        std::string command = "'" + std::string(VELTRA_CLI) + "'";
        if (memoryKiB > 0) command = "ulimit -v " + std::to_string(memoryKiB) + "; " + command;
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        const fs::path out = dir_ / "stdout";
        const fs::path err = dir_ / "stderr";
        command += " >'" + out.string() + "' 2>'" + err.string() + "'";
        const int raw = std::system(command.c_str());
        Result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = ReadBytes(out);
        r.err = ReadBytes(err);
        return r;
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    static std::string Example(const std::string& name) {
        return std::string(VELTRA_EXAMPLES) + "/" + name;
    }
    static std::string Data(const std::string& name) {
        return std::string(VELTRA_TEST_DATA) + "/" + name;
    }
    fs::path dir_;
};

TEST_F(Cli, RunPrintsEveryElementOnceAtTheEnd) {
    const Result r = Run({"run", Example("worked.net")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "4\tinput\tIn\t\n"
                     "4\tbias\tB\t1\n"
                     "4\tneuron\tN\t0\n"
                     "4\toutput\tOut\t0110\n"
                     "steps=4 finished=true\n");
    EXPECT_EQ(r.err, "");

    const Result module = Run({"run", Example("module_delay.net"), "--log"});
    EXPECT_EQ(module.out, "6\tinput\tIn\t\n"
                          "6\tmodule\tDelay\t0\n"
                          "6\tneuron\tEcho\t0\n"
                          "6\toutput\tOut\t011010\n"
                          "6\tlog\tOut\t0 1 1 0 1 0\n"
                          "steps=6 finished=true\n");
}

TEST_F(Cli, TraceStepsAndMaxSteps) {
    const Result trace = Run({"run", Example("worked.net"), "--trace", "--steps", "2"});
    EXPECT_EQ(trace.status, 0);
    EXPECT_EQ(trace.out, "1\tinput\tIn\t110\n1\tbias\tB\t1\n1\tneuron\tN\t0\n1\toutput\tOut\t0\n"
                         "2\tinput\tIn\t10\n2\tbias\tB\t1\n2\tneuron\tN\t1\n2\toutput\tOut\t01\n"
                         "steps=2 finished=false\n");

    // A net that never finishes stops at the limit and says so.
    const Result limited = Run({"run", Data("run/bias_loop.net"), "--max-steps", "3"});
    EXPECT_EQ(limited.status, 0);
    EXPECT_EQ(limited.out, "3\tbias\tB\t1\n3\tneuron\tN\t1\nsteps=3 finished=false\n");
    EXPECT_NE(limited.err.find("stopped after 3 steps"), std::string::npos) << limited.err;

    // A limit the run does not reach changes nothing; --steps steps even a finished net.
    EXPECT_EQ(Run({"run", Data("run/input11.net"), "--max-steps", "50"}).out,
              "3\tinput\tI\t\n3\tneuron\tN\t0\nsteps=3 finished=true\n");
    EXPECT_EQ(Run({"run", Data("run/input11.net"), "--steps", "5"}).out,
              "5\tinput\tI\t\n5\tneuron\tN\t0\nsteps=5 finished=true\n");
    EXPECT_EQ(Run({"run", Data("run/bias_loop.net"), "--max-steps", "0"}).out,
              "0\tbias\tB\t1\n0\tneuron\tN\t1\nsteps=0 finished=false\n");
}

TEST_F(Cli, LabelsAndValuesStayOneField) {
    const std::string net = Write("odd.net", "<TREDE=version 0.4>\r\n<TProtoLista=1>\r\n"
                                             "<TPROTONEURONIO=TINPUT>\r\nId:0\r\n"
                                             "Etiqueta:a\tb\\c\rd\r\nPosicao:0;0\r\n"
                                             "Visible_in_runform:true\r\nPos_Sinapses:\r\n"
                                             "<TListaSinapses=0>\r\n</TListaSinapses>\r\n"
                                             "Binario:1\t0\r\n</TPROTONEURONIO>\r\n"
                                             "</TProtoLista>\r\n</TREDE>\r\n");
    const Result r = Run({"run", net, "--steps", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\tinput\ta\\tb\\\\c\\rd\t\\t0\nsteps=1 finished=false\n");
}

TEST_F(Cli, SaveWritesTheNetAfterTheRun) {
    const std::string target = (dir_ / "after.net").string();
    const Result r = Run({"run", Example("worked.net"), "--save", target});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string expected = ReadBytes(Example("worked.net"));
    expected.replace(expected.find("Binario:0110"), 12, "Binario:");
    expected.replace(expected.rfind("Binario:\r\n"), 10, "Binario:0110\r\n");
    EXPECT_EQ(ReadBytes(target), expected);

    // Saving into a folder that does not exist fails after printing the results.
    const Result failed =
        Run({"run", Example("worked.net"), "--save", (dir_ / "no" / "x.net").string()});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.out.find("steps=4"), std::string::npos);
    EXPECT_NE(failed.err.find("x.net"), std::string::npos) << failed.err;
}

TEST_F(Cli, SavingToStandardOutputOrADeviceWritesIntoIt) {
    const Result inFile = Run({"run", Example("worked.net")});
    const std::string saved = (dir_ / "after.net").string();
    ASSERT_EQ(Run({"run", Example("worked.net"), "--save", saved}).status, 0);
    // Standard output sent to a file: the rows, then the net, in that file.
    const Result toStdout = RunProcess({"run", Example("worked.net"), "--save", "/dev/stdout"});
    EXPECT_EQ(toStdout.status, 0) << toStdout.err;
    EXPECT_EQ(toStdout.out, inFile.out + ReadBytes(saved));
    // A device node made here stays one; a full one fails the save with the reason.
    const std::string full = (dir_ / "full").string();
    ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0600, ::makedev(1, 7)), 0);
    const Result failed = Run({"run", Example("worked.net"), "--save", full});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "veltra-cli run: Cannot write " + full + ": No space left on device\n");
    EXPECT_TRUE(fs::is_character_file(full));
}

TEST_F(Cli, ReadErrorsAndBadArguments) {
    const Result broken = Run({"run", Data("reader/teta_key.net")});
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.out, "");
    EXPECT_EQ(broken.err.substr(0, broken.err.find('\n')),
              "TNeuronio - FormatoIncorrecto - Teta (line 48)");
    // A number that is not one as a whole is refused, and the message says where and why.
    std::string text = ReadBytes(Example("worked.net"));
    text.replace(text.find("Actividade:1"), 12, "Actividade:0.5x");
    const Result malformed = Run({"check", Write("malformed.net", text)});
    EXPECT_EQ(malformed.status, 1);
    EXPECT_EQ(
        malformed.err.substr(0, malformed.err.find('\n')),
        "TNeuronio - FormatoIncorrecto (line 31: '0.5x' is not a valid floating point value)");

    const std::string missing = (dir_ / "missing.net").string();
    const Result absent = Run({"run", missing});
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.err, "Cannot open file " + missing + "\n");

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"run"},
             {"run", Example("worked.net"), "--steps"},
             {"run", Example("worked.net"), "--steps", "-1"},
             {"run", Example("worked.net"), "--steps", "2x"},
             {"run", Example("worked.net"), "--steps", "1", "--max-steps", "1"},
             {"run", Example("worked.net"), "--frobnicate"},
             {"run", Example("worked.net"), Example("stack.net")},
             {"check"},
             {"equations", Example("worked.net"), "--nope"}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, 2) << args.size() << " " << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    }
    for (const char* command : {"run", "check", "equations"}) {
        const Result help = Run({command, "--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind(std::string("Usage: veltra-cli ") + command, 0), 0u);
    }
}

TEST_F(Cli, CheckSaysOkOrTheError) {
    const Result ok = Run({"check", Example("deep_stack.net")});
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.out, "ok\n");

    const Result bad = Run({"check", Data("reader/position_y.net")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "");
    // The neuron that In and B feed was never read: its id is then unknown too.
    EXPECT_EQ(bad.err, "Formato incorrecto - TProtoNeuronio (Posicao) (line 21)\n"
                       "FinishLoad - neuronio nao encontrado\n");

    std::string text = ReadBytes(Example("worked.net"));
    text.replace(text.find("Destino:3"), 9, "Destino:9");
    const Result loose = Run({"check", Write("loose.net", text)});
    EXPECT_EQ(loose.status, 1);
    EXPECT_EQ(loose.err, "FinishLoad - neuronio nao encontrado\n");
}

TEST_F(Cli, EquationsAndTheirPrintout) {
    const Result r = Run({"equations", Example("worked.net")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Neuron[N] (+)= SIG( 1 x In[In]   +   -0.5 x B[B] )\n");

    const Result printout = Run({"equations", "--printout", Example("worked.net")});
    EXPECT_EQ(printout.out, "DYNAMICS\n" + Example("worked.net") +
                                "\n\nNeuron[N] (+)= SIG( 1 x In[In]   +   -0.5 x B[B] )\n");

    const Result single = Run({"equations", Data("run/input11.net")});
    EXPECT_EQ(single.out, "Neuron[N] (+)= SIG( 1 x In[I] )\n");

    const Result broken = Run({"equations", Data("reader/net_end.net")});
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.err, "Formato incorrecto (line 62)\n");
}

// A net whose bias feeds a neuron with a self-loop: N grows a digit after the point each step
// (0.5, 0.75, 0.875, ...) and never finishes. The output records N.
std::string GrowingNet(const std::string& label = "N", const std::string& start = "0.5") {
    const std::string head = "\r\nPosicao:0;0\r\nVisible_in_runform:true\r\nPos_Sinapses:\r\n";
    const std::string synapse = "<TSINAPSE>\r\nValor:";
    const std::string to = "\r\nvisible:true\r\n</TSINAPSE>\r\n";
    return "<TREDE=version 0.4>\r\n<TProtoLista=3>\r\n<TPROTONEURONIO=TPENDOR>\r\nId:0\r\n"
           "Etiqueta:B" +
           head + "<TListaSinapses=1>\r\n" + synapse + "0.5\r\nDestino:1" + to +
           "</TListaSinapses>\r\nActividade:1\r\n</TPROTONEURONIO>\r\n"
           "<TPROTONEURONIO=TNEURONIO>\r\nId:1\r\nEtiqueta:" +
           label + head + "<TListaSinapses=2>\r\n" + synapse + "0.5\r\nDestino:1" + to + synapse +
           "1\r\nDestino:2" + to + "</TListaSinapses>\r\nActividade:" + start +
           "\r\nFuncaoActivacao:TSacturated_Linear\r\nloop:true\r\n</TPROTONEURONIO>\r\n"
           "<TPROTONEURONIO=TOUTPUT>\r\nId:2\r\nEtiqueta:Out" +
           head +
           "<TListaSinapses=0>\r\n</TListaSinapses>\r\nBinario:\r\n</TPROTONEURONIO>\r\n"
           "</TProtoLista>\r\n</TREDE>\r\n";
}

bool Sanitized() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

TEST_F(Cli, FailuresInsideACommandAreMessagesNotAborts) {
    if (Sanitized()) GTEST_SKIP() << "address space limits do not mix with the sanitizers";
    // Twenty million digits do not fit in 60 MB of address space: the allocation fails.
    const std::string big = Write("big.txt", std::string(20000000, '7'));
    const Result calc = RunProcess({"calc", "@" + big, "mult", "2"}, 60000);
    EXPECT_EQ(calc.status, 1);
    EXPECT_EQ(calc.err, "veltra-cli calc: out of memory\n");

    // An output records 2,000 different values of 100,000 digits: without --log nothing of
    // them is kept (as text they would take 200 MB).
    const std::string net = Write("long.net", GrowingNet("N", "0." + std::string(100000, '1')));
    const Result run = RunProcess({"run", net, "--steps", "2000"}, 150000);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("steps=2000 finished=false"), std::string::npos);
}

TEST_F(Cli, ControlCharactersFromTheFileNeverReachTheTerminal) {
    const std::string label =
        std::string("a\x1b[2Jb\tc") + std::string(1, '\0') + "d\xc2\x9b\xc3\xa9";
    const std::string net = Write("odd.net", GrowingNet(label));
    const std::string shown = "a\\x1B[2Jb\\tc\\x00d\\xC2\\x9B\xc3\xa9";
    const Result equations = Run({"equations", net});
    EXPECT_EQ(equations.status, 0) << equations.err;
    EXPECT_EQ(equations.out,
              "Neuron[" + shown + "] (+)= SIG( 0.5 x N[" + shown + "]   +   0.5 x B[B] )\n");
    const Result run = Run({"run", net, "--steps", "1"});
    EXPECT_NE(run.out.find("1\tneuron\t" + shown + "\t0.75\n"), std::string::npos) << run.out;
}

// Printable ASCII other than the backslash passes as it is (the quick route for digits); every
// byte next to it that a terminal could act on is still escaped.
TEST(EscapeField, PlainTextIsItsOwnFieldAndEveryOtherByteIsStillEscaped) {
    using veltra::cli::EscapeField;
    EXPECT_EQ(EscapeField(""), "");
    EXPECT_EQ(EscapeField(" -0.123456789~"), " -0.123456789~");
    EXPECT_EQ(EscapeField("1\\2"), "1\\\\2");
    EXPECT_EQ(EscapeField("9\x7f"), "9\\x7F");
    EXPECT_EQ(EscapeField("\x1f"
                          "0"),
              "\\x1F0");
    EXPECT_EQ(EscapeField("0.5\t"), "0.5\\t");
    EXPECT_EQ(EscapeField("\xc3\xa9"), "\xc3\xa9");
    EXPECT_EQ(EscapeField("7\xc2\x85"), "7\\xC2\\x85");
}

TEST_F(Cli, MaxDigitsStopsBeforeTheStepThatWouldExceedIt) {
    const std::string net = Write("growing.net", GrowingNet());
    // Before a step, N x 0.5 has one digit after the point more than N, 1 x 0.5 one digit
    // before it at most, and the two terms may carry: N's digits plus three.
    const Result run = Run({"run", net, "--max-digits", "6", "--log"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "3\tbias\tB\t1\n3\tneuron\tN\t0.9375\n3\toutput\tOut\txxx\n"
                       "3\tlog\tOut\t0.75 0.875 0.9375\nsteps=3 finished=false\n");
    EXPECT_EQ(run.err, "veltra-cli run: stopped after 3 steps: the values of step 4 could have "
                       "7 digits, more than --max-digits 6\n");

    const Result steps = Run({"run", net, "--steps", "10", "--max-digits", "6"});
    EXPECT_EQ(steps.status, 1);
    EXPECT_NE(steps.out.find("steps=3 finished=false"), std::string::npos);
    const Result enough = Run({"run", net, "--steps", "10", "--max-digits", "13"});
    EXPECT_EQ(enough.status, 0) << enough.err;
    EXPECT_NE(enough.out.find("steps=10 finished=false"), std::string::npos);
    EXPECT_EQ(Run({"run", net, "--max-digits", "x"}).status, 2);
}

TEST_F(Cli, TheProcessExitsWithTheCommandsStatus) {
    EXPECT_EQ(RunProcess({"check", Example("worked.net")}).status, 0);
    const Result bad = RunProcess({"check", Data("reader/position_y.net")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_FALSE(bad.err.empty());
    EXPECT_EQ(RunProcess({"frobnicate"}).status, 2);
    EXPECT_EQ(RunProcess({"calc", "1.5x", "sum", "1"}).status, 1);
    EXPECT_EQ(RunProcess({}).status, 2);
}

} // namespace

// A standard output that takes nothing: every write fails, as on a full disk.
class TRefusingBuffer : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST_F(Cli, OutputThatCannotBeWrittenFailsEveryCommandWithAMessage) {
    const std::vector<std::vector<std::string>> commands = {
        {"calc", "1", "sum", "1"},
        {"check", Example("worked.net")},
        {"equations", Example("worked.net")},
        {"run", Example("worked.net"), "--steps", "2"},
        {"run", Example("worked.net"), "--format", "json", "--trace"},
    };
    for (const auto& args : commands) {
        TRefusingBuffer refusing;
        std::ostream out(&refusing);
        std::ostringstream err;
        const std::vector<std::string_view> views(args.begin(), args.end());
        EXPECT_EQ(veltra::cli::Run(views, out, err), 1) << args[0];
        EXPECT_NE(err.str().find("cannot write to standard output"), std::string::npos)
            << args[0] << ": " << err.str();
    }
    // Through the built tool, the system's own reason.
    const std::string command = "'" + std::string(VELTRA_CLI) + "' check '" +
                                Example("worked.net") + "' >/dev/full 2>'" +
                                (dir_ / "err").string() + "'";
    const int raw = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1);
    EXPECT_EQ(ReadBytes(dir_ / "err"),
              "veltra-cli check: cannot write to standard output: No space left on device\n");
}
