// The weights of all synapses, each distinct one kept once. A big net has millions of synapses
// and mostly a handful of weights; a number of its own in every synapse was most of the
// synapse's size. Shared weights never change: a synapse given another weight shares another.
#pragma once

#include "numeric/infinito.h"

namespace veltra {

class TWeightPool {
public:
    // The shared number of the same form (groups, Positions, sign) as `weight`, a copy of it
    // when there is none yet; the caller holds one share of it until Release.
    static const TInfinito* Share(const TInfinito& weight);
    static void Release(const TInfinito* weight) noexcept;
    // One more share of a number Share gave and that is still held: a file's reader hands the
    // weight it read once to every synapse of the same weight text without reading it again.
    static void ShareAgain(const TInfinito* shared) noexcept;
    // The weight of a synapse not given one yet, 0 as SetFromText("0") reads it: shared by all,
    // never released.
    static const TInfinito* Unset();
    // Distinct weights held now (for tests and memory figures).
    static std::size_t Count();
};

} // namespace veltra
