// The nets built from machines against the machines themselves: random deterministic machines
// with one or two stacks and 2-6 states, random words. After every transition the net's state
// neurons and stack neurons must hold exactly the simulated state and stack contents, and the
// run must end, by itself and in time, with the simulation's decision.
#include "machinerun.h"
#include "model/outputs.h"

#include <gtest/gtest.h>
#include <iostream>
#include <random>

namespace veltra {
namespace {

const char* const kTops[] = {"empty", "0", "1", "any"};
const char* const kActions[] = {"push 0", "push 1", "pop", "keep"};

// A random machine, written as a description so the reader is exercised too. Transitions that
// would clash with earlier ones are left out, so the machine is deterministic.
std::string RandomDescription(std::mt19937& random) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const int states = 2 + pick(5);
    const int symbols = 1 + pick(3);
    const int stacks = 1 + pick(2);
    std::string json = "{\"alphabet\": [";
    for (int s = 0; s < symbols; ++s)
        json += std::string(s ? ", " : "") + "\"" + std::string(1, char('a' + s)) + "\"";
    json += "], \"states\": [";
    for (int q = 0; q < states; ++q)
        json += std::string(q ? ", " : "") + "\"q" + std::to_string(q) + "\"";
    json += "], \"start\": \"q0\", \"accept\": [";
    bool first = true;
    for (int q = 0; q < states; ++q) {
        if (pick(2) == 0) continue;
        json += std::string(first ? "" : ", ") + "\"q" + std::to_string(q) + "\"";
        first = false;
    }
    json += "], \"stacks\": " + std::to_string(stacks) + ", \"transitions\": [";

