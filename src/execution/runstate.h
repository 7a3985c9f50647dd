// What a step changes in a net, captured exactly so that a run can be compared with an earlier
// point of itself (cycle detection) or taken back there (step back). Elements are walked deep:
// a module's inner net at the module's place in the list.
//
// An input's state is the length of what it has left: between two captures of one run (no
// edit in between) an input only consumes, so its remaining texts are suffixes of one text and
// equal lengths mean equal texts. Restoring takes the text back from a TInputTexts taken at the
// start of the run. Output histories and logs likewise only grow: a restore to an earlier
// point cuts them back to the lengths captured there.
#pragma once

#include "numeric/infinito.h"

#include <cstdint>
#include <string>
#include <vector>

namespace veltra {

class TProtoLista;

struct TNetState {
    std::vector<TInfinito> activities;  // neurons, deep list order
    std::vector<std::size_t> remaining; // inputs' remaining lengths
    std::vector<std::size_t> histories; // outputs' history lengths (not part of the state)
    std::vector<std::size_t> logs;      // outputs' value log sizes (not part of the state)
    std::uint64_t hash = 0;             // StateHash of the same net

    // Heap and inline bytes held, for memory budgets.
    std::size_t Bytes() const;
};

// The inputs' remaining sequences at the start of a run, deep list order.
struct TInputTexts {
    std::vector<std::string> texts;
};

class TNeuronio;
class TInputs;

// The neurons and inputs of a net, deep, in list order: what a state is read from, gathered
// once so that reading it after every step is a plain walk over two arrays. Valid while no
// element is added or released.
struct TStateShape {
    std::vector<const TNeuronio*> neurons;
    std::vector<const TInputs*> inputs;
};
TStateShape ShapeOf(const TProtoLista& list);
std::uint64_t StateHash(const TStateShape& shape);
bool SameState(const TStateShape& shape, const TNetState& state);
// The neuron values and input positions into `state` (outputs left out), reusing its numbers'
// memory: the cycle detector takes a state now and then, and long values would otherwise be
// allocated afresh each time.
void CaptureInto(const TStateShape& shape, TNetState& state);

TNetState CaptureState(const TProtoLista& list);
TInputTexts CaptureInputTexts(const TProtoLista& list);
// Hash of the state (neuron values and input positions; outputs excluded), without a copy.
std::uint64_t StateHash(const TProtoLista& list);
// Exact: every neuron's value Compares equal and every input has as much left.
bool SameState(const TNetState& a, const TNetState& b);
bool SameState(const TProtoLista& list, const TNetState& state);
// Puts the captured values back; false (and nothing changed) when the net no longer has the
// shape it had at the capture (an element added or removed). Without outputs, the outputs'
// histories and logs are left as they are.
bool RestoreState(TProtoLista& list, const TNetState& state, const TInputTexts& inputs,
                  bool outputs = true);

} // namespace veltra
