// Turing machines as nets, against a direct simulation written here from the notation alone
// and against the published busy beaver figures: after every machine step the configuration
// read from the net's values must be the simulation's, and the run must end by itself right
// after the machine halts. Then the descriptions the reader must refuse, each with its place.
#include "machine/turing.h"
#include "machine/turingnet.h"
#include "model/dados.h"
#include "model/outputs.h"

#include <gtest/gtest.h>
#include <map>
#include <random>

namespace veltra {
namespace {

// The machine of a notation, stepped cell by cell on a map: the oracle.
struct TDirect {
    struct Rule {
        int write;
        int move;
        char next;
    };
    std::map<std::pair<char, int>, Rule> rules;
    std::map<long long, int> tape;
    long long head = 0;
    char state = 'A';
    long long steps = 0;
    int states = 0;

    TDirect(const std::string& notation, const std::string& word) {
        std::size_t group = 0, at = 0;
        for (std::size_t i = 0; i <= notation.size(); ++i) {
            if (i < notation.size() && notation[i] != '_') continue;
            const std::string g = notation.substr(at, i - at);
            for (std::size_t s = 0; s * 3 < g.size(); ++s)
                if (g.substr(3 * s, 3) != "---")
                    rules[{char('A' + group), int(s)}] = {
                        g[3 * s] - '0', g[3 * s + 1] == 'R' ? 1 : -1, g[3 * s + 2]};
            ++group;
            at = i + 1;
        }
        states = static_cast<int>(group);
        for (std::size_t i = 0; i < word.size(); ++i)
            tape[static_cast<long long>(i)] = word[i] - '0';
    }
    bool Halting(char q) const { return q == 'Z' || (q == 'H' && states < 8); }
    int Read() const {
        const auto it = tape.find(head);
        return it == tape.end() ? 0 : it->second;
    }
    // One step; false when the machine has halted.
    bool Step() {
        if (Halting(state)) return false;
        const auto it = rules.find({state, Read()});
        if (it == rules.end()) return false;
        tape[head] = it->second.write;
        head += it->second.move;
        state = it->second.next;
        ++steps;
        return true;
    }
    bool Halted() const { return Halting(state) || rules.count({state, Read()}) == 0; }
    TTuringView View() const {
        TTuringView v;
        v.steps = steps;
        v.halted = Halted();
        v.state = std::string(1, state);
        long long lo = 0, hi = -1;
        for (const auto& [cell, symbol] : tape) {
            if (symbol == 0) continue;
            if (hi < lo) lo = cell;
            hi = cell;
            ++v.nonblank;
        }
        for (long long cell = lo; cell <= hi; ++cell)
            v.cells += char('0' + (tape.count(cell) ? tape.at(cell) : 0));
        v.head = hi < lo ? 0 : head - lo;
        return v;
    }
};

struct TBuilt {
    TDados document;
    TTuringNetReader reader;
};

std::unique_ptr<TBuilt> Build(const std::string& spec, const std::string& word) {
    TTuringMachine machine;
    std::string error;
    EXPECT_TRUE(machine.Read(spec, error)) << error;
    std::vector<int> tape;
    EXPECT_TRUE(machine.TapeCells(word, tape, error)) << error;
    auto built = std::make_unique<TBuilt>();
    BuildTuringNet(machine, tape, built->document);
    EXPECT_TRUE(built->reader.Attach(built->document.Elements(), error)) << error;
    return built;
}

TTuringView Decoded(const TTuringNetReader& reader) {
    TTuringView view;
    std::string error;
    EXPECT_TRUE(reader.Decode(view, error)) << error;
    return view;
}

std::string HaltHistory(TDados& document) {
    for (const auto& element : document.Elements())
        if (element->Label() == "Halt") return static_cast<TOutputs&>(*element).History();
    return "no Halt";
}

// Runs the net next to the simulation: after every machine step (two net steps) the net's
// configuration must be the simulation's, and halfway through a step it must show where the
// step leads. Returns the machine's last configuration.
TTuringView RunAlongside(const std::string& notation, const std::string& word, long long limit) {
    SCOPED_TRACE(notation + " on '" + word + "'");
    auto built = Build(notation, word);
    TDados& document = built->document;
    TDirect direct(notation, word);
    EXPECT_EQ(Decoded(built->reader), direct.View());
    while (direct.steps < limit && direct.Step()) {
        document.Step();
        EXPECT_EQ(Decoded(built->reader), direct.View()) << "midway to step " << direct.steps;
        document.Step();
        const TTuringView view = Decoded(built->reader);
        EXPECT_EQ(view, direct.View()) << "after step " << direct.steps;
        if (view != direct.View()) return view;
    }
    if (!direct.Halted()) return direct.View();
    // Halted: this step holds the last configuration, the next records Halt, then silence.
    const long long at = 2 * direct.steps;
    EXPECT_TRUE(built->reader.AtHalt());
    EXPECT_FALSE(document.AllFinished());
    document.Step();
    EXPECT_FALSE(document.AllFinished());
    document.Step();
    EXPECT_TRUE(document.AllFinished());
    EXPECT_EQ(HaltHistory(document), std::string(std::size_t(at), '0') + "10");
    TTuringView view;
    std::string error;
    EXPECT_FALSE(built->reader.Decode(view, error));
    return direct.View();
}

// Rado (1962), Lin and Rado (1965), Brady (1983): the champions and their steps and ones.
TEST(TuringNet, BusyBeaverChampionsHaltWithThePublishedStepsAndOnes) {
    const struct {
        const char* notation;
        long long steps;
        long long ones;
    } champions[] = {
        {"1RB1LB_1LA1RZ", 6, 4},
        {"1RB1RZ_1LB0RC_1LC1LA", 21, 5}, // the most steps for three states
        {"1RB1RZ_0RC1RB_1LC1LA", 14, 6}, // the most ones for three states
        {"1RB1LB_1LA0LC_1RZ1LD_1RD0RA", 107, 13},
    };
    for (const auto& c : champions) {
        const TTuringView end = RunAlongside(c.notation, "", 1000);
        EXPECT_TRUE(end.halted) << c.notation;
        EXPECT_EQ(end.steps, c.steps) << c.notation;
        EXPECT_EQ(end.nonblank, c.ones) << c.notation;
    }
}

// Random machines of up to 10 symbols (two digits per cell from 6 on), some cases undefined,
// on random tapes: moves off either end of the tape, blanks written inside it, halting by Z,
// by H and by an undefined case.
TEST(TuringNet, RandomMachinesFollowTheDirectSimulation) {
    std::mt19937 random(31);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int trial = 0; trial < 40; ++trial) {
        const int states = 1 + pick(4);
        const int symbols = trial < 8 ? 2 : 1 + pick(10);
        std::string notation;
        for (int q = 0; q < states; ++q) {
            if (q) notation += '_';
            for (int s = 0; s < symbols; ++s) {
                if (pick(9) == 0) {
                    notation += "---";
                    continue;
                }
                notation += char('0' + pick(symbols));
                notation += pick(2) ? 'R' : 'L';
                const int next = pick(states * 6 + 1);
                notation += next == states * 6 ? (pick(2) ? 'Z' : 'H') : char('A' + next % states);
            }
        }
        std::string word;
        for (int i = pick(6); i > 0; --i)
            word += char('0' + pick(symbols));
        RunAlongside(notation, word, 300);
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(TuringNet, TheNotationsAndJsonDescribeTheSameMachine) {
    const std::string json = R"({"symbols": ["_", "1"], "states": ["A", "B"], "halt": ["Z"],
      "transitions": [
        {"state": "A", "read": "_", "write": "1", "move": "R", "next": "B"},
        {"state": "A", "read": "1", "write": "1", "move": "L", "next": "B"},
        {"state": "B", "read": "_", "write": "1", "move": "L", "next": "A"},
        {"state": "B", "read": "1", "write": "1", "move": "R", "next": "Z"}]})";
    auto built = Build(json, "");
    int steps = 0;
    while (!built->document.AllFinished() && steps < 100) {
        built->document.Step();
        ++steps;
    }
    EXPECT_EQ(steps, 14);
    EXPECT_EQ(HaltHistory(built->document), std::string(12, '0') + "10");
    // Named symbols on the tape, the blank's name where a blank stands between others.
    auto named = Build(R"({"symbols": [".", "a", "b"], "states": ["go"],
      "transitions": [{"state": "go", "read": "a", "write": ".", "move": "R", "next": "go"}]})",
                       "aab.a");
    for (int i = 0; i < 4; ++i)
        named->document.Step();
    const TTuringView view = Decoded(named->reader);
    EXPECT_EQ(view.Line(), "machine: steps=2 halted=yes state=go nonblank=2 head=0 tape=b.a");
}

