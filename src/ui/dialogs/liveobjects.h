// Which elements and synapses still exist, found by walking the element lists of the open
// drawing windows (module inner nets included). The Info dialog checks what it holds
// against this after every erase, window close or inner-net change.
#pragma once

#include <unordered_set>
#include <vector>

namespace veltra {

class TProtoLista;
class TProtoNeuronio;
class TSinapse;

struct TLiveObjects {
    std::unordered_set<const TProtoNeuronio*> elements;
    std::unordered_set<const TSinapse*> synapses;

    bool Has(const TProtoNeuronio* e) const { return elements.count(e) != 0; }
    bool Has(const TSinapse* s) const { return synapses.count(s) != 0; }
};

// Everything reachable from `roots`. `erased`, when given, is about to be released: it is
// left out with what goes with it (its synapses, and a module's inner net unless another
// root still shows it, and the synapses crossing that module's border).
TLiveObjects CollectLive(const std::vector<const TProtoLista*>& roots,
                         const TProtoNeuronio* erased = nullptr);

} // namespace veltra
