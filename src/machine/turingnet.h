// Builds, from a Turing machine and its initial tape, a net of saturated-linear neurons that
// runs the machine by itself: no input, two net steps per machine step, the tape held exactly
// in two neurons, and the run finishing when the machine halts. Every weight and value is a
// terminating decimal, so the net follows the machine for any length of tape.
//
// The tape. The cells left of the head are a stack in the neuron `left` (the nearest cell on
// top), the cells right of it a stack in `right`; the scanned cell is part of the control. A
// stack of cells c1 c2 ... cm (c1 on top) is the decimal x = sum of d(ci) B^-i with the digit
// d(a) = 2a + 1 for symbol a, written with D decimal digits per cell, B = 10^D and D the
// fewest digits that hold 2k - 1 for k symbols (one digit up to five symbols, two up to 50).
// A blank is digit 1, so a blank cell differs from the empty stack, 0, yet reads the same.
// Push a is x/B + d(a)/B, pop is Bx - d(top), and the top is at least a exactly when
// Bx >= 2a + 1, that is sat(Bx - 2a) = 1 (and Bx - 2a < 0 otherwise: the cells below the
// top add less than 1 to Bx). Every product that touches a stack has a weight of one
// decimal group (B, 1/B, 1), and a stack value has a digit per cell for small alphabets.
//
// The control. In the even steps 2n (the machine after n steps) exactly one neuron `Q a` is
// 1: the state Q scans symbol a. Neurons of one kind are 0 in the steps of the other parity,
// so every value a neuron reads is either what it needs or 0. Step 2n + 1 computes, from
// `Q a` and the stacks:
//   `left push`  sat(x/B + d(w)/B - [not moving right]): the pushed stack when the head
//                moves right writing w, else 0 (and likewise `right push` moving left);
//   `left pop`   sat(x - 1/B - [not moving left]): the stack less its top's leading 1;
//   `left >=a`   sat(Bx - 2a - 2k [not moving left]): the top is a or above, moving left;
//   `P next`     1 for the next state P.
// where [..] is 1 or 0 and comes from the weights of the `Q a` neurons, so that nothing
// needs a bias and a halted net falls silent. Step 2n + 2 then gives
//   `left`       sat(push + B pop - 2 sum of the `left >=a`), the new stack,
//   `P a`        sat(the readers of a, less those of a + 1, less every other `next`), so 1
//                exactly for the next state and the symbol the popped stack had on top.
// `steps` keeps the count of machine steps as steps * 10^-24 through a self-synapse. A `Q a`
// where the machine halts (a halting state, or an undefined case) holds every gate at 0; it
// cancels `steps` and switches on `halted`, which the output `Halt`
// records. When the machine halts after S steps, net step 2S holds its last configuration,
// `Halt` records 1 in step 2S + 1, when `halted` is the only neuron on, and in step 2S + 2
// every neuron is 0: the run has finished.
#pragma once

#include "machine/turing.h"

#include <optional>
#include <string>
#include <vector>

namespace veltra {

class TDados;
class TInfinito;
class TNeuronio;
class TProtoLista;
class TProtoNeuronio;

constexpr int kNetStepsPerMachineStep = 2;

// Fills the (empty) document's net with the machine's net; the head starts on the first of
// the tape's cells (symbol indices, see TTuringMachine::TapeCells).
void BuildTuringNet(const TTuringMachine& machine, const std::vector<int>& tape, TDados& document);

// A machine's configuration as a net holds it.
struct TTuringView {
    long long steps = 0;
    bool halted = false;
    std::string state;
    // The tape from its leftmost to its rightmost non-blank cell, one symbol per cell, and
    // the head's offset in it (negative, or past the end, when it stands outside; 0 for a
    // blank tape).
    std::string cells;
    long long head = 0;
    long long nonblank = 0;

    // "machine: steps=S halted=yes|no state=Q nonblank=N head=H tape=CELLS"
    std::string Line() const;
    friend bool operator==(const TTuringView&, const TTuringView&) = default;
};

// Reads a machine's configuration from the values of a net BuildTuringNet made, by the
// labels and the order of its elements.
class TTuringNetReader {
public:
    // Finds the net's parts in the list; false, with the reason, when the list is not such a
    // net. The reader keeps pointers into the list: attach again after the list changes.
    bool Attach(const TProtoLista& list, std::string& errorText);
    bool Attached() const { return !configs_.empty(); }

    // The configuration the values hold: in an even step the machine's, in an odd one the
    // one its step under way leads to (all its parts are there already). False when no
    // configuration neuron is on: the net has finished, or it was not started as built.
    bool Decode(TTuringView& view, std::string& errorText) const;
    // Whether a configuration where the machine halts is on: a cheap test for every step.
    bool AtHalt() const;

private:
    struct TSide {
        const TNeuronio* stack = nullptr;
        const TNeuronio* push = nullptr;
        const TNeuronio* pop = nullptr;
        std::vector<const TNeuronio*> atLeast; // `left >=a` for a = 1 .. k-1
    };
    struct TConfig {
        const TNeuronio* neuron = nullptr;
        int state = 0;
        int symbol = 0;
        bool halts = false;
    };
    bool Cells(const TNeuronio& stack, std::vector<int>& cells, std::string& errorText) const;
    bool StackCells(const TInfinito& value, const std::string& name, std::vector<int>& cells,
                    std::string& errorText) const;

    const TNeuronio* steps_ = nullptr;
    TSide sides_[2];
    std::vector<const TNeuronio*> next_; // per state
    std::vector<TConfig> configs_;       // per state, per symbol
    std::vector<const TNeuronio*> halting_;
    std::vector<std::string> states_;
    std::vector<std::string> symbols_;
    int digits_ = 1; // per cell
};

// Follows a run for the line of `run --machine`: a halted machine's net finishes one step
// after it halted, with every value 0, so the configuration is read in the step where it
// halts and kept.
class TTuringWatch {
public:
    bool Attach(const TProtoLista& list, std::string& errorText) {
        halted_.reset();
        return reader_.Attach(list, errorText);
    }
    // After every step (and before the first): keeps the configuration where it halted.
    void Observe();
    // Forgets a kept configuration (the run went back to its start).
    void Forget() { halted_.reset(); }
    // The configuration the values hold now, else the one kept where the machine halted.
    bool Current(TTuringView& view, std::string& errorText) const;

private:
    TTuringNetReader reader_;
    std::optional<TTuringView> halted_;
};

} // namespace veltra
