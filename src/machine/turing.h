// A Turing machine with one tape, unbounded both ways, and any number of symbols, as read from
// the usual compact notation or from JSON with named states and symbols.
//
// The notation: one group per state, A first (the start state), groups separated by '_'; a
// group holds one triple per scanned symbol 0, 1, ... k-1 (k = the group's length / 3): the
// symbol written (a digit), the move (L or R) and the next state (a letter). Z halts, and so
// does H in a machine of fewer than 8 states (from 8 on, H is the eighth state). `---` leaves
// the case undefined: a machine that meets it halts there, without writing or moving, and
// that is not counted as a step. So `1RB1LB_1LA1RZ` is the two-state busy beaver: in state A
// on a 0 it writes 1, moves right and goes to B; in B on a 1 it writes 1, moves right and
// halts, a step that is counted. Symbol 0 is the blank.
//
// The JSON form:
//   {"symbols": ["_", "1"], "states": ["A", "B"], "start": "A", "halt": ["H"],
//    "transitions": [{"state": "A", "read": "_", "write": "1", "move": "R", "next": "B"}, ...]}
// The first symbol is the blank; "start" (default the first state) and "halt" (states that
// halt, with no transitions of their own) may be left out; a pair of state and symbol without
// a transition is undefined, as `---` is. Symbols are single characters and names hold no
// blanks, so that a tape is a string of symbols and a label "STATE SYMBOL" reads one way.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltra {

// Whether a description is a Turing machine's rather than a stack machine's: the notation, or
// JSON with "symbols" (a stack machine's has "alphabet").
bool IsTuringDescription(std::string_view text);

struct TTuringAction {
    int write = 0;
    bool right = true; // the move: right, or left
    int next = 0;
};

class TTuringMachine {
public:
    std::vector<std::string> symbols; // one character each; symbols[0] is the blank
    std::vector<std::string> states;  // working states first, then those that halt
    std::vector<bool> halts;          // per state: a state that halts (no actions at all)
    int start = 0;

    int SymbolCount() const { return static_cast<int>(symbols.size()); }
    int StateCount() const { return static_cast<int>(states.size()); }
    // What the machine does in the state on the symbol, or null where it halts.
    const TTuringAction* Action(int state, int symbol) const;
    void SetAction(int state, int symbol, const TTuringAction& action);

    // Reads a description: JSON when the text starts with '{' (after blanks), the notation
    // otherwise. On failure returns false with a message naming the place ("state B reading
    // 1: 'E' is not a state ...") in errorText; the machine is then unusable.
    bool Read(std::string_view text, std::string& errorText);
    bool ReadNotation(std::string_view text, std::string& errorText);
    bool ReadJson(std::string_view text, std::string& errorText);

    // The cells of a tape written as a string of symbols; false with a message when a
    // character is not a symbol.
    bool TapeCells(std::string_view word, std::vector<int>& cells, std::string& errorText) const;

private:
    // Per state, per symbol.
    std::vector<std::optional<TTuringAction>> actions_;
};

} // namespace veltra
