// The machines of examples/machines: every decision of their nets, for all words up to length 8
// and for the listed words (some deep), equals the machine's own; the stored nets are what the
// builder makes today; and the same nets stepped in binary floating point go wrong on deep stacks.
#include "machine/turingnet.h"
#include "machinerun.h"
#include "model/outputs.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>

namespace veltra {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct ListedWord {
    bool accepted;
    std::string word;
};

// "+ WORD" or "- WORD" per line ("+" alone: the empty word); "#" starts a comment.
std::vector<ListedWord> ReadWords(const fs::path& path) {
    std::vector<ListedWord> words;
    std::istringstream in(ReadBytes(path));
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        words.push_back({line[0] == '+', line.size() > 2 ? line.substr(2) : ""});
    }
    return words;
}

// The same net stepped with binary doubles, as a quick script would do it: the weights and
// values read from their exact texts, the same two phases, the same saturated-linear function.
// Its `Accept` is read generously (above one half counts as a 1), since 0.1 has no exact binary
// form and a double's conjunctions come out as 0.99999... rather than 1.
bool DoubleAccepts(TDados& document, int limit) {
    std::map<const TProtoNeuronio*, double> value;
    std::map<const TProtoNeuronio*, std::string> sequence;
    for (const auto& e : document.Elements()) {
        if (e->Kind() == TElementKind::Input)
            sequence[e.get()] = e->ValueText();
        else if (e->Kind() != TElementKind::Output)
            value[e.get()] = std::stod(e->GetValue().ToText());
    }
    bool accepted = false;
    for (int step = 0; step < limit; ++step) {
        std::map<const TProtoNeuronio*, double> sum;
        for (const auto& e : document.Elements()) {
            double v = value[e.get()];
            if (e->Kind() == TElementKind::Input) v = sequence[e.get()].rfind('1', 0) == 0;
            if (e->Kind() == TElementKind::Output || v == 0) continue;
            for (const TSinapse* s : e->OutgoingSynapses())
                sum[s->Destination()] += std::stod(s->Weight().ToText()) * v;
        }
        bool quiet = true;
        for (const auto& e : document.Elements()) {
            if (e->Kind() == TElementKind::Neuron) {
                const double x = sum[e.get()];
                value[e.get()] = x < 0 ? 0 : (x > 1 ? 1 : x);
                quiet = quiet && value[e.get()] == 0;
            } else if (e->Kind() == TElementKind::Input) {
                auto& s = sequence[e.get()];
                if (!s.empty()) s.erase(0, 1);
                quiet = quiet && s.empty();
            } else if (e->Kind() == TElementKind::Output) {
                accepted = accepted || value[e->IncomingSynapses().Item(0)->Source()] > 0.5;
            }
        }
        if (quiet) break;
    }
    return accepted;
}

bool NetDecides(const TMachine& machine, const std::vector<int>& word) {
    TDados document;
    BuildMachineNet(machine, word, document);
    const int steps = testing::RunToEnd(document, testing::StepBound(word.size()));
    EXPECT_LE(steps, testing::StepBound(word.size()));
    return NetAccepted(document);
}

// Every word over the alphabet up to the length, in length then alphabet order.
template <class F> void ForAllWords(const TMachine& machine, std::size_t maxLength, F&& visit) {
    std::vector<int> word;
    const int symbols = machine.EndSymbol();
    for (std::size_t length = 0; length <= maxLength; ++length) {
        word.assign(length, 0);
        while (true) {
            visit(word);
            std::size_t at = length;
            while (at > 0 && word[at - 1] == symbols - 1)
                word[--at] = 0;
            if (at == 0) break;
            ++word[at - 1];
        }
    }
}

// The stack machines: a description with its listed words (the Turing machines have none).
std::vector<fs::path> Machines() {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(std::string(VELTRA_EXAMPLES) + "/machines"))
        if (entry.path().extension() == ".json" &&
            fs::exists(fs::path(entry.path()).replace_extension(".words")))
            found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

