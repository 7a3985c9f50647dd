// A deterministic real-time machine with one or two binary stacks, as read from its JSON
// description: it reads one symbol per transition, then the end marker, and accepts when it
// is in an accept state after the end marker. The direct simulation here is the reference the
// nets built from machines are checked against.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace veltra {

// What a transition asks of one stack's top.
enum class TStackTop { Empty, Zero, One, Any };
// What a transition does to one stack. Popping an empty stack leaves it empty.
enum class TStackAction { Push0, Push1, Pop, Keep };

// Where a run of the machine stands: its state, or -1 once a symbol found no transition (the
// word is then rejected), and its stacks, each listed bottom first.
struct TMachineConfiguration {
    int state = -1;
    std::vector<std::vector<int>> stacks;
};

struct TMachineTransition {
    int state = 0;
    int read = 0; // a symbol's index in the alphabet, or the alphabet's size for `end`
    std::vector<TStackTop> top;
    int next = 0;
    std::vector<TStackAction> action;
};

class TMachine {
public:
    std::vector<std::string> alphabet; // one character each
    std::vector<std::string> states;
    int start = 0;
    std::vector<bool> accepting; // per state
    int stacks = 1;
    std::vector<TMachineTransition> transitions;

    // The index that `read` uses for the end marker.
    int EndSymbol() const { return static_cast<int>(alphabet.size()); }

    // Reads a JSON description. On failure returns false with a message naming the place
    // ("transitions[2].next: unknown state 'q9'") in errorText; the machine is then unusable.
    bool Read(std::string_view json, std::string& errorText);

    // The word as symbol indices; false with a message when a character is not a symbol.
    bool WordSymbols(std::string_view word, std::vector<int>& symbols,
                     std::string& errorText) const;

    // The transition that applies, or -1 when none does (the word is then rejected).
    int Match(int state, int read, const std::vector<std::vector<int>>& stacks) const;

    // The start state with every stack empty.
    TMachineConfiguration StartConfiguration() const;

    // Reads one symbol (or the end marker): the matching transition moves the configuration on;
    // when none matches, the state becomes -1 and the stacks stay as they were. A rejected run
    // stays rejected.
    void Advance(TMachineConfiguration& at, int read) const;

    // Runs the machine on the word (symbol indices) directly: true when it accepts.
    bool Accepts(const std::vector<int>& word) const;
};

// True when a stack whose top is `actual` (Empty, Zero or One) satisfies `wanted`.
bool TopMatches(TStackTop wanted, TStackTop actual);

} // namespace veltra