TEST(TuringNet, TheReaderTellsANetItCannotRead) {
    TDados document;
    TTuringNetReader reader;
    std::string error;
    EXPECT_FALSE(reader.Attach(document.Elements(), error));
    EXPECT_EQ(error, "not a net that construct --tm built: its first element is not 'steps'");
    auto built = Build("1RB---_0LA1RZ", "1");
    built->document.Elements().Item(1)->SetLabel("links");
    EXPECT_FALSE(built->reader.Attach(built->document.Elements(), error));
    EXPECT_FALSE(built->reader.Attached());
    // Two configurations on at once is no configuration.
    auto twice = Build("1RB---_0LA1RZ", "1");
    for (const auto& element : twice->document.Elements())
        if (element->Label() == "B 0") element->SetValue(TInfinito("1"));
    TTuringView view;
    EXPECT_FALSE(twice->reader.Decode(view, error));
    EXPECT_NE(error.find("no single 1"), std::string::npos) << error;
}

TEST(TuringDescription, AcceptsTheNotationsForms) {
    TTuringMachine m;
    std::string error;
    ASSERT_TRUE(m.Read("  1RB2LA1LA_2LA2RB0RA\n", error)) << error;
    EXPECT_EQ(m.SymbolCount(), 3);
    EXPECT_EQ(m.StateCount(), 2);
    ASSERT_TRUE(m.Read("1RB1LH_1LA---", error)) << error; // H halts, --- is undefined
    EXPECT_EQ(m.states, (std::vector<std::string>{"A", "B", "H"}));
    EXPECT_TRUE(m.halts[2]);
    EXPECT_EQ(m.Action(1, 1), nullptr);
    // From eight states on, H is the eighth state.
    ASSERT_TRUE(m.Read("0RH_0RA_0RA_0RA_0RA_0RA_0RA_0RZ", error)) << error;
    EXPECT_EQ(m.Action(0, 0)->next, 7);
    EXPECT_FALSE(m.halts[7]);
}