TEST(MachineGallery, EveryNetDecidesAsItsMachine) {
    const auto machines = Machines();
    EXPECT_EQ(machines.size(), 5u);
    int deepWords = 0;
    int floatWrong = 0;
    for (const fs::path& path : machines) {
        SCOPED_TRACE(path.filename().string());
        const TMachine machine = testing::ReadMachine(ReadBytes(path));
        int words = 0;
        int accepted = 0;
        ForAllWords(machine, 8, [&](const std::vector<int>& word) {
            const bool expected = machine.Accepts(word);
            ASSERT_EQ(NetDecides(machine, word), expected) << "word of length " << word.size();
            ++words;
            accepted += expected;
        });
        EXPECT_GT(accepted, 0);

        const auto listed = ReadWords(fs::path(path).replace_extension(".words"));
        ASSERT_GE(listed.size(), 4u);
        int machineDeep = 0;
        int machineWrong = 0;
        int shortWrong = 0;
        for (const ListedWord& w : listed) {
            SCOPED_TRACE(w.word);
            std::vector<int> word;
            std::string error;
            ASSERT_TRUE(machine.WordSymbols(w.word, word, error)) << error;
            EXPECT_EQ(machine.Accepts(word), w.accepted);
            TDados document;
            BuildMachineNet(machine, word, document);
            const bool floating = DoubleAccepts(document, testing::StepBound(word.size()));
            testing::RunToEnd(document, testing::StepBound(word.size()));
            EXPECT_TRUE(document.AllFinished());
            EXPECT_EQ(NetAccepted(document), w.accepted);
            if (word.size() >= 60) {
                ++machineDeep;
                machineWrong += floating != w.accepted;
            } else {
                EXPECT_EQ(floating, w.accepted) << "shallow stacks fit a double";
                shortWrong += floating != w.accepted;
            }
        }
        deepWords += machineDeep;
        floatWrong += machineWrong;
        std::cout << path.filename().string() << ": " << words << " words up to length 8 ("
                  << accepted << " accepted), " << listed.size()
                  << " listed words; doubles wrong on " << shortWrong
                  << " shorter listed words and " << machineWrong << " of " << machineDeep
                  << " words of length 60 or more\n";

        // The stored net is the builder's net for the first listed word, and runs to its decision.
        const fs::path netPath = fs::path(path).replace_extension(".net");
        std::vector<int> first;
        std::string error;
        ASSERT_TRUE(machine.WordSymbols(listed.front().word, first, error));
        TDados built;
        BuildMachineNet(machine, first, built);
        std::ostringstream saved;
        ASSERT_TRUE(built.Save(saved));
        EXPECT_EQ(saved.str(), ReadBytes(netPath)) << "regenerate with veltra-cli construct";
        TDados loaded;
        std::istringstream in(ReadBytes(netPath));
        ASSERT_EQ(loaded.Load(in), "");
        std::ostringstream resaved;
        ASSERT_TRUE(loaded.Save(resaved));
        EXPECT_EQ(resaved.str(), saved.str()) << "loads and saves back to the same bytes";
        testing::RunToEnd(loaded, testing::StepBound(first.size()));
        EXPECT_TRUE(loaded.AllFinished());
        EXPECT_EQ(NetAccepted(loaded), listed.front().accepted);
    }
    EXPECT_GE(deepWords, 10);
    EXPECT_GT(floatWrong, 0) << "exactness must matter somewhere";
}

// The Turing machines: each stored net is what construct builds from its file, and runs to
// the published figures (Rado 1962; Lin and Rado 1965; Brady 1983). The five-state champion's
// run is a benchmark (bench/bb5_run.sh), too long for a test.
TEST(TuringGallery, TheChampionsNetsHaltWithThePublishedFigures) {
    const struct {
        const char* name;
        long long steps; // -1: not run here
        long long ones;
    } champions[] = {
        {"bb2", 6, 4}, {"bb3", 21, 5}, {"bb3-ones", 14, 6}, {"bb4", 107, 13}, {"bb5", -1, 4098}};
    const std::string dir = std::string(VELTRA_EXAMPLES) + "/machines/";
    for (const auto& c : champions) {
        SCOPED_TRACE(c.name);
        TTuringMachine machine;
        std::string error;
        ASSERT_TRUE(machine.Read(ReadBytes(dir + c.name + ".tm"), error)) << error;
        TDados built;
        BuildTuringNet(machine, {}, built);
        std::ostringstream saved;
        ASSERT_TRUE(built.Save(saved));
        EXPECT_EQ(saved.str(), ReadBytes(dir + c.name + ".net"))
            << "regenerate with veltra-cli construct --tm";
        if (c.steps < 0) continue;
        TTuringWatch watch;
        ASSERT_TRUE(watch.Attach(built.Elements(), error)) << error;
        int steps = 0;
        for (; !built.AllFinished() && steps < 1000; ++steps) {
            built.Step();
            watch.Observe(); // the values are gone once the run has finished
        }
        TTuringView view;
        ASSERT_TRUE(watch.Current(view, error)) << error;
        EXPECT_EQ(steps, 2 * c.steps + 2);
        EXPECT_TRUE(view.halted);
        EXPECT_EQ(view.steps, c.steps);
        EXPECT_EQ(view.nonblank, c.ones);
    }
}

