// Builds, from a machine and a word, a net of saturated-linear neurons that decides the word as
// the machine does. Every weight, bias and value is a terminating decimal, so the exact
// arithmetic of the net follows the machine for any stack depth.
//
// How it works. A stack b1..bk (b1 on top) is the value x = sum of d_i / 10^i with digit
// d_i = 1 for a 0 and 3 for a 1, so 0 <= x < 0.35 and the empty stack is 0. Push b is
// x/10 + d/10, pop is 10x - d, the top is sat(10x - 2) and "not empty" is sat(10x). One
// machine transition takes three steps (t0, t1, t2); the input elements hold each symbol for
// those three steps:
//   t0  the state neuron of the current state is 1 (one-hot); `stackJ` holds the stack.
//   t1  `q'` copies the state; `topJ` and `emptyJ` read the stack.
//   t2  each transition's neuron is 1 exactly when its state, symbol and tops all hold (a
//       conjunction of 0/1 literals: sat(sum - (n - 1))); beside it, one neuron per stack
//       computes that transition's new stack value, sat(f + 4 (sum - n)), which is f when the
//       transition applies and 0 otherwise (f < 4 always).
//   t3  the next state's neuron gets the firing transition; `stackJ` keeps its value through
//       a self-synapse, less the copy `dropJ` made at t2 (only when a state was active at t1),
//       plus the new value. When no transition applies everything falls to 0, so a rejected
//       word leaves the net silent.
// `accepting` is 1 one step after a transition reads `end` into an accept state, and the
// output `Accept` records it: its history holds one 1 exactly when the word is accepted. After
// the last symbol no input is 1, so every neuron returns to 0 and the net finishes by itself,
// within 3 (n + 1) + 4 steps for a word of n symbols.
#pragma once

#include "machine/machine.h"

#include <string>
#include <vector>

namespace veltra {

class TDados;

constexpr int kStepsPerSymbol = 3;

// Fills the (empty) document's net with the machine's net, its inputs holding the word
// (symbol indices, see TMachine::WordSymbols) and the start state's neuron at 1.
void BuildMachineNet(const TMachine& machine, const std::vector<int>& word, TDados& document);

// The input sequence that holds symbol `symbol` (an index, or the end marker) over the word.
std::string MachineInputSequence(const TMachine& machine, const std::vector<int>& word, int symbol);

// The decision a run of a built net left in its `Accept` output: true when it recorded a 1.
bool NetAccepted(TDados& document);

} // namespace veltra