    struct Key {
        int state, read;
        std::vector<int> top;
    };
    std::vector<Key> taken;
    const int tries = states * (symbols + 1) * 4;
    first = true;
    for (int i = 0; i < tries; ++i) {
        Key key{pick(states), pick(symbols + 1), {}};
        // "any" less often, so that tops are tested and machines stay deterministic.
        for (int j = 0; j < stacks; ++j)
            key.top.push_back(pick(5) == 0 ? 3 : pick(3));
        bool clash = false;
        for (const Key& other : taken) {
            if (other.state != key.state || other.read != key.read) continue;
            bool overlap = true;
            for (int j = 0; j < stacks; ++j)
                overlap =
                    overlap && (other.top[j] == key.top[j] || other.top[j] == 3 || key.top[j] == 3);
            clash = clash || overlap;
        }
        if (clash) continue;
        taken.push_back(key);
        const std::string read =
            key.read == symbols ? std::string("end") : std::string(1, char('a' + key.read));
        json += std::string(first ? "" : ",\n ") + "{\"state\": \"q" + std::to_string(key.state) +
                "\", \"read\": \"" + read + "\", \"top\": [";
        for (int j = 0; j < stacks; ++j)
            json += std::string(j ? ", " : "") + "\"" + kTops[key.top[j]] + "\"";
        json += "], \"next\": \"q" + std::to_string(pick(states)) + "\", \"do\": [";
        // Pushes more often than pops, so stacks grow deep.
        for (int j = 0; j < stacks; ++j) {
            const int r = pick(6);
            json += std::string(j ? ", " : "") + "\"" +
                    kActions[r < 2   ? 0
                             : r < 4 ? 1
                                     : r - 2] +
                    "\"";
        }
        json += "]}";
        first = false;
    }
    return json + "]}";
}

// The exact decimal of a stack, top first: digit 1 for a 0, 3 for a 1.
std::string StackText(const std::vector<int>& stack) {
    if (stack.empty()) return "0";
    std::string text = "0.";
    for (auto it = stack.rbegin(); it != stack.rend(); ++it)
        text += *it ? '3' : '1';
    return text;
}

TProtoNeuronio* Find(TDados& document, const std::string& label) {
    for (const auto& element : document.Elements())
        if (element->Label() == label) return element.get();
    return nullptr;
}

// A word that mostly follows the machine (a symbol some transition reads), so that runs live
// long and stacks grow; now and then any symbol. Returns the deepest stack on the way.
std::size_t WalkWord(const TMachine& machine, std::size_t length, std::mt19937& random,
                     std::vector<int>& word) {
    TMachineConfiguration at = machine.StartConfiguration();
    std::size_t deepest = 0;
    word.clear();
    for (std::size_t i = 0; i < length; ++i) {
        std::vector<int> live;
        for (int s = 0; s < machine.EndSymbol(); ++s)
            if (at.state >= 0 && machine.Match(at.state, s, at.stacks) >= 0) live.push_back(s);
        const int symbol = !live.empty() && random() % 6 != 0
                               ? live[random() % live.size()]
                               : static_cast<int>(random() % machine.alphabet.size());
        word.push_back(symbol);
        machine.Advance(at, symbol);
        for (const auto& stack : at.stacks)
            deepest = std::max(deepest, stack.size());
    }
    return deepest;
}

// Runs the net one transition (three steps) at a time beside the simulation.
void CheckRun(const TMachine& machine, const std::vector<int>& word) {
    TDados document;
    BuildMachineNet(machine, word, document);
    // The drawing is meant to be read: no glyph lies on another.
    const auto& list = document.Elements();
    for (int i = 0; i < list.Count(); ++i)
        for (int j = 0; j < i; ++j) {
            const TRect a = list.Item(i)->GlyphBox();
            const TRect b = list.Item(j)->GlyphBox();
            ASSERT_TRUE(a.right <= b.left || b.right <= a.left || a.bottom <= b.top ||
                        b.bottom <= a.top)
                << list.Item(i)->Label() << " overlaps " << list.Item(j)->Label();
        }
    // The machine's own simulation is the oracle, one symbol at a time.
    TMachineConfiguration at = machine.StartConfiguration();
    int steps = 0;
    for (std::size_t i = 0; i <= word.size() && at.state >= 0; ++i) {
        machine.Advance(at, i < word.size() ? word[i] : machine.EndSymbol());
        for (int k = 0; k < kStepsPerSymbol; ++k, ++steps)
            document.Step();
        for (std::size_t q = 0; q < machine.states.size(); ++q)
            ASSERT_EQ(Find(document, machine.states[q])->ValueText(),
                      static_cast<int>(q) == at.state ? "1" : "0")
                << "state " << machine.states[q] << " after symbol " << i;
        for (int j = 0; j < machine.stacks; ++j)
            ASSERT_EQ(Find(document, "stack" + std::to_string(j + 1))->ValueText(),
                      // a rejected run leaves the net's stacks at 0
                      at.state < 0 ? "0" : StackText(at.stacks[static_cast<std::size_t>(j)]))
                << "stack " << j + 1 << " after symbol " << i;
    }
    steps += testing::RunToEnd(document, testing::StepBound(word.size()) - steps);
    ASSERT_TRUE(document.AllFinished());
    EXPECT_LE(steps, testing::StepBound(word.size()));
    const bool accepted = machine.Accepts(word);
    EXPECT_EQ(NetAccepted(document), accepted);
    // One 1 on acceptance, every other recorded value exactly 0.
    const std::string history = Find(document, "Accept")->ValueText();
    EXPECT_EQ(std::count(history.begin(), history.end(), '1'), accepted ? 1 : 0);
    EXPECT_EQ(std::count(history.begin(), history.end(), '0') + (accepted ? 1 : 0),
              static_cast<long>(history.size()));
}

TEST(MachineNet, FollowsRandomMachinesStepByStep) {
    std::mt19937 random(19);
    int machines = 0;
    int words = 0;
    int accepted = 0;
    int deepest = 0;
    for (int m = 0; m < 150; ++m) {
        const std::string json = RandomDescription(random);
        SCOPED_TRACE(json);
        const TMachine machine = testing::ReadMachine(json);
        ++machines;
        for (int w = 0; w < 12; ++w) {
            // Mostly short words, some long enough for deep stacks.
            const std::size_t length = w < 9 ? random() % 9 : 30 + random() % 40;
            std::vector<int> word;
            deepest = std::max(deepest, static_cast<int>(WalkWord(machine, length, random, word)));
            SCOPED_TRACE("word length " + std::to_string(length));
            CheckRun(machine, word);
            if (HasFatalFailure()) return;
            ++words;
            accepted += machine.Accepts(word);
        }
    }
    EXPECT_EQ(machines, 150);
    std::cout << machines << " machines, " << words << " words, " << accepted
              << " accepted, deepest stack " << deepest << "\n";
    EXPECT_GE(deepest, 20) << "some stacks must be deeper than a double can hold";
    // The property is only worth something if both decisions occur often.
    EXPECT_GT(accepted, words / 20);
    EXPECT_LT(accepted, words - words / 20);
}

} // namespace
} // namespace veltra