// Minsky's universal machine (Computation: Finite and Infinite Machines, 1967, section 14.8),
// as the literature gives it, simulating the gallery's tag system program; the gallery's
// machine adds the state `seek` that walks from the tape's first cell to the program's data.
TEST(TuringGallery, TheUniversalMachinesProgramEndsAsTheMachineItselfDoes) {
    const std::string dir = std::string(VELTRA_EXAMPLES) + "/machines/";
    // Per state q1..q7 and symbol 0, 1, y, A: written symbol, move, next state ('-': halts).
    const char* const table[7][4] = {{"0L1", "1L2", "0L1", "1L1"}, {"yR2", "AR2", "0L1", "yR6"},
                                     {"---", "AL3", "yL3", "1L4"}, {"yR5", "1L7", "yL4", "1L4"},
                                     {"yL3", "AR5", "yR5", "1R5"}, {"AL3", "AR6", "yR6", "1R6"},
                                     {"yR6", "1R7", "0R7", "0R2"}};
    const std::string symbols = "01yA";
    std::string tape = ReadBytes(dir + "minsky-double.tape");
    while (!tape.empty() && tape.back() == '\n')
        tape.pop_back();
    // The direct simulation: seek right to the first y, then Minsky's table.
    std::map<long long, char> cells;
    for (std::size_t i = 0; i < tape.size(); ++i)
        cells[static_cast<long long>(i)] = tape[i];
    long long head = 0, steps = 0;
    while (cells[head] != 'y') {
        ++head;
        ++steps;
    }
    cells[head--] = '0'; // seek on y does what q2 does there
    ++steps;
    int state = 1;
    for (;;) {
        const char read = cells.count(head) ? cells[head] : '0';
        const char* rule = table[state - 1][symbols.find(read)];
        if (rule[0] == '-') break;
        cells[head] = rule[0];
        head += rule[1] == 'R' ? 1 : -1;
        state = rule[2] - '0';
        ++steps;
    }
    std::string expected;
    long long lo = 0;
    for (const auto& [at, symbol] : cells)
        if (symbol != '0') {
            if (expected.empty()) lo = at;
            expected.resize(static_cast<std::size_t>(at - lo), '0');
            expected += symbol;
        }

    TTuringMachine machine;
    std::string error;
    ASSERT_TRUE(machine.Read(ReadBytes(dir + "minsky.json"), error)) << error;
    std::vector<int> start;
    ASSERT_TRUE(machine.TapeCells(tape, start, error)) << error;
    TDados built;
    BuildTuringNet(machine, start, built);
    std::ostringstream saved;
    ASSERT_TRUE(built.Save(saved));
    EXPECT_EQ(saved.str(), ReadBytes(dir + "minsky-double.net"));
    TTuringWatch watch;
    ASSERT_TRUE(watch.Attach(built.Elements(), error)) << error;
    while (!built.AllFinished()) {
        built.Step();
        watch.Observe();
    }
    TTuringView view;
    ASSERT_TRUE(watch.Current(view, error)) << error;
    EXPECT_EQ(view.steps, steps);
    EXPECT_EQ(view.state, "q" + std::to_string(state));
    EXPECT_EQ(view.cells, expected);
    EXPECT_EQ(view.head, head - lo);
    // The program's meaning: the tag system doubled four a's into eight b's, each b ten y's.
    const std::string data = expected.substr(expected.find_first_of("yA"));
    std::size_t b = 0;
    for (std::size_t at = 0; (at = data.find("Ayyyyyyyyyy", at)) != std::string::npos; ++at)
        ++b;
    EXPECT_EQ(b, 8u) << data;
}

} // namespace
} // namespace veltra