TEST(TuringDescription, RefusesWrongDescriptionsNamingThePlace) {
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {" ", "the machine is empty"},
        {"1RB1L_1LA1RZ", "state A: '1RB1L' is not one triple (written symbol, move, next "
                         "state) per symbol"},
        {"1RB1LB_1LA", "state B: '1LA' has 3 characters, state A 6 (3 per symbol)"},
        {"1RB1LB_1LA2RZ", "state B reading 1: '2RZ' writes '2', which is not a symbol: the "
                          "symbols are 0 to 1"},
        {"1RB1XB_1LA1RZ", "state A reading 1: '1XB' moves 'X'; a move is L or R"},
        {"1RC1LB_1LA1RZ", "state A reading 0: '1RC' goes to 'C', which is not a state: the "
                          "states are A to B, and Z or H halts"},
        {"1R-1LB_1LA1RZ", "state A reading 0: '1R-' mixes '-' with an action; '---' alone "
                          "leaves a case undefined"},
        {"0RA0RA0RA0RA0RA0RA0RA0RA0RA0RA0RA", "state A has 11 triples; the notation writes "
                                              "symbols as digits, so a machine has at most 10"},
        {"{\"symbols\": [\"0\"]}", "states: is missing"},
        {"{\"symbols\": [\"0\", \"ab\"], \"states\": [\"A\"], \"transitions\": []}",
         "symbols[1]: 'ab' is not one character"},
        {"{\"symbols\": [\"0\"], \"states\": [\"my state\"], \"transitions\": []}",
         "states[0]: 'my state' holds a blank or a control character"},
        {"{\"symbols\": [\"0\"], \"states\": [\"A\"], \"halt\": [\"A\"], \"transitions\": []}",
         "halt[0]: 'A' appears twice"},
        {"{\"symbols\": [\"0\"], \"states\": [\"A\"], \"start\": \"B\", \"transitions\": []}",
         "start: unknown state 'B'"},
        {"{\"symbols\": [\"0\"], \"states\": [\"A\"], \"tape\": \"0\", \"transitions\": []}",
         "tape: is not a part of a Turing machine description (symbols, states, start, halt, "
         "transitions)"},
        {R"({"symbols": ["0"], "states": ["A"], "halt": ["Z"], "transitions": [
           {"state": "A", "read": "0", "write": "0", "move": "R", "next": "Z"},
           {"state": "A", "read": "0", "write": "0", "move": "N", "next": "Z"}]})",
         "transitions[1].move: 'N' is not L or R"},
        {R"({"symbols": ["0"], "states": ["A"], "halt": ["Z"], "transitions": [
           {"state": "A", "read": "0", "write": "0", "move": "R", "next": "Z"},
           {"state": "A", "read": "0", "write": "0", "move": "L", "next": "A"}]})",
         "transitions[1]: clashes with transitions[0]: both apply in state 'A' reading '0'"},
        {R"({"symbols": ["0"], "states": ["A"], "halt": ["Z"], "transitions": [
           {"state": "Z", "read": "0", "write": "0", "move": "R", "next": "A"}]})",
         "transitions[0].state: 'Z' halts, so it has no transitions"},
        {"{\"symbols\": [\"0\"], \"states\": [\"A\"] \"transitions\": []}", "line 1, column 36: "},
    };
    for (const auto& c : cases) {
        TTuringMachine m;
        std::string error;
        EXPECT_FALSE(m.Read(c.text, error)) << c.text;
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << c.text;
    }
    TTuringMachine m;
    std::string error;
    ASSERT_TRUE(m.Read("1RB1LB_1LA1RZ", error));
    std::vector<int> cells;
    EXPECT_FALSE(m.TapeCells("0120", cells, error));
    EXPECT_EQ(error, "tape, character 3: '2' is not a symbol of the machine (01)");
}

} // namespace
} // namespace veltra
