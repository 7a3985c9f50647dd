// How long the numbers of the next step can get, worked out before computing it, so that a
// run can stop before a step whose values run away (veltra-cli run --max-digits).
#pragma once

#include <cstdint>

namespace veltra {

class TProtoLista;

// An upper bound on the digits (before and after the point together) of every sum the next
// step adds up, and so of every value it gives a neuron: a product has at most the digits of
// its two factors together, a sum of k products at most those of the longest plus the digits
// of k - 1. Module insides and hidden synapses count as the step sees them.
std::int64_t NextStepDigitBound(const TProtoLista& list);

} // namespace veltra
