// Machine descriptions: what is read, and every refusal names the place that is wrong.
#include "machine/jsonvalue.h"
#include "machinerun.h"

#include <gtest/gtest.h>

namespace veltra {
namespace {

const std::string kGood = R"({"alphabet": ["a", "b"], "states": ["q0", "q1", "acc"],
 "start": "q0", "accept": ["acc"], "stacks": 2,
 "transitions": [
   {"state": "q0", "read": "a", "top": ["empty", "any"], "next": "q1", "do": ["push 1", "keep"]},
   {"state": "q0", "read": "a", "top": ["1", "0"], "next": "q0", "do": ["pop", "push 0"]},
   {"state": "q1", "read": "end", "top": ["any", "any"], "next": "acc", "do": ["keep", "pop"]}]})";

TEST(MachineDescription, ReadsEveryPart) {
    TMachine m = testing::ReadMachine(kGood);
    EXPECT_EQ(m.alphabet, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(m.states.size(), 3u);
    EXPECT_EQ(m.start, 0);
    EXPECT_EQ(m.accepting, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(m.stacks, 2);
    ASSERT_EQ(m.transitions.size(), 3u);
    const TMachineTransition& t = m.transitions[1];
    EXPECT_EQ(t.read, 0);
    EXPECT_EQ(t.top, (std::vector<TStackTop>{TStackTop::One, TStackTop::Zero}));
    EXPECT_EQ(t.action, (std::vector<TStackAction>{TStackAction::Pop, TStackAction::Push0}));
    EXPECT_EQ(m.transitions[2].read, m.EndSymbol());
}

// Replaces the first occurrence of `from` in the good description.
std::string Edit(const std::string& from, const std::string& to) {
    std::string text = kGood;
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

TEST(MachineDescription, RefusalsNameThePlace) {
    const struct {
        std::string json;
        std::string error;
    } cases[] = {
        {Edit(R"("next": "q1")", R"("next": "q9")"), "transitions[0].next: unknown state 'q9'"},
        {Edit(R"("state": "q1")", R"("state": "z")"), "transitions[2].state: unknown state 'z'"},
        {Edit(R"("start": "q0")", R"("start": "s")"), "start: unknown state 's'"},
        {Edit(R"("accept": ["acc"])", R"("accept": ["acc", "no"])"),
         "accept[1]: unknown state 'no'"},
        {Edit(R"("read": "a")", R"("read": "c")"), "transitions[0].read: unknown symbol 'c'"},
        {Edit(R"(["empty", "any"])", R"(["empty"])"),
         "transitions[0].top: needs one entry per stack (2), not 1"},
        {Edit(R"(["pop", "push 0"])", R"(["pop", "push 0", "keep"])"),
         "transitions[1].do: needs one entry per stack (2), not 3"},
        {Edit(R"(["pop", "push 0"])", R"(["pop", "push 2"])"),
         "transitions[1].do[1]: 'push 2' is not one of"},
        {Edit(R"(["1", "0"])", R"(["1", "full"])"), "transitions[1].top[1]: 'full' is not one of"},
        // "empty, any" and "empty, 0" both apply to an empty first stack whose second top is 0.
        {Edit(R"(["1", "0"])", R"(["empty", "0"])"),
         "transitions[1]: clashes with transitions[0]: both apply in state 'q0' reading 'a'"},
        {Edit(R"("stacks": 2)", R"("stacks": 3)"), "stacks: must be 1 or 2, not 3"},
        {Edit(R"("stacks": 2)", R"("stacks": "2")"), "stacks: must be a number"},
        {Edit(R"(["a", "b"])", R"(["a", "a"])"), "alphabet[1]: 'a' appears twice"},
        {Edit(R"(["a", "b"])", R"(["a", "bc"])"), "alphabet[1]: 'bc' is not one character"},
        {Edit(R"(["a", "b"])", "[\"a\", \"\xc3\xa9\"]"),
         "alphabet[1]: '\xc3\xa9' is one character of 2 bytes; a symbol is one byte"},
        {Edit(R"(["a", "b"])", R"([])"), "alphabet: needs at least one symbol"},
        {Edit(R"("start": "q0", )", ""), "start: is missing"},
        {Edit(R"("next": "q1", )", ""), "transitions[0].next: is missing"},
        {Edit(R"("stacks": 2)", R"("stacks": 2, "tape": 1)"),
         "tape: is not a part of a machine description"},
        {Edit(R"("do": ["keep", "pop"])", R"("do": ["keep", "pop"], "go": 1)"),
         "transitions[2].go: is not a part of a transition"},
        {"[1, 2]", "the description: must be an object"},
        {Edit(R"("stacks": 2,)", R"("stacks": 2)"),
         "line 3, column 2: expected ',' or '}' in an object"},
        {Edit(R"("q1", "acc"])", R"("q1", "acc"],)"), "line 1, column 56: expected a key"},
        {"{\"a\": 1, \"a\": 2}", "line 1, column 10: the key \"a\" appears twice"},
        {"{\"a\": \"x\ty\"}", "line 1, column 9: a control character inside a string"},
        {"{} x", "line 1, column 4: unexpected text after the value"},
        {std::string(100, '[') + std::string(100, ']'), "line 1, column 66: nested too deeply"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        TMachine machine;
        std::string error;
        EXPECT_FALSE(machine.Read(c.json, error));
        EXPECT_EQ(error.substr(0, c.error.size()), c.error);
    }
}

TEST(MachineDescription, JsonStringsUnescape) {
    TJsonValue value;
    std::string error;
    ASSERT_TRUE(TJsonValue::Parse(R"(["\"\\\/\n\u00e9\ud83d\ude00", -1.5e3])", value, error))
        << error;
    EXPECT_EQ(value.Items()[0].Text(), "\"\\/\n\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(value.Items()[1].Text(), "-1.5e3");
}

TEST(MachineDescription, WordsAreStringsOfSymbols) {
    const TMachine m = testing::ReadMachine(kGood);
    std::vector<int> symbols;
    std::string error;
    EXPECT_TRUE(m.WordSymbols("abba", symbols, error));
    EXPECT_EQ(symbols, (std::vector<int>{0, 1, 1, 0}));
    EXPECT_TRUE(m.WordSymbols("", symbols, error));
    EXPECT_TRUE(symbols.empty());
    EXPECT_FALSE(m.WordSymbols("abxa", symbols, error));
    EXPECT_EQ(error, "word, character 3: 'x' is not a symbol of the alphabet");
}

} // namespace
} // namespace veltra
